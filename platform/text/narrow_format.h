// printf-style formatting into a narrow string that is as long as the text needs, so nothing is
// cut; the caller widens the result.
#pragma once

#include <cstdio>
#include <string>

template <typename... Args>
std::string NarrowFormat(const char* format, Args... args) {
  // Most texts fit the stack buffer and are formatted once; longer ones are formatted again at size.
  char buffer[256];
  const int length = std::snprintf(buffer, sizeof buffer, format, args...);
  if (length <= 0) return {};
  if (static_cast<size_t>(length) < sizeof buffer) return std::string(buffer, static_cast<size_t>(length));
  std::string text(static_cast<size_t>(length), '\0');
  std::snprintf(text.data(), text.size() + 1, format, args...);
  return text;
}
