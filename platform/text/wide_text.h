// UTF-16 text helpers shared by both builds: one string type for WCHAR text, and conversions for
// texts that are formatted narrow (printf-style, ASCII) and widened afterwards.
#pragma once

#include <string>
#include <string_view>

#if defined(_WIN32)
#include <windows.h>
#else
#include "platform/win_types.h"
#endif

typedef std::basic_string<WCHAR> WString;
typedef std::basic_string_view<WCHAR> WStringView;

// Widens text byte by byte: meant for ASCII and Latin-1 text such as printf output.
inline WString WidenLatin1(std::string_view text) {
  WString wide;
  wide.reserve(text.size());
  for (unsigned char c : text) wide.push_back(static_cast<WCHAR>(c));
  return wide;
}

// Length of a zero-terminated wide text.
inline size_t WideLength(const WCHAR* text) {
  size_t n = 0;
  while (text[n] != 0) ++n;
  return n;
}

// Appends one code point (up to U+10FFFF) as UTF-8.
void AppendUtf8(std::string& out, char32_t c);
// UTF-8 from UTF-16; unpaired surrogates become U+FFFD.
std::string NarrowUtf8(WStringView text);
// UTF-16 from UTF-8; malformed bytes become U+FFFD.
WString WidenUtf8(std::string_view text);
