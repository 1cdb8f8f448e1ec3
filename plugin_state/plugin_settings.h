// The seven settings of the plug-in, in the order the host hands them over and the object holds
// them.
#pragma once

#include "platform/api.h"

struct PluginSettings {
  LONG RefreshTimeout = 0;     // ms; longest wait between two refreshes (compared unsigned)
  WString StatFilename;        // device path of the stat file
  LONG MaxHistoryDays = 0;     // stat file records this many whole days old or older are not loaded
  LONG MinPercent = 0;         // below this charge no hourly drop is recorded
  LONG FlushTimeoutHours = 0;  // the series is flushed once it holds this many drops
  LONG height = 0;      // kept and persisted only: the reported height is always kPluginLineHeight
  LONG ExpertMode = 0;  // non-zero: current in the status line, statistics in the report
};

// The values a setting takes when the host does not give it.
namespace setting_defaults {
inline constexpr LONG RefreshTimeout = 600000;
inline const WCHAR* const StatFilename = TEXT("\\Storage\\My Documents\\ZelvarPlugin.dat");
inline constexpr LONG MaxHistoryDays = 30;
inline constexpr LONG MinPercent = 20;
inline constexpr LONG FlushTimeoutHours = 8;
inline constexpr LONG height = 20;
inline constexpr LONG ExpertMode = 0;
}  // namespace setting_defaults

inline PluginSettings DefaultSettings() {
  namespace d = setting_defaults;
  return PluginSettings{d::RefreshTimeout,    d::StatFilename, d::MaxHistoryDays, d::MinPercent,
                        d::FlushTimeoutHours, d::height,       d::ExpertMode};
}
