# The licences the Windows zip carries beside the binaries.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)

# The notices of what the binaries link statically. The 64-bit build makes the zip, the 32-bit
# DLL included, so it alone installs them; the texts are those Debian installed on this machine.
if(NOT QUADECHO_ARCH STREQUAL "x86_64")
  return()
endif()
set(notices ${PROJECT_BINARY_DIR}/notices)

# mingw-w64's runtime and winpthreads, and GCC's runtime, in every binary; the packages of the
# 64-bit toolchain stand for the 32-bit one's, which are built from the same sources.
set(mingw_copyright /usr/share/doc/mingw-w64-x86-64-dev/copyright)
foreach(package_variable "mingw-w64-x86-64-dev;mingw_version" "g++-mingw-w64-x86-64-posix;gcc_version")
  list(GET package_variable 0 package)
  list(GET package_variable 1 variable)
  execute_process(COMMAND dpkg-query -W "-f=\${Version}" ${package} OUTPUT_VARIABLE ${variable} RESULT_VARIABLE status)
  if(NOT status EQUAL 0 OR "${${variable}}" STREQUAL "")
    message(FATAL_ERROR "the zip's notice of the compiler's runtime names Debian's ${package}, which dpkg does not know")
  endif()
endforeach()
if(NOT EXISTS ${mingw_copyright})
  message(FATAL_ERROR "the zip's notice of the mingw-w64 runtime carries ${mingw_copyright}, which is missing")
endif()
file(READ ${mingw_copyright} mingw_licences)
configure_file(${CMAKE_CURRENT_LIST_DIR}/notices/mingw-w64-runtime.txt.in ${notices}/mingw-w64-runtime.txt @ONLY)
install(FILES ${notices}/mingw-w64-runtime.txt DESTINATION licences)

# libsndfile, linked statically into the tool: the version and texts scripts/sndfile-windows.sh
# kept beside the library it built. A new build there configures this again.
if(NOT TARGET quadecho_cli)
  return()
endif()
cmake_path(SET sndfile_notice NORMALIZE "${SndFile_DIR}/../../../share/quadecho-notice")
foreach(text version COPYING copyright ALAC-LICENSE)
  if(NOT EXISTS ${sndfile_notice}/${text})
    message(FATAL_ERROR "libsndfile for Windows has no ${sndfile_notice}/${text}, which the zip's notice needs: "
                        "scripts/sndfile-windows.sh builds it again with it")
  endif()
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${sndfile_notice}/version)
file(STRINGS ${sndfile_notice}/version sndfile_version LIMIT_COUNT 1)
configure_file(${CMAKE_CURRENT_LIST_DIR}/notices/libsndfile.txt.in ${notices}/libsndfile-NOTICE.txt @ONLY)
install(FILES ${notices}/libsndfile-NOTICE.txt DESTINATION licences)
install(FILES ${sndfile_notice}/COPYING DESTINATION licences RENAME libsndfile-LGPL-2.1.txt)
install(FILES ${sndfile_notice}/copyright DESTINATION licences RENAME libsndfile-copyright.txt)
install(FILES ${sndfile_notice}/ALAC-LICENSE DESTINATION licences RENAME libsndfile-ALAC-Apache-2.0.txt)
