#include "platform/power/internal/sysfs_attribute.h"

#include <charconv>
#include <fstream>
#include <sstream>

namespace {

constexpr std::string_view kWhitespace = " \t\r\n\v\f";

}  // namespace

std::optional<std::string> ReadSysfsAttribute(const std::filesystem::path& folder,
                                              std::string_view name) {
  std::ifstream file(folder / name, std::ios::binary);
  if (!file) return std::nullopt;
  std::ostringstream content;
  content << file.rdbuf();
  if (file.bad()) return std::nullopt;
  const std::string text = content.str();
  const size_t first = text.find_first_not_of(kWhitespace);
  if (first == std::string::npos) return std::nullopt;
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

std::optional<int64_t> ReadSysfsInteger(const std::filesystem::path& folder,
                                        std::string_view name) {
  const std::optional<std::string> text = ReadSysfsAttribute(folder, name);
  return text ? ParseStrictInteger(*text) : std::nullopt;
}
