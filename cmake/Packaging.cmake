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

# A Debian package laid out the way Debian ships such plug-ins: the module in /usr/lib/vst, where
# hosts look for it, and the command-line host in /usr/bin.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quadecho)
set(CPACK_PACKAGE_VENDOR "Velmorn Quaddle")
set(CPACK_PACKAGE_CONTACT "Velmorn Quaddle")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "stereo four-tap delay plug-in (2.4 plug-in interface)")
set(CPACK_PACKAGE_DESCRIPTION "Quadecho mixes its input to mono, feeds back four taps through a soft \
clipper and a morphing state-variable filter, and pans each tap in the stereo field. The package holds \
the plug-in module and quadecho, a command-line host that shows, renders through and plots it.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_STRIP_FILES ON)

# The architecture is the target's, which differs from the build machine's in a cross build.
set(debian_architecture_x86_64 amd64)
set(debian_architecture_i686 i386)
set(debian_architecture_powerpc powerpc)
set(debian_architecture_aarch64 arm64)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${debian_architecture_${QUADECHO_ARCH}})
if(NOT CPACK_DEBIAN_PACKAGE_ARCHITECTURE)
  message(FATAL_ERROR "cmake/Packaging.cmake has no Debian architecture for ${QUADECHO_ARCH}")
endif()
# Library dependencies are read from the binaries where the build machine can run the tools for it;
# a cross build names them: the C and C++ runtimes, and libsndfile where the tool is built.
if(NOT CMAKE_CROSSCOMPILING)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
elseif(TARGET quadecho_cli)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= 2.36), libgcc-s1 (>= 3.0), libstdc++6 (>= 12), libsndfile1 (>= 1.0.20)")
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= 2.36), libgcc-s1 (>= 3.0), libstdc++6 (>= 12)")
endif()

include(CPack)
