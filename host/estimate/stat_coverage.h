// How far the estimate can be trusted: for how many of the 24 hours of the day the stat file's
// records within the history window hold a drop above zero (hours that saw only zero drops, as a
// machine asleep or idle on battery gives, count as not measured). Until most hours have drain
// measured, the hours-left figure reads far too long, since the plug-in counts the others as free.
#pragma once

#include <sys/types.h>

#include <optional>
#include <tuple>

#include "platform/api.h"

// The hours of the day with drain in the stat file's records younger than maxHistoryDays, as the
// plug-in would load them (a missing file is created with its version line when files may be
// written, a wrong version shown as a message box, which the plug-in would show too).
UINT HoursWithDrain(const WString& statFilename, LONG maxHistoryDays);

// HoursWithDrain, loaded again only when the stat file changed (device, inode, size, modification
// time) or the local hour moved on, since records leave the window by the hour.
class StatCoverage {
 public:
  StatCoverage(WString statFilename, LONG maxHistoryDays);

  UINT HoursWithDrain();
  // How many times the file was loaded, for the tests.
  size_t loads() const { return loads_; }

 private:
  using Key = std::tuple<dev_t, ino_t, off_t, long long, WORD, WORD, WORD, WORD>;
  Key CurrentKey() const;

  WString statFilename_;
  LONG maxHistoryDays_;
  std::optional<Key> loadedFor_;
  UINT hours_ = 0;
  size_t loads_ = 0;
};
