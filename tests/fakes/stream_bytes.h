// A persisted stream's bytes written out by hand: little-endian 32-bit words and UTF-16 code units.
#pragma once

#include <string>
#include <vector>

#include "platform/api.h"

struct StreamBytes {
  StreamBytes& Word(DWORD value) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<BYTE>(value >> shift));
    return *this;
  }
  StreamBytes& Words(DWORD value, int count) {
    for (int i = 0; i < count; ++i) Word(value);
    return *this;
  }
  StreamBytes& Units(const std::u16string& text) {
    for (char16_t c : text) {
      bytes.push_back(static_cast<BYTE>(c));
      bytes.push_back(static_cast<BYTE>(c >> 8));
    }
    return *this;
  }

  std::vector<BYTE> bytes;
};
