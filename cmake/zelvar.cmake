include(GoogleTest)

# zelvar_add_test(<name> SOURCES <files...> LIBS <targets...> [PROPERTIES <test properties...>])
# One GoogleTest executable; CTest lists each of its tests as <name>.<Suite>.<Test> (so that
# `ctest -R <name>` still selects the program) and times it. The tests are listed when CTest runs,
# so that a build never runs a test program. PROPERTIES (WORKING_DIRECTORY, ENVIRONMENT, ...) go to
# every test of the program. A parameterised case is listed by the name its suite's name generator
# gives, never by a dump of its parameter (NO_PRETTY_VALUES), so that its name is the same in every
# build.
function(zelvar_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  set(properties)
  if(ARG_PROPERTIES)
    set(properties PROPERTIES ${ARG_PROPERTIES})
  endif()
  gtest_discover_tests(${name} TEST_PREFIX "${name}." DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    NO_PRETTY_VALUES ${properties})
endfunction()
