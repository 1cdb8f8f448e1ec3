// A class id written once, as its text "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (hex digits in
// either case): the 16-byte value and the registry key names are made from that text at compile
// time, so the key names keep the text's exact case. Builds against the stand-in and the system
// headers alike.
#pragma once

#include <array>
#include <cstddef>

#include "platform/api.h"

// 38 characters and the terminator.
using ClassIdLiteral = WCHAR[39];

namespace class_id_text_detail {

constexpr unsigned HexDigit(WCHAR c) {
  if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
  throw "a class id holds hex digits only";  // reached only when a compile-time text is malformed
}

constexpr unsigned long long HexAt(const ClassIdLiteral& text, size_t start, size_t digits) {
  unsigned long long value = 0;
  for (size_t i = start; i < start + digits; ++i) value = value * 16 + HexDigit(text[i]);
  return value;
}

}  // namespace class_id_text_detail

// The class id's value; a malformed text does not compile where the value is a constant.
constexpr GUID ClassIdFromText(const ClassIdLiteral& text) {
  using class_id_text_detail::HexAt;
  if (text[0] != '{' || text[9] != '-' || text[14] != '-' || text[19] != '-' || text[24] != '-' ||
      text[37] != '}') {
    throw "a class id reads {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
  }
  GUID id{};
  id.Data1 = static_cast<decltype(id.Data1)>(HexAt(text, 1, 8));
  id.Data2 = static_cast<WORD>(HexAt(text, 10, 4));
  id.Data3 = static_cast<WORD>(HexAt(text, 15, 4));
  id.Data4[0] = static_cast<BYTE>(HexAt(text, 20, 2));
  id.Data4[1] = static_cast<BYTE>(HexAt(text, 22, 2));
  for (size_t i = 0; i < 6; ++i) id.Data4[2 + i] = static_cast<BYTE>(HexAt(text, 25 + 2 * i, 2));
  return id;
}

// The texts one after the other, with one terminator.
template <size_t... Lengths>
constexpr std::array<WCHAR, (Lengths + ...) - sizeof...(Lengths) + 1> JoinedText(
    const WCHAR (&... parts)[Lengths]) {
  std::array<WCHAR, (Lengths + ...) - sizeof...(Lengths) + 1> joined{};
  size_t at = 0;
  ((std::copy(parts, parts + Lengths - 1, joined.begin() + at), at += Lengths - 1), ...);
  return joined;
}

inline constexpr WCHAR kInprocServerSubkey[] = TEXT("InprocServer32");

// "CLSID\{id}", the class's key under HKEY_CLASSES_ROOT.
constexpr auto ClassKeyName(const ClassIdLiteral& text) {
  return JoinedText(TEXT("CLSID\\"), text);
}
// "CLSID\{id}\InprocServer32", whose default value names the class's in-process server file.
constexpr auto InprocServerKeyName(const ClassIdLiteral& text) {
  return JoinedText(TEXT("CLSID\\"), text, TEXT("\\"), kInprocServerSubkey);
}
