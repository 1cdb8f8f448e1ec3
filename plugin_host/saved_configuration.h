// The plug-in's saved state as its stream holds it, decoded in this one place for every reader of a
// saved stream (the home screen and the conformance program): the handle, the six integer settings
// and the length n of the stat file's name as 32-bit little-endian words, then the name's n UTF-16
// code units without a terminator. 32 + 2n bytes, no header, no version.
#pragma once

#include <optional>
#include <vector>

#include "platform/api.h"
#include "platform/text/wide_text.h"

struct SavedConfiguration {
  DWORD handle = 0;
  LONG RefreshTimeout = 0;
  LONG MaxHistoryDays = 0;
  LONG MinPercent = 0;
  LONG FlushTimeoutHours = 0;
  LONG height = 0;
  LONG ExpertMode = 0;
  WString StatFilename;

  bool operator==(const SavedConfiguration&) const = default;
};

// The fixed part: seven words of the configuration and the name's length.
inline constexpr size_t kSavedConfigurationFixedBytes = size_t{4} * 8;

namespace saved_configuration_detail {

inline void PutWord(std::vector<BYTE>& bytes, DWORD value) {
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<BYTE>(value >> shift));
}

inline DWORD WordAt(const std::vector<BYTE>& bytes, size_t offset) {
  return static_cast<DWORD>(bytes[offset]) | static_cast<DWORD>(bytes[offset + 1]) << 8 |
         static_cast<DWORD>(bytes[offset + 2]) << 16 | static_cast<DWORD>(bytes[offset + 3]) << 24;
}

}  // namespace saved_configuration_detail

inline std::vector<BYTE> EncodeConfiguration(const SavedConfiguration& c) {
  using saved_configuration_detail::PutWord;
  std::vector<BYTE> bytes;
  PutWord(bytes, c.handle);
  for (LONG value : {c.RefreshTimeout, c.MaxHistoryDays, c.MinPercent, c.FlushTimeoutHours,
                     c.height, c.ExpertMode}) {
    PutWord(bytes, static_cast<DWORD>(value));
  }
  PutWord(bytes, static_cast<DWORD>(c.StatFilename.size()));
  for (WCHAR unit : c.StatFilename) {
    bytes.push_back(static_cast<BYTE>(unit));
    bytes.push_back(static_cast<BYTE>(static_cast<USHORT>(unit) >> 8));
  }
  return bytes;
}

// nullopt unless the bytes are exactly one record: the fixed words, then exactly the name their
// length word announces (a cut stream or another file's bytes are not the plug-in's). The name's
// code units come back as stored.
inline std::optional<SavedConfiguration> DecodeConfiguration(const std::vector<BYTE>& bytes) {
  using saved_configuration_detail::WordAt;
  if (bytes.size() < kSavedConfigurationFixedBytes) return std::nullopt;
  const DWORD length = WordAt(bytes, kSavedConfigurationFixedBytes - 4);
  if (bytes.size() != kSavedConfigurationFixedBytes + 2 * size_t{length}) return std::nullopt;
  SavedConfiguration c;
  c.handle = WordAt(bytes, 0);
  LONG* fields[] = {&c.RefreshTimeout,    &c.MaxHistoryDays, &c.MinPercent,
                    &c.FlushTimeoutHours, &c.height,         &c.ExpertMode};
  for (size_t i = 0; i < 6; ++i) *fields[i] = static_cast<LONG>(WordAt(bytes, 4 + 4 * i));
  for (size_t i = 0; i < length; ++i) {
    const size_t at = kSavedConfigurationFixedBytes + 2 * i;
    c.StatFilename.push_back(static_cast<WCHAR>(bytes[at] | bytes[at + 1] << 8));
  }
  return c;
}
