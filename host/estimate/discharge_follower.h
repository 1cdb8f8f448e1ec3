// The host's own linear figure for the current on-battery period, from the power readings the
// plug-in takes: the period starts at the first reading on battery (off mains and not charging,
// as the plug-in decides) and ends on mains; a charge that rose starts a new one. Unlike the
// plug-in's period it is not cut short when the plug-in files a long discharge, so it spans the
// whole time on battery that the host saw.
#pragma once

#include <optional>

#include "platform/api.h"

struct LinearFigure {
  double hoursLeft;
  int pointsDropped;
  double hoursOnBattery;
};

class DischargeFollower {
 public:
  // One reading at utc (file time); a failed read is nullopt and leaves the period as it was.
  void Observe(ULONGLONG utc, const std::optional<SYSTEM_POWER_STATUS_EX2>& status);

  // The charge at the last reading over the drop rate since the period began; nullopt off battery,
  // without a drop yet, or with the charge not known.
  std::optional<LinearFigure> Figure() const;

 private:
  struct Point {
    ULONGLONG utc;
    int percent;
  };
  std::optional<Point> start_;
  std::optional<Point> last_;
};
