// printf-style formatting into a narrow string that is as long as the text needs, so nothing is
// cut; the caller widens the result. The compiler checks every call's arguments against its format.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>

#if defined(__MINGW32__)
// The runtime library's printf flavour that std::vsnprintf stands for in the Windows build.
#define ZELVAR_CHECKED_FORMAT __attribute__((format(__MINGW_PRINTF_FORMAT, 1, 2)))
#else
#define ZELVAR_CHECKED_FORMAT __attribute__((format(printf, 1, 2)))
#endif

inline std::string NarrowFormat(const char* format, ...) ZELVAR_CHECKED_FORMAT;

inline std::string NarrowFormat(const char* format, ...) {
  // Most texts fit the stack buffer and are formatted once; longer ones are formatted again at
  // size.
  char buffer[256];
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  std::string text;
  if (length > 0 && static_cast<size_t>(length) < sizeof buffer) {
    text.assign(buffer, static_cast<size_t>(length));
  } else if (length > 0) {
    text.resize(static_cast<size_t>(length));
    std::vsnprintf(text.data(), text.size() + 1, format, again);
  }
  va_end(again);
  return text;
}
