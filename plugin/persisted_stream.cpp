#include "plugin/persisted_stream.h"

#include <vector>

namespace {

void WriteWord(IStream& stream, DWORD value) {
  const BYTE bytes[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
                         static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)};
  stream.Write(bytes, sizeof bytes, nullptr);
}

// Reads exactly count bytes; false when the stream delivered fewer.
bool ReadExactly(IStream& stream, BYTE* buffer, ULONG count) {
  ULONG read = 0;
  const HRESULT hr = stream.Read(buffer, count, &read);
  return SUCCEEDED(hr) && read == count;
}

template <typename Field>
bool ReadWord(IStream& stream, Field& field) {
  BYTE bytes[4];
  if (!ReadExactly(stream, bytes, sizeof bytes)) return false;
  field =
      static_cast<Field>(static_cast<DWORD>(bytes[0]) | static_cast<DWORD>(bytes[1]) << 8 |
                         static_cast<DWORD>(bytes[2]) << 16 | static_cast<DWORD>(bytes[3]) << 24);
  return true;
}

// Reads and drops count bytes, in pieces, so the stream stands after the stored name.
void Skip(IStream& stream, ULONGLONG count) {
  BYTE scratch[4096];
  while (count > 0) {
    const ULONG piece =
        count < sizeof scratch ? static_cast<ULONG>(count) : static_cast<ULONG>(sizeof scratch);
    if (!ReadExactly(stream, scratch, piece)) return;
    count -= piece;
  }
}

}  // namespace

ULONGLONG PersistedSize(const PluginState& state) {
  return kSavedConfigurationFixedBytes +
         2 * static_cast<ULONGLONG>(state.settings.StatFilename.size());
}

void SaveConfiguration(IStream& stream, const PluginState& state) {
  const PluginSettings& s = state.settings;
  WriteWord(stream, state.handle);
  for (LONG value : {s.RefreshTimeout, s.MaxHistoryDays, s.MinPercent, s.FlushTimeoutHours,
                     s.height, s.ExpertMode}) {
    WriteWord(stream, static_cast<DWORD>(value));
  }
  WriteWord(stream, static_cast<DWORD>(s.StatFilename.size()));
  std::vector<BYTE> name;
  name.reserve(2 * s.StatFilename.size());
  for (WCHAR c : s.StatFilename) {
    name.push_back(static_cast<BYTE>(c));
    name.push_back(static_cast<BYTE>(static_cast<USHORT>(c) >> 8));
  }
  if (!name.empty()) stream.Write(name.data(), static_cast<ULONG>(name.size()), nullptr);
}

void LoadConfiguration(IStream& stream, PluginState& state) {
  PluginSettings& s = state.settings;
  DWORD storedLength = 0;
  const bool complete = ReadWord(stream, state.handle) && ReadWord(stream, s.RefreshTimeout) &&
                        ReadWord(stream, s.MaxHistoryDays) && ReadWord(stream, s.MinPercent) &&
                        ReadWord(stream, s.FlushTimeoutHours) && ReadWord(stream, s.height) &&
                        ReadWord(stream, s.ExpertMode) && ReadWord(stream, storedLength);
  if (!complete) return;

  const size_t kept = storedLength < kMaxStoredNameLength ? storedLength : kMaxStoredNameLength;
  std::vector<BYTE> bytes(2 * kept);
  if (!bytes.empty() && !ReadExactly(stream, bytes.data(), static_cast<ULONG>(bytes.size())))
    return;
  Skip(stream, 2 * (static_cast<ULONGLONG>(storedLength) - kept));
  WString name;
  for (size_t i = 0; i < kept; ++i) {
    const auto c = static_cast<WCHAR>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    if (c == 0) break;
    name.push_back(c);
  }
  s.StatFilename = name;
}
