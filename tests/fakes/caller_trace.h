// Failures inside a test helper named with the test's line that called it. The helper takes
// `std::source_location caller = std::source_location::current()` as its last parameter, which the
// call fills in, and opens a CallerTrace on it.
#pragma once

#include <gtest/gtest.h>

#include <source_location>

class CallerTrace {
 public:
  explicit CallerTrace(const std::source_location& caller)
      : trace_(caller.file_name(), static_cast<int>(caller.line()), "called from here") {}

 private:
  testing::ScopedTrace trace_;
};
