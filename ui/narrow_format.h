// printf-style formatting into a narrow string that is as long as the text needs, so nothing is
// cut; the caller widens the result.
#pragma once

#include <cstdio>
#include <string>

template <typename... Args>
std::string NarrowFormat(const char* format, Args... args) {
  const int length = std::snprintf(nullptr, 0, format, args...);
  if (length <= 0) return {};
  std::string text(static_cast<size_t>(length), '\0');
  std::snprintf(text.data(), text.size() + 1, format, args...);
  return text;
}
