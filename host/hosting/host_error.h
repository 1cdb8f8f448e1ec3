// A failure the host reports to the user and stops on: the message says what failed and where
// (file, line, registry key, result code).
#pragma once

#include <stdexcept>

class HostError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
