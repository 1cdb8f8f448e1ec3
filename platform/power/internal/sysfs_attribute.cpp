#include "platform/power/internal/sysfs_attribute.h"

#include <charconv>

namespace {

constexpr std::string_view kWhitespace = " \t\r\n\v\f";

}  // namespace

std::optional<std::string_view> TrimAttribute(std::string_view text) {
  const size_t first = text.find_first_not_of(kWhitespace);
  if (first == std::string_view::npos) return std::nullopt;
  const size_t last = text.find_last_not_of(kWhitespace);
  return text.substr(first, last - first + 1);
}

std::optional<int64_t> ParseStrictInteger(std::string_view text) {
  if (text.empty()) return std::nullopt;
  int64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value, 10);
  if (error != std::errc() || stop != end) return std::nullopt;
  return value;
}
