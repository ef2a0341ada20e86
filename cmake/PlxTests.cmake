# Test wiring shared by every area.
#
# Every test of a build folder requires the sanity fixture of that folder: under Wine a 32-bit
# program without wine32 prints nothing and exits 0, so a suite that could not run must not pass.
# Test names carry the architecture ("i686.", "x86_64.", "native.") so that one ctest run over all
# build folders reads clearly.
find_package(Threads REQUIRED)
if(NOT TARGET GTest::gtest)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()
include(GoogleTest)

set(PLX_FIXTURE sanity_${PLX_ARCH})

# Each test's time-out is near its need, so that a stalled Wine start fails fast and its retry
# starts at once.  Most tests need a few seconds; a suite or program that waits on purpose (for a
# child program, a peer or the print system) names its own.
set(PLX_TEST_TIMEOUT 45)

# plx_test_suite(NAME SOURCES files... [LIBS libs...] [ARGS args...] [TIMEOUT seconds]
#                [PREFIX area.] [LOCK resource])
# A GoogleTest program whose tests ctest lists one by one, named "<arch>.<PREFIX><suite>.<test>".
# LOCK: a resource that no two tests holding it use at once (e.g. the mailslots of one Wine prefix).
function(plx_test_suite name)
  cmake_parse_arguments(A "" "TIMEOUT;PREFIX;LOCK" "SOURCES;LIBS;ARGS" ${ARGN})
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT ${PLX_TEST_TIMEOUT})
  endif()
  set(lock)
  if(A_LOCK)
    set(lock RESOURCE_LOCK ${A_LOCK})
  endif()
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_LIBS} plx_testmain GTest::gtest)
  gtest_discover_tests(${name}
    EXTRA_ARGS ${A_ARGS}
    TEST_PREFIX "${PLX_ARCH}.${A_PREFIX}"
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    PROPERTIES FIXTURES_REQUIRED ${PLX_FIXTURE} TIMEOUT ${A_TIMEOUT} ${lock}
               ENVIRONMENT "PLX_TEST_ARCH=${PLX_ARCH}")
endfunction()

# plx_test_program(NAME COMMAND cmd... [PASS regex] [TIMEOUT seconds])
# A test that runs one command (a program of ours, or a script driving it).
function(plx_test_program name)
  cmake_parse_arguments(A "" "PASS;TIMEOUT" "COMMAND" ${ARGN})
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT ${PLX_TEST_TIMEOUT})
  endif()
  add_test(NAME ${PLX_ARCH}.${name} COMMAND ${A_COMMAND})
  set_tests_properties(${PLX_ARCH}.${name} PROPERTIES FIXTURES_REQUIRED ${PLX_FIXTURE} TIMEOUT ${A_TIMEOUT})
  if(A_PASS)
    set_tests_properties(${PLX_ARCH}.${name} PROPERTIES PASS_REGULAR_EXPRESSION "${A_PASS}")
  endif()
endfunction()
