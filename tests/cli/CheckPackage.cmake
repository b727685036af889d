# Installs the build into a scratch prefix and packs it, then checks where the module lands.
# Arguments: BUILD_DIR, WORK_DIR; for the .deb also NM, TRIPLET (the target's, e.g.
# aarch64-linux-gnu), LINT (lintian checks it) and, in a cross build, EMULATOR; for the Windows
# zip I686_DLL, OBJDUMP and WINE.
if(I686_DLL AND NOT EXISTS "${I686_DLL}")
  message("SKIP: the 32-bit DLL the zip carries is not built (${I686_DLL}): build the windows-i686 preset first")
  return()
endif()
file(REMOVE_RECURSE ${WORK_DIR})

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${ARGN} failed:\n${out}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

# The Windows zip: both DLLs, each of its width, the tool beside the 64-bit one, which it loads
# on its own, the text on installing, the factory presets and the licences of what the binaries contain.
if(I686_DLL)
  run(cpack --config "${BUILD_DIR}/CPackConfig.cmake" -B "${WORK_DIR}")
  file(GLOB zip "${WORK_DIR}/*.zip")
  file(ARCHIVE_EXTRACT INPUT "${zip}" DESTINATION "${WORK_DIR}/unpacked")
  file(GLOB_RECURSE files RELATIVE "${WORK_DIR}/unpacked" "${WORK_DIR}/unpacked/*")
  list(SORT files)
  cmake_path(GET zip STEM LAST_ONLY top)
  list(TRANSFORM files REPLACE "^${top}/" "")
  list(FILTER files EXCLUDE REGEX "^presets/0[2-8]-.*\\.fxp$") # the first program file stands for all
  set(expected 32-bit/quadecho.dll 64-bit/quadecho.clap 64-bit/quadecho.dll 64-bit/quadecho.exe LICENSE.txt README.txt
      licences/libsndfile-ALAC-Apache-2.0.txt licences/libsndfile-LGPL-2.1.txt licences/libsndfile-NOTICE.txt
      licences/libsndfile-copyright.txt licences/mingw-w64-runtime.txt presets/01-slapback.fxp
      presets/quadecho-factory.fxb)
  if(NOT files STREQUAL expected)
    message(FATAL_ERROR "the zip holds: ${files}\nexpected: ${expected}")
  endif()
  # Each licence file is the text it is named for; the libsndfile notice names the version that
  # scripts/sndfile-windows.sh recorded when it built the library the tool links.
  load_cache(${BUILD_DIR} READ_WITH_PREFIX cache_ SndFile_DIR)
  file(STRINGS "${cache_SndFile_DIR}/../../../share/quadecho-notice/version" sndfile_version LIMIT_COUNT 1)
  foreach(file_text "licences/libsndfile-NOTICE.txt|contains libsndfile ${sndfile_version},"
                    "licences/libsndfile-NOTICE.txt|apt-get source libsndfile=${sndfile_version}\n"
                    "licences/libsndfile-LGPL-2.1.txt|GNU LESSER GENERAL PUBLIC LICENSE\n                       Version 2.1"
                    "licences/libsndfile-copyright.txt|Files: src/ALAC/*"
                    "licences/libsndfile-ALAC-Apache-2.0.txt|Apache License\n\nVersion 2.0"
                    "licences/mingw-w64-runtime.txt|Files: mingw-w64-libraries/winpthreads/*")
    string(REPLACE "|" ";" file_text "${file_text}")
    list(GET file_text 0 file)
    list(GET file_text 1 text)
    file(READ "${WORK_DIR}/unpacked/${top}/${file}" content)
    string(FIND "${content}" "${text}" at)
    if(at EQUAL -1)
      string(SUBSTRING "${content}" 0 600 start)
      message(FATAL_ERROR "${file} lacks \"${text}\"; it starts:\n${start}")
    endif()
  endforeach()
  foreach(file_format "32-bit/quadecho.dll;pei-i386" "64-bit/quadecho.dll;pei-x86-64" "64-bit/quadecho.exe;pei-x86-64"
                      "64-bit/quadecho.clap;pei-x86-64")
    list(GET file_format 0 file)
    list(GET file_format 1 format)
    run(${OBJDUMP} -f "${WORK_DIR}/unpacked/${top}/${file}")
    if(NOT out MATCHES "file format ${format}\n")
      message(FATAL_ERROR "${file} is not ${format}:\n${out}")
    endif()
  endforeach()
  if(NOT DEFINED ENV{WINEDEBUG})
    set(ENV{WINEDEBUG} -all)
  endif()
  run(${WINE} "${WORK_DIR}/unpacked/${top}/64-bit/quadecho.exe" info)
  if(NOT out MATCHES "Module: +[^\r\n]*64-bit.quadecho\\.dll\r?\nEffect: +VelqQuadecho\r?\n")
    message(FATAL_ERROR "the unpacked tool does not find the DLL beside it:\n${out}")
  endif()
  file(REMOVE_RECURSE ${WORK_DIR})
  return()
endif()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${WORK_DIR}/prefix)
foreach(file lib/vst/quadecho.so bin/quadecho)
  if(NOT EXISTS ${WORK_DIR}/prefix/${file})
    message(FATAL_ERROR "cmake --install left out ${file}")
  endif()
endforeach()
# The installed tool finds the installed module on its own.
run(${EMULATOR} ${WORK_DIR}/prefix/bin/quadecho info)
if(NOT out MATCHES "prefix/lib/vst/quadecho.so" OR NOT out MATCHES "Unique ID: +VQqe")
  message(FATAL_ERROR "the installed tool did not load the installed module:\n${out}")
endif()

run(cpack --config ${BUILD_DIR}/CPackConfig.cmake -B ${WORK_DIR}/package)
file(GLOB debs ${WORK_DIR}/package/*.deb)
list(LENGTH debs count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "cpack made ${count} .deb files: ${debs}")
endif()
set(lv2_bundle ./usr/lib/lv2/quadecho.lv2)
run(dpkg-deb --contents ${debs})
foreach(file ./usr/lib/vst/quadecho.so ./usr/lib/clap/quadecho.clap ./usr/bin/quadecho ${lv2_bundle}/quadecho.so
        ${lv2_bundle}/manifest.ttl
        ${lv2_bundle}/quadecho.ttl ${lv2_bundle}/presets.ttl ./usr/share/quadecho/presets/quadecho-factory.fxb
        ./usr/share/quadecho/presets/01-slapback.fxp)
  if(NOT out MATCHES " ${file}\n")
    message(FATAL_ERROR "the package lacks ${file}:\n${out}")
  endif()
endforeach()
# The packed modules, stripped, still export their entry symbols and nothing else.
run(dpkg-deb -x ${debs} ${WORK_DIR}/unpacked)
# The presets folder holds the factory files and nothing of the build beside them.
set(presets ${WORK_DIR}/unpacked/usr/share/quadecho/presets)
file(GLOB_RECURSE shipped RELATIVE ${presets} ${presets}/*)
list(FILTER shipped EXCLUDE REGEX "^[0-9][0-9]-[a-z0-9-]+\\.fxp$|^quadecho-factory\\.fxb$")
if(shipped)
  message(FATAL_ERROR "the package's presets folder holds more than the factory files: ${shipped}")
endif()
foreach(module_entry "usr/lib/vst/quadecho.so;VSTPluginMain" "usr/lib/lv2/quadecho.lv2/quadecho.so;lv2_descriptor"
                     "usr/lib/clap/quadecho.clap;clap_entry")
  list(GET module_entry 0 module)
  list(GET module_entry 1 entry)
  run(${CMAKE_COMMAND} -DNM=${NM} -DMODULE=${WORK_DIR}/unpacked/${module} -DEXPECTED=${entry}
      -P ${CMAKE_CURRENT_LIST_DIR}/../effect/CheckExports.cmake)
endforeach()
# An LV2 host finds the plug-in in the unpacked package (lv2ls reads the metadata alone).
find_program(LV2LS lv2ls)
if(LV2LS)
  set(ENV{LV2_PATH} ${WORK_DIR}/unpacked/usr/lib/lv2)
  run(${LV2LS})
  if(NOT out STREQUAL "urn:velmorn-quaddle:quadecho\n")
    message(FATAL_ERROR "lv2ls in the unpacked package lists:\n${out}")
  endif()
endif()
# The package is for the target's processor, in Debian's name for it, and names the libraries the
# module and the tool load.
run(dpkg-architecture -t ${TRIPLET} -qDEB_HOST_ARCH)
string(STRIP "${out}" architecture)
run(dpkg-deb --field ${debs} Package Architecture Depends)
if(NOT out MATCHES "Package: quadecho" OR NOT out MATCHES "Architecture: ${architecture}\n"
   OR NOT out MATCHES "Depends: .*libc6.*libpng16-16.*libsndfile1" OR NOT out MATCHES "libstdc\\+\\+6")
  message(FATAL_ERROR "unexpected package fields:\n${out}")
endif()
# Debian's checker, pedantic, in the builds packages come from (LINT: those with Debian's hardening,
# not the sanitizer builds): no tag at any level, information included, but for an override that
# the binaries of this build happen not to need.
if(LINT)
  find_program(LINTIAN lintian REQUIRED)
  run(${LINTIAN} --pedantic --display-info --fail-on error,warning ${debs})
  string(REGEX REPLACE "[^\n]*: unused-override [^\n]*" "" tags "${out}")
  if(tags MATCHES "(^|\n)[EWIPX]: ")
    message(FATAL_ERROR "lintian finds:\n${out}")
  endif()
endif()
# The manual page and the changelog, as installed: compressed as Debian compresses them.
foreach(file usr/share/man/man1/quadecho.1.gz usr/share/doc/quadecho/changelog.gz)
  run(gzip --test ${WORK_DIR}/unpacked/${file})
endforeach()
file(REMOVE_RECURSE ${WORK_DIR})
