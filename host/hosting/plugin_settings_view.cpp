#include "host/hosting/plugin_settings_view.h"

namespace {

constexpr size_t kWordCount = 8;  // handle, six settings, name length

LONG WordAt(const std::vector<BYTE>& stream, size_t index) {
  const size_t at = 4 * index;
  return static_cast<LONG>(static_cast<DWORD>(stream[at]) | static_cast<DWORD>(stream[at + 1]) << 8 |
                           static_cast<DWORD>(stream[at + 2]) << 16 | static_cast<DWORD>(stream[at + 3]) << 24);
}

}  // namespace

bool CanBeSavedState(const std::vector<BYTE>& stream) {
  if (stream.size() < 4 * kWordCount) return false;
  return stream.size() == 4 * kWordCount + 2 * size_t{static_cast<DWORD>(WordAt(stream, 7))};
}

std::optional<PluginSettingsView> ReadPluginSettings(const std::vector<BYTE>& stream) {
  if (stream.size() < 4 * kWordCount) return std::nullopt;
  const auto nameLength = static_cast<DWORD>(WordAt(stream, 7));
  if ((stream.size() - 4 * kWordCount) / 2 < nameLength) return std::nullopt;
  PluginSettingsView view;
  view.refreshTimeout = WordAt(stream, 1);
  view.maxHistoryDays = WordAt(stream, 2);
  view.minPercent = WordAt(stream, 3);
  view.flushTimeoutHours = WordAt(stream, 4);
  view.expertMode = WordAt(stream, 6);
  for (size_t i = 0; i < nameLength; ++i) {
    const size_t at = 4 * kWordCount + 2 * i;
    const auto c = static_cast<WCHAR>(stream[at] | stream[at + 1] << 8);
    if (c == 0) break;
    view.statFilename.push_back(c);
  }
  return view;
}
