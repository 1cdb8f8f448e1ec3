#include "host/hosting/home_screen_session.h"

#include <utility>

#include "host/hosting/activation/class_id.h"
#include "host/hosting/home_screen_file.h"
#include "host/hosting/stream_file.h"

namespace {

std::optional<std::vector<BYTE>> SavedStream(const SessionFiles& files) {
  if (!SavedStreamApplies(files)) return std::nullopt;
  // Bytes that cannot be a saved state would become settings: the plug-in starts without them.
  Outcome<std::optional<std::vector<BYTE>>> read = ReadStreamFile(files.stream);
  if (!read.ok()) return std::nullopt;
  std::optional<std::vector<BYTE>>& saved = read.value();
  if (saved && !DecodeConfiguration(*saved)) return std::nullopt;
  return std::move(saved);
}

}  // namespace

bool SavedStreamApplies(const SessionFiles& files) {
  std::error_code streamError;
  std::error_code homeError;
  const auto saved = std::filesystem::last_write_time(files.stream, streamError);
  if (streamError) return false;
  const auto edited = std::filesystem::last_write_time(files.homeScreen, homeError);
  return homeError || saved >= edited;
}

HomeScreenSession::HomeScreenSession(const SessionFiles& files, ActivatedPlugin plugin)
    : files_(files),
      site_(HostSite::Create(timers_, line_, schemes_)),
      plugin_(
          std::move(plugin), static_cast<HostEnvironment*>(site_.Get()),
          CreateSettingsElement(ReadPluginElement(files.homeScreen, kBatteryPluginClassId)).Get(),
          SavedStream(files)) {}

void HomeScreenSession::DispatchDueTimers(ULONGLONG now) {
  for (size_t due = timers_.TakeDue(now).size(); due > 0; --due) plugin_.Timer();
}

bool HomeScreenSession::AnswerEarliestTimerNow() {
  const std::optional<ULONGLONG> earliest = timers_.EarliestDeadline();
  if (!earliest) return false;
  for (size_t due = timers_.TakeDue(*earliest).size(); due > 0; --due) plugin_.Timer();
  return true;
}

void HomeScreenSession::Paint(Canvas& canvas, LONG width) {
  const RECT rect{0, 0, width, kPluginLineHeight};
  canvas.FillRectangle(rect, schemes_.Current().background);
  line_.repaintRequested = false;
  plugin_.Paint(canvas, rect, line_.selected);
}

void HomeScreenSession::ToggleSelection() {
  if (!plugin_.selectable()) return;
  line_.selected = !line_.selected;
  line_.repaintRequested = true;
}

void HomeScreenSession::SwitchColourScheme() {
  schemes_.SwitchToNext();
  plugin_.ColourChange();
  line_.repaintRequested = true;
}

void HomeScreenSession::Save() const { WriteStreamFile(files_.stream, plugin_.Snapshot()); }

void HomeScreenSession::Close() {
  if (plugin_.stopped()) return;
  WriteStreamFile(files_.stream, plugin_.Stop());
}
