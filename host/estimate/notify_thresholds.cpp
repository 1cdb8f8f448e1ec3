#include "host/estimate/notify_thresholds.h"

#include <algorithm>
#include <charconv>
#include <functional>

std::optional<NotifyThresholds> ParseNotifyThresholds(std::string_view text) {
  NotifyThresholds thresholds;
  while (true) {
    const size_t comma = text.find(',');
    const std::string_view item = text.substr(0, comma);
    int percent = 0;
    const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), percent);
    if (item.empty() || error != std::errc{} || end != item.data() + item.size() || percent < 1 ||
        percent > 100) {
      return std::nullopt;
    }
    thresholds.push_back(percent);
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  std::sort(thresholds.begin(), thresholds.end(), std::greater<>());
  if (std::adjacent_find(thresholds.begin(), thresholds.end()) != thresholds.end())
    return std::nullopt;
  return thresholds;
}
