# A zip for Windows users: both DLLs, the tool, and where hosts look for such modules. The 32-bit
# DLL is the windows-i686 build's, which must have been built first.
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME quadecho-${PROJECT_VERSION}-windows)
  set(CPACK_STRIP_FILES ON)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/README-Windows.txt DESTINATION . RENAME README.txt)
  # Our licence, and the notices of what is linked into the binaries.
  include(${CMAKE_CURRENT_LIST_DIR}/WindowsNotices.cmake)
  if(QUADECHO_ARCH STREQUAL "x86_64")
    set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};Quadecho;ALL;/"
                                     "${QUADECHO_WINDOWS_I686_BUILD};Quadecho;ALL;/")
  endif()
  include(CPack)
  return()
endif()

# A Debian package laid out the way Debian ships such plug-ins: the modules where hosts look for them
# (/usr/lib/vst, /usr/lib/lv2, /usr/lib/clap), the command-line host in /usr/bin with its manual
# page, the factory presets, the licence and the changelog. A native package: its version has no
# Debian revision, and the changelog's top entry must be that version.
set(maintainer "Velmorn Quaddle <quadecho@velmorn-quaddle.invalid>") # a reserved domain: no public address yet
file(STRINGS ${PROJECT_SOURCE_DIR}/CHANGELOG top LIMIT_COUNT 1)
if(NOT top MATCHES "^quadecho \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "CHANGELOG's top entry is not version ${PROJECT_VERSION}: ${top}")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quadecho)
set(CPACK_PACKAGE_VENDOR "Velmorn Quaddle")
set(CPACK_PACKAGE_CONTACT "${maintainer}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${maintainer}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "stereo four-tap delay audio plug-in (VST 2.4, LV2 and CLAP)")
# Lines of at most 80 characters, as Debian's tools show them.
set(CPACK_PACKAGE_DESCRIPTION "Quadecho mixes its input to mono, feeds back four taps through a soft clipper
and a state-variable filter that morphs from through to low-, band- and
high-pass, and pans each of the four taps in the stereo field.
.
The package holds the plug-in in three formats: a module of the 2.4 plug-in
interface in /usr/lib/vst, an LV2 plug-in with the factory presets in
/usr/lib/lv2 and a CLAP plug-in in /usr/lib/clap. It also holds quadecho, a
command-line host that shows, renders sound files through and plots any such
module, and the factory presets as program and bank files.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${QUADECHO_DEBIAN_ARCH})
# CPack's own reading of the dependencies also writes ldconfig scripts for the modules directly
# under /usr/lib/<folder>, which install no library for others to link: dpkg-shlibdeps reads them
# instead, when cpack runs (cmake/DebianDepends.cmake), and the package has no maintainer scripts.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
set(shipped $<TARGET_FILE:quadecho> $<TARGET_FILE:quadecho_lv2>)
foreach(target quadecho_clap quadecho_cli)
  if(TARGET ${target})
    list(APPEND shipped $<TARGET_FILE:${target}>)
  endif()
endforeach()
file(GENERATE OUTPUT ${PROJECT_BINARY_DIR}/CPackDebianDepends.cmake CONTENT
"set(QUADECHO_SHIPPED \"${shipped}\")
set(QUADECHO_DEBIAN_ARCH ${QUADECHO_DEBIAN_ARCH})
include(${CMAKE_CURRENT_LIST_DIR}/DebianDepends.cmake)
")
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/CPackDebianDepends.cmake)

# Stripped as Debian strips: CPack strips the symbols, and the compiler's notes go too.
install(CODE "
  foreach(file ${QUADECHO_MODULE_DIR}/quadecho.so lib/lv2/quadecho.lv2/quadecho.so ${QUADECHO_CLAP_DIR}/quadecho.clap
               ${QUADECHO_TOOL_DIR}/quadecho)
    set(path \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${file}\")
    if(CMAKE_INSTALL_DO_STRIP AND EXISTS \"\${path}\")
      execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment --remove-section=.note \"\${path}\"
                      COMMAND_ERROR_IS_FATAL ANY)
    endif()
  endforeach()")

# The copyright in Debian's machine-readable format, the changelog and the manual page compressed
# as Debian compresses them.
set(doc share/doc/quadecho)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/deb/copyright DESTINATION ${doc})
add_custom_command(OUTPUT changelog.gz
  COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/CHANGELOG > changelog.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/CHANGELOG VERBATIM)
add_custom_target(quadecho_changelog ALL DEPENDS changelog.gz)
install(FILES ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${doc})
# What lintian reads wrongly in one architecture's binaries, each with its reason.
if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/deb/lintian-overrides-${QUADECHO_DEBIAN_ARCH})
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/deb/lintian-overrides-${QUADECHO_DEBIAN_ARCH}
          DESTINATION share/lintian/overrides RENAME quadecho)
endif()

include(CPack)
