# QUADECHO_RTSAN: LLVM's real-time sanitizer runtime linked into the test programs, which mark
# every call a host makes on its audio thread (testing/RealtimeScope.h). Inside such a call the
# runtime ends the program with a report at the first allocation, lock or sleep. GCC has no flag
# for it, so the runtime is linked whole: as a plain archive its start-up code would be left out.
option(QUADECHO_RTSAN "Link the real-time sanitizer runtime into the test programs (native x86_64)" OFF)
add_library(quadecho_rtsan INTERFACE)
if(NOT QUADECHO_RTSAN)
  return()
endif()
if(NOT QUADECHO_ARCH STREQUAL "x86_64" OR CMAKE_CROSSCOMPILING)
  message(FATAL_ERROR "QUADECHO_RTSAN: the runtime is built for native x86_64 Linux only")
endif()
find_library(QUADECHO_RTSAN_RUNTIME NAMES libclang_rt.rtsan-x86_64.a
             PATHS /usr/lib/llvm-19/lib/clang/19/lib/linux NO_DEFAULT_PATH)
if(NOT QUADECHO_RTSAN_RUNTIME)
  message(FATAL_ERROR "QUADECHO_RTSAN: no libclang_rt.rtsan-x86_64.a; install libclang-rt-19-dev "
                      "(scripts/install-deps.sh --tests) or set QUADECHO_RTSAN_RUNTIME")
endif()
message(STATUS "Real-time sanitizer runtime: ${QUADECHO_RTSAN_RUNTIME}")
add_library(quadecho_rtsan_runtime STATIC IMPORTED)
set_target_properties(quadecho_rtsan_runtime PROPERTIES IMPORTED_LOCATION ${QUADECHO_RTSAN_RUNTIME})
target_compile_definitions(quadecho_rtsan INTERFACE QUADECHO_RTSAN=1)
target_link_libraries(quadecho_rtsan INTERFACE "$<LINK_LIBRARY:WHOLE_ARCHIVE,quadecho_rtsan_runtime>"
                      ${CMAKE_DL_LIBS} pthread rt)
