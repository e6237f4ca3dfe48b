# agendor_add_test(name SOURCES files... LIBS targets... [OWN_MAIN]
#                  [PROPERTIES name value...])
# One GoogleTest executable; each test case becomes its own CTest test so
# ctest -j runs them in parallel. The time zone and locale are pinned by the
# test main (tests/support/test_main.cpp), not by CTest's environment, which
# discovered tests receive only in part. OWN_MAIN: the sources bring their
# own main (the Qt tests need a QApplication around the run). PROPERTIES:
# CTest properties of every discovered test (a fixture the tests need).
function(agendor_add_test name)
  cmake_parse_arguments(ARG "OWN_MAIN" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  if(ARG_OWN_MAIN)
    add_executable(${name} ${ARG_SOURCES})
  else()
    add_executable(${name} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/tests/support/test_main.cpp)
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock)
  if(ARG_PROPERTIES)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${ARG_PROPERTIES})
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()
