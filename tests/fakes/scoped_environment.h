// Sets or clears an environment variable while the guard lives, then puts back what was there.
#pragma once

#include <stdlib.h>

#include <optional>
#include <string>

class ScopedEnvironment {
 public:
  // A null value clears the variable.
  ScopedEnvironment(const char* name, const char* value) : name_(name) {
    if (const char* old = getenv(name)) previous_ = old;
    value ? setenv(name, value, 1) : unsetenv(name);
  }
  ~ScopedEnvironment() { previous_ ? setenv(name_, previous_->c_str(), 1) : unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> previous_;
};
