# agendor_add_test(name SOURCES files... LIBS targets... [ENV VAR=value...])
# One GoogleTest executable; each test case becomes its own CTest test so
# ctest -j runs them in parallel. Every test runs with a pinned time zone.
function(agendor_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  gtest_discover_tests(${name}
    PROPERTIES ENVIRONMENT "TZ=Europe/Berlin;LC_ALL=C;${ARG_ENV}"
    DISCOVERY_TIMEOUT 60)
endfunction()
