// Counts the conformance checks and keeps a readable line for each that failed.
#pragma once

#include <cstdio>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/api.h"

class CheckReport {
 public:
  // Starts a group of checks; failure lines name it.
  void Group(const std::string& name) { group_ = name; }

  bool Check(bool passed, const std::string& what, const std::string& detail = {});

  template <typename T>
  bool Equal(const T& actual, const T& expected, const std::string& what) {
    return Check(actual == expected, what, "expected " + Show(expected) + ", got " + Show(actual));
  }

  // Result codes compare and show as eight hexadecimal digits.
  bool EqualResult(HRESULT actual, HRESULT expected, const std::string& what);

  int passed() const { return passed_; }
  int failed() const { return static_cast<int>(failures_.size()); }
  const std::vector<std::string>& failures() const { return failures_; }

  static std::string Show(const WString& text);
  static std::string Show(const std::string& text);
  static std::string Show(const std::vector<BYTE>& bytes);
  static std::string Show(const std::vector<WString>& texts);
  static std::string Show(long long value);
  static std::string Show(unsigned long long value);
  static std::string Show(bool value) { return value ? "true" : "false"; }
  template <typename Integer>
  static std::string Show(Integer value) {
    if constexpr (std::is_signed_v<Integer>)
      return Show(static_cast<long long>(value));
    else
      return Show(static_cast<unsigned long long>(value));
  }

 private:
  std::string group_;
  int passed_ = 0;
  std::vector<std::string> failures_;
};

// A result code as eight hexadecimal digits, for messages.
std::string HexResult(HRESULT hr);
