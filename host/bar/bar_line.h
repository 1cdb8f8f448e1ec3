// What the status-bar mode writes for one line: the plain text, or one JSON object in the form of
// waybar's custom modules.
#pragma once

#include <optional>
#include <string>

struct BarContent {
  std::string text;                // UTF-8, one line
  std::string tooltip;             // UTF-8, lines separated by "\n"
  std::string batteryClass;        // see BatteryClass
  std::optional<int> percentage;   // nullopt when the charge is not known
};

// {"text":...,"tooltip":...,"class":...,"percentage":N} on one line, without the line break;
// "percentage" is left out when the charge is not known. Strings are escaped as JSON requires
// (quotes, backslashes, control characters), UTF-8 passes through.
std::string JsonLine(const BarContent& content);

// The text JSON's way, quoted.
std::string JsonString(const std::string& text);
