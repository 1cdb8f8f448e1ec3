# The conformance checks' portable sources, shared by the Windows program and the stand-in's test.
# Their host (test_host.cpp) is shared further: the tests' fakes build it, for every test.
set(ZELVAR_CONFORMANCE_CHECKS
  activation_checks.cpp
  check_report.cpp
  conformance_checks.cpp
  event_checks.cpp
  message_expectations.cpp
  painting_checks.cpp
  persistence_checks.cpp
  plugin_under_test.cpp
  registration_checks.cpp
  registry_reader.cpp
  settings_checks.cpp
  stat_file_checks.cpp
  time_zone_checks.cpp
)
list(TRANSFORM ZELVAR_CONFORMANCE_CHECKS PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
