// How far the plug-in's estimate can be trusted on a recorded trace: at every simulated hour on
// battery where the line shows an estimate, the drain rate it implies (percent / hours left)
// against the drain rate that actually followed until the end of that on-battery period, side by
// side with two simple estimates a user would otherwise see; the hours left the line, the host's
// hours to show and its linear figure state against the true hours left (the charge over the drain
// that followed); and the hours each low-battery warning stated against the same truth.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/estimate/shown_estimate.h"
#include "host/front/simulation/trace_csv.h"

// An on-battery period: consecutive discharging readings without a rise in charge (a rise means
// the battery was charged in a gap of the recording). Indices of its first and last reading, and
// when it ended: at the reading that ended it, or at its last reading where the trace ends.
//
// It is judged up to when it ended with the charge then: where a reading of another state ended it
// (a logger that writes a row per state change has no other), at that reading; where the charge had
// risen, at its last reading, since the charge at the end is not known; where the recording ends,
// at its last reading, and the period is cut off: it did not end.
struct OnBatteryPeriod {
  size_t first;
  size_t last;
  ULONGLONG endsAt;
  ULONGLONG judgedUntil;
  double endPercent;
  bool cutOff;
};
// The periods lasting at least `minimum` (file time units); `shorter`, when given, counts those
// left out.
std::vector<OnBatteryPeriod> OnBatteryPeriods(const std::vector<TraceReading>& readings,
                                              ULONGLONG minimum, size_t* shorter = nullptr);

struct HourlyLine {
  ULONGLONG utc;
  std::string line;
  UINT hoursWithDrain = 0;  // the stat file's coverage then, as the status bar shows it
  bool learning = false;    // the statistics still learning then, as the status bar says
  // The host's hours left then: its linear figure, and the hours to show.
  std::optional<double> hostLinear = std::nullopt;
  std::optional<double> toShow = std::nullopt;
};

// One hour judged: drain rates in percentage points per hour.
struct JudgedHour {
  ULONGLONG utc;
  double actual;  // what followed: the drop from this hour to the period's end over that time
  double line;    // the line's: its percent over its hours left
  // The drop since the period began over the time since; none while nothing dropped yet.
  std::optional<double> linear;
  // The drop over the last hour; within the period's first hour the linear one; none without a
  // drop.
  std::optional<double> lastHour;
  bool fromStatistics;
  // A reading came within the hour before: the recording ran (a gap means the machine was off or
  // asleep, and the replay holds the reading before it).
  bool recorded;
  bool cutOff;  // in a period the recording's end cut off
  UINT hoursWithDrain;
  // Hours left: the truth (the charge now over the actual rate), the line's, the host's.
  double trueHours;
  double lineHours;
  std::optional<double> hostLinear;
  std::optional<double> toShow;
  bool learning;
};

struct Judgement {
  std::vector<JudgedHour> hours;
  size_t periods = 0;
  size_t shortPeriods = 0;  // left out: shorter than an hour
  // Periods of a single discharging row, as a log with one row per state change writes: their
  // hours are judged against the charge held from that row.
  size_t singleRowPeriods = 0;
  size_t cutOffPeriods = 0;
  // Hours on battery where the line showed no estimate, hours with an estimate after which the
  // charge did not fall until the period ended (no actual rate to compare with), and judged hours
  // where the linear or the recent estimate saw no drop (it would show no figure, as the line's
  // "-?-", and is left out rather than scored as an error of 1).
  size_t withoutEstimate = 0;
  size_t withoutDrain = 0;
  size_t linearWithoutDrop = 0;
  size_t recentWithoutDrop = 0;
};

// Judges the hourly lines of a replay of the readings, in on-battery periods of at least an hour,
// from the period's first reading up to when it is judged (see OnBatteryPeriod).
Judgement JudgeHours(const std::vector<TraceReading>& readings,
                     const std::vector<HourlyLine>& lines);

// A low-battery warning as printed, and the hours it stated (none for "Hours left not known yet").
struct StatedWarning {
  ULONGLONG utc;
  std::string text;
  std::optional<double> hours;
};

// A warning against what followed it in its on-battery period (of any length): the hours to the
// period's end (the charger, or empty) and the drop until then; the true hours left, the charge at
// the warning over the drain that followed, when the charge fell. Not judged (nullopt) when no
// period holds it.
struct JudgedWarning {
  StatedWarning warning;
  double percent;
  double hoursToEnd;
  double drop;
  std::optional<double> trueHours;
  bool cutOff;
};
std::vector<std::optional<JudgedWarning>> JudgeWarnings(const std::vector<TraceReading>& readings,
                                                        const std::vector<StatedWarning>& warnings);

// |estimate - actual| / actual.
double RelativeError(double estimate, double actual);

struct ErrorSummary {
  size_t count = 0;
  double median = 0;
  double p90 = 0;  // nearest rank
};
ErrorSummary Summarize(std::vector<double> errors);
