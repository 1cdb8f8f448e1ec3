#include "host/bar/bar_line.h"

#include <cstdio>

std::string JsonString(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    switch (c) {
      case '"':
        quoted += "\\\"";
        break;
      case '\\':
        quoted += "\\\\";
        break;
      case '\n':
        quoted += "\\n";
        break;
      case '\t':
        quoted += "\\t";
        break;
      case '\r':
        quoted += "\\r";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
          quoted += escaped;
        } else {
          quoted += c;
        }
    }
  }
  return quoted + "\"";
}

std::string JsonLine(const BarContent& content) {
  std::string line = "{\"text\":" + JsonString(content.text) + ",\"tooltip\":" + JsonString(content.tooltip) +
                     ",\"class\":" + JsonString(content.batteryClass);
  if (content.percentage) line += ",\"percentage\":" + std::to_string(*content.percentage);
  return line + "}";
}
