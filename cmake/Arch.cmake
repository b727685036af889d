# The one place that asks which processor the build is for (the build machine's in a native
# build, the toolchain file's in a cross build). Everything else asks QUADECHO_ARCH (x86_64, i686,
# powerpc or aarch64) and QUADECHO_ARCH_X86 here, or the sources' QUADECHO_ARCH_* macros (platform/Arch.h).
# A processor nobody listed stops the configuration: each processor test in the code would
# otherwise take some branch nobody chose for it.
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
  set(QUADECHO_ARCH x86_64)
elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^i[3-6]86$")
  set(QUADECHO_ARCH i686)
elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(powerpc|ppc)$")
  set(QUADECHO_ARCH powerpc)
elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(aarch64|arm64|ARM64)$")
  set(QUADECHO_ARCH aarch64)
else()
  message(FATAL_ERROR "Quadecho is built for x86_64, i686, 32-bit powerpc and aarch64, not for the processor "
                      "'${CMAKE_SYSTEM_PROCESSOR}'. Cross builds name theirs in a toolchain file "
                      "(cmake/toolchain-i686.cmake, cmake/toolchain-powerpc.cmake, cmake/toolchain-aarch64.cmake).")
endif()
if(QUADECHO_ARCH MATCHES "^(x86_64|i686)$")
  set(QUADECHO_ARCH_X86 ON)
else()
  set(QUADECHO_ARCH_X86 OFF)
endif()
message(STATUS "Quadecho processor: ${QUADECHO_ARCH}")
# Debian's name for it: the packages' architecture, and the one dpkg-buildflags answers for.
set(debian_architecture_x86_64 amd64)
set(debian_architecture_i686 i386)
set(debian_architecture_powerpc powerpc)
set(debian_architecture_aarch64 arm64)
set(QUADECHO_DEBIAN_ARCH ${debian_architecture_${QUADECHO_ARCH}})

# Each defined as 0 or 1, so that `#if QUADECHO_ARCH_X86` reads as it says.
target_compile_definitions(quadecho_flags INTERFACE
  QUADECHO_ARCH_X86=$<BOOL:${QUADECHO_ARCH_X86}>
  QUADECHO_ARCH_X86_64=$<STREQUAL:${QUADECHO_ARCH},x86_64>
  QUADECHO_ARCH_I686=$<STREQUAL:${QUADECHO_ARCH},i686>
  QUADECHO_ARCH_POWERPC=$<STREQUAL:${QUADECHO_ARCH},powerpc>
  QUADECHO_ARCH_AARCH64=$<STREQUAL:${QUADECHO_ARCH},aarch64>)
