# Whether the tests and benchmarks are built (QUADECHO_BUILD_TESTS, QUADECHO_BUILD_BENCH), and
# where GoogleTest comes from: the installed package where it suits the target (a native build
# on Debian), else its sources, built for whichever processor the build targets (Debian's
# libgtest-dev is for the build machine only, so cross builds always take the sources). A build
# with only the build packages installed thus still configures, without tests.
set(QUADECHO_GTEST_SOURCES /usr/src/googletest CACHE PATH
    "GoogleTest's sources, built when no installed GoogleTest suits the target")

set(QUADECHO_BUILD_TESTS OFF)
if(QUADECHO_TESTS)
  find_package(GTest QUIET)
  if(GTest_FOUND)
    set(QUADECHO_BUILD_TESTS ON)
    message(STATUS "Tests: on (installed GoogleTest)")
  elseif(EXISTS ${QUADECHO_GTEST_SOURCES}/CMakeLists.txt)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    add_subdirectory(${QUADECHO_GTEST_SOURCES} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    set(QUADECHO_BUILD_TESTS ON)
    message(STATUS "Tests: on (GoogleTest built from ${QUADECHO_GTEST_SOURCES})")
  elseif(QUADECHO_TESTS STREQUAL "AUTO")
    message(STATUS "Tests: off (no GoogleTest; scripts/install-deps.sh --tests installs it)")
  else()
    message(FATAL_ERROR "QUADECHO_TESTS is ${QUADECHO_TESTS} but GoogleTest is neither installed for this "
                        "target nor its sources in ${QUADECHO_GTEST_SOURCES} (set QUADECHO_GTEST_SOURCES). "
                        "scripts/install-deps.sh --tests installs both; -DQUADECHO_TESTS=OFF builds without tests.")
  endif()
else()
  message(STATUS "Tests: off")
endif()

set(QUADECHO_BUILD_BENCH OFF)
if(QUADECHO_BENCH AND CMAKE_CROSSCOMPILING)
  message(STATUS "Benchmarks: off (they run natively only)")
elseif(QUADECHO_BENCH)
  find_package(benchmark QUIET)
  if(benchmark_FOUND)
    set(QUADECHO_BUILD_BENCH ON)
    message(STATUS "Benchmarks: on")
  elseif(QUADECHO_BENCH STREQUAL "AUTO")
    message(STATUS "Benchmarks: off (no Google Benchmark; scripts/install-deps.sh --tests installs it)")
  else()
    message(FATAL_ERROR "QUADECHO_BENCH is ${QUADECHO_BENCH} but Google Benchmark is not installed "
                        "(libbenchmark-dev; scripts/install-deps.sh --tests installs it). "
                        "-DQUADECHO_BENCH=OFF builds without benchmarks.")
  endif()
else()
  message(STATUS "Benchmarks: off")
endif()
