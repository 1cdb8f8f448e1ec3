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
#pragma once

#include <optional>

#include "platform/api.h"
#include "platform/power/power_source.h"

struct LinearFigure {
  double hoursLeft;
  int pointsDropped;
  double hoursOnBattery;
};

// A gap between readings longer than this many refreshes is a resume.
inline constexpr ULONGLONG kRefreshesInAResumeGap = 3;
// A full capacity that changed by more than this share is another pack, not a recalibration.
inline constexpr double kPackCapacityStep = 0.05;

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

 private:
  struct Point {
    ULONGLONG utc;
    int percent;
  };
  ULONGLONG resumeGap_;
  std::optional<BatteryPack> pack_;
  std::optional<Point> start_;
  std::optional<Point> last_;
};
