# Debian's hardening for the builds packages come from, as Debian builds its own packages: C library
# calls checked where their sizes are known, the stack protector, format checks, and relocations
# read-only and bound at load. The flags are dpkg-buildflags' for the target, without its -O and
# -g (the build type's) and its path mapping. Never in the sanitizer, fuzz or real-time sanitizer
# builds, whose instrumentation these would only get in the way of.
if(WIN32 OR QUADECHO_SANITIZE OR QUADECHO_FUZZ OR QUADECHO_RTSAN)
  return()
endif()
find_program(QUADECHO_DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT QUADECHO_DPKG_BUILDFLAGS)
  message(STATUS "dpkg-buildflags not found: built without Debian's hardening")
  return()
endif()
set(QUADECHO_HARDENED ON)
foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                          DEB_HOST_ARCH=${QUADECHO_DEBIAN_ARCH} ${QUADECHO_DPKG_BUILDFLAGS} --get ${kind}
                  OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  list(FILTER flags EXCLUDE REGEX "^-(O.*|g.*|ffile-prefix-map=.*)$")
  if(kind STREQUAL "LDFLAGS")
    target_link_options(quadecho_flags INTERFACE ${flags})
  else()
    target_compile_options(quadecho_flags INTERFACE ${flags})
  endif()
endforeach()
