// Failures inside a test helper named with the test's line that called it. The helper takes
// `CallerLocation caller = CallerLocation::Current()` as its last parameter, which the call fills
// in, and opens a CallerTrace on it.
#pragma once

#include <gtest/gtest.h>

// Where a helper was called from. It does what std::source_location does, with the builtins that
// clang before 15 (the tree's clang-tidy) also parses with GCC's standard library.
struct CallerLocation {
  static CallerLocation Current(const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
    return {file, line};
  }
  const char* file;
  int line;
};

class CallerTrace {
 public:
  explicit CallerTrace(const CallerLocation& caller)
      : trace_(caller.file, caller.line, "called from here") {}

 private:
  testing::ScopedTrace trace_;
};
