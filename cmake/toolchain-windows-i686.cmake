# 32-bit Windows, for 32-bit hosts, built with Debian's mingw-w64. SSE2 arithmetic as in the Linux
# i686 build. These machines cannot run it (no 32-bit x86 code runs natively, and wine's 32-bit
# side does not run under qemu-i386): it is built and its DLL checked.
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
