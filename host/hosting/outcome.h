// What a step that gives a value answers: the value, or the problem, in words, that kept it from
// one; a value may instead come with a note that is no failure (Noted). A step that only succeeds
// or fails answers std::optional<std::string> (its problem), and a failure that ends the run is a
// thrown HostError.
#pragma once

#include <optional>
#include <string>
#include <utility>

// Why a step has no value: the words it is reported with.
struct Problem {
  std::string text;
};

template <typename T>
class Outcome {
 public:
  Outcome(T value) : value_(std::move(value)) {}
  Outcome(Problem problem) : problem_(std::move(problem.text)) {}

  bool ok() const { return value_.has_value(); }
  // Only when ok().
  T& value() { return *value_; }
  const T& value() const { return *value_; }
  const std::string& problem() const { return problem_; }

 private:
  std::optional<T> value_;
  std::string problem_;
};

// A value that comes with a line for standard error that is no failure: the default taken in place
// of a setting that cannot be used, say. nullopt: nothing to say.
template <typename T>
struct Noted {
  T value;
  std::optional<std::string> note;
};
