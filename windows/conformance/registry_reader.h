// Reads a registry key's subkeys and values exactly as stored: names, types and byte sizes.
#pragma once

#include <vector>

#include "platform/api.h"

struct StoredValue {
  WString name;
  DWORD type = 0;
  std::vector<BYTE> data;  // exactly the stored bytes
};

// An open key, closed when the object goes; not open when the key does not exist.
class OpenedKey {
 public:
  OpenedKey(HKEY parent, const WString& path);
  ~OpenedKey();
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;

  bool open() const { return key_ != nullptr; }
  LONG openResult() const { return openResult_; }
  std::vector<WString> Subkeys() const;
  std::vector<StoredValue> Values() const;

 private:
  HKEY key_ = nullptr;
  LONG openResult_;
};

// The bytes of a REG_SZ text with its terminating zero, as a value holds it.
std::vector<BYTE> TextValueBytes(const WString& text);
