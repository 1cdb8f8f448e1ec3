// How far the estimate can be trusted: the check of the stat file's records within the history
// window (statistics_check.h), read as the plug-in reads them: how many of the 24 hours of the day
// hold a drop above zero (hours that saw only zero drops, as a machine asleep or idle on battery
// gives, count as not measured), and how well the statistics foresee the latest discharges.
#pragma once

#include <sys/types.h>

#include <optional>
#include <tuple>

#include "host/estimate/statistics_check.h"
#include "platform/api.h"

// The check of the stat file's records younger than maxHistoryDays (local time now); a file that
// is missing, cannot be read or is larger than the plug-in reads holds none.
StatisticsCheck CheckStatFile(const WString& statFilename, LONG maxHistoryDays);

// CheckStatFile, done again only when the stat file changed (device, inode, size, modification
// time) or the local hour moved on, since records leave the window by the hour.
class StatCoverage {
 public:
  StatCoverage(WString statFilename, LONG maxHistoryDays);

  const StatisticsCheck& Check();
  // How many times the file was loaded, for the tests.
  size_t loads() const { return loads_; }

 private:
  using Key = std::tuple<dev_t, ino_t, off_t, long long, WORD, WORD, WORD, WORD>;
  Key CurrentKey() const;

  WString statFilename_;
  LONG maxHistoryDays_;
  std::optional<Key> loadedFor_;
  StatisticsCheck check_;
  size_t loads_ = 0;
};
