# Run by cpack: the package's Depends, read by dpkg-shlibdeps from the binaries it ships
# (QUADECHO_SHIPPED) for the target's architecture. dpkg-shlibdeps wants a source package's
# control file beside it: a scratch one names this package.
# A folder of its own for each run: two packages may be made at once.
string(RANDOM LENGTH 12 run)
set(scratch ${CPACK_PACKAGE_DIRECTORY}/debian-depends-${run})
file(WRITE ${scratch}/debian/control "Source: quadecho\n\nPackage: quadecho\nArchitecture: any\n")
list(TRANSFORM QUADECHO_SHIPPED PREPEND -e)
execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_HOST_ARCH=${QUADECHO_DEBIAN_ARCH}
                        dpkg-shlibdeps -O ${QUADECHO_SHIPPED}
                WORKING_DIRECTORY ${scratch} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(REMOVE_RECURSE ${scratch})
if(NOT status EQUAL 0 OR NOT out MATCHES "shlibs:Depends=([^\n]*)")
  message(FATAL_ERROR "dpkg-shlibdeps could not read the shipped binaries' dependencies:\n${out}${err}")
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${CMAKE_MATCH_1}")
