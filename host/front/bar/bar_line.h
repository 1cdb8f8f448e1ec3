// What the status-bar mode writes for one line: the plain text, or one JSON object in the form of
// waybar's custom modules.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct BarContent {
  std::string text;     // UTF-8, one line
  std::string tooltip;  // UTF-8, lines separated by "\n"
  std::vector<std::string>
      classes;  // the battery's class (see BatteryClass), then "learning" when it applies
  std::optional<int> percentage;  // nullopt when the charge is not known
  std::string alt;                // the battery's class alone, for waybar's format-icons
};

// {"text":...,"alt":...,"tooltip":...,"class":...,"percentage":N} on one line, without the line
// break; "class" is one word, or an array of them when there are more; "percentage" is left out
// when the charge is not known.
std::string JsonLine(const BarContent& content);

// A JSON line that another process wrote for the bar: written again as JsonLine writes, its strings
// (keys too) with every control character but the line breaks as U+FFFD; nullopt when it is not
// one object whose values are strings, finite numbers, truth values or arrays of strings. A line
// JsonLine wrote of printable text comes back unchanged.
std::optional<std::string> CheckedJsonLine(std::string_view line);
