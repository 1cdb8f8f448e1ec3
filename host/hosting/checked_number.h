// The one parser of the host's numbers (its options and the values of its own files): the whole
// text is one decimal number within [least, most], or there is none. No blanks, no '+', no
// hexadecimal; infinities and NaN are never within a finite range.
#pragma once

#include <charconv>
#include <optional>
#include <string_view>

template <typename Number>
std::optional<Number> CheckedNumber(std::string_view text, Number least, Number most) {
  Number value{};
  const char* const end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc{} || stop != end || !(value >= least && value <= most))
    return std::nullopt;
  return value;
}
