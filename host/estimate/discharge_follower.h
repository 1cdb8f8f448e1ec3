// The host's own linear figure for the current on-battery period, from the power readings the
// plug-in takes: the charge at the last reading over the drop rate since the period's base. Unlike
// the plug-in's period it is not cut short when the plug-in files a long discharge, so it spans the
// whole time on battery that the host saw.
//
// It counts only time awake on battery: the base starts again, rather than counting the time
// between as drain, at the first reading on battery (off mains and not charging, as the plug-in
// decides), after a charge that rose, after a reading that knows no charge or no battery, after a
// battery appeared or was removed (a step in the pack: its count of batteries, or its full capacity
// by more than kPackCapacityStep), and after a resume: a gap between readings far longer than the
// plug-in's refresh (the machine asleep, or the clock set forward), or a clock that went back.
//
// A rate since the base cannot foresee a drain that just rose (a build, a game, the screen at full
// brightness), so beside it the follower keeps a recent window within the same time awake on
// battery: the drain over at least the last kRecentWindow, reaching further back until it holds a
// drop of kLeastRecentDrop points: readings are whole percents, so a drop read may be up to a point
// more or less than the charge really fell, and over three points or more that is at most a third
// of it. The window starts at the latest reading that is old enough and holds the drop, to stay as
// close to the last half hour as the readings allow. Too short a time awake or too small a drop
// gives no recent figure, and the figure since the base stands alone.
#pragma once

#include <optional>
#include <vector>

#include "platform/api.h"
#include "platform/power/power_source.h"
#include "platform/time/calendar.h"

struct LinearFigure {
  double hoursLeft;
  int pointsDropped;
  double hoursOnBattery;
};

// A gap between readings longer than this many refreshes is a resume.
inline constexpr ULONGLONG kRefreshesInAResumeGap = 3;
// A full capacity that changed by more than this share is another pack, not a recalibration.
inline constexpr double kPackCapacityStep = 0.05;
// The recent window's least span (file time units) and least drop (percentage points).
inline constexpr ULONGLONG kRecentWindow = 30 * kFileTimeUnitsPerMinute;
inline constexpr int kLeastRecentDrop = 3;

class DischargeFollower {
 public:
  // refreshMilliseconds: the longest wait between two of the plug-in's readings.
  explicit DischargeFollower(DWORD refreshMilliseconds);

  // One reading at utc (file time), with its batteries where the source tells them; a failed read
  // is nullopt and leaves the period as it was.
  void Observe(ULONGLONG utc, const std::optional<SYSTEM_POWER_STATUS_EX2>& status,
               const std::optional<BatteryPack>& pack = std::nullopt);

  // The charge at the last reading over the drop rate since the base; nullopt off battery, without
  // a drop yet, or with the charge not known.
  std::optional<LinearFigure> Figure() const;

  // The hours left at the faster of the two drains, since the base and over the recent window;
  // nullopt when Figure() is.
  std::optional<double> HoursLeft() const;

  // How many readings the follower keeps for its recent window, for the tests.
  size_t keptReadings() const { return windowStarts_.size(); }

 private:
  struct Point {
    ULONGLONG utc;
    int percent;
  };
  // Whether a reading may start the recent window that ends at the last reading.
  bool StartsRecentWindow(const Point& start) const;
  // Forgets the readings no later window can start at: those followed by one as old at the same
  // charge, or by one that may start it already.
  void ForgetOutgrownStarts();

  ULONGLONG resumeGap_;
  std::optional<BatteryPack> pack_;
  std::optional<Point> start_;
  std::optional<Point> last_;
  // The readings since the base that a recent window may yet start at, oldest first; the last
  // reading is the newest.
  std::vector<Point> windowStarts_;
};
