#include "host/estimate/notify_thresholds.h"

#include <algorithm>
#include <charconv>
#include <functional>

std::optional<std::vector<int>> ParseLevels(std::string_view text, int most) {
  std::vector<int> levels;
  while (true) {
    const size_t comma = text.find(',');
    const std::string_view item = text.substr(0, comma);
    int level = 0;
    const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), level);
    if (item.empty() || error != std::errc{} || end != item.data() + item.size() || level < 1 ||
        level > most) {
      return std::nullopt;
    }
    levels.push_back(level);
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  std::sort(levels.begin(), levels.end(), std::greater<>());
  if (std::adjacent_find(levels.begin(), levels.end()) != levels.end()) return std::nullopt;
  return levels;
}
