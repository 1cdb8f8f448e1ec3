// Replays recorded battery traces through the plug-in at full speed, as `zelvar-home --trace`
// does, and prints how far its estimate is from the drain that actually followed, beside the
// plug-in's own linear extrapolation and the drain over the last hour: for the periods that ended,
// by where the line's figure came from, in the first day and after, and by how many hours of the
// day had drain measured in the stat file then (the coverage the status bar shows); then apart, the
// periods the recording's end cut off. "Recorded hours" leave out the hours in gaps of the
// recording (no reading in the hour before), where the machine was off or asleep and the replay
// holds the last reading. Then the hours left as the line, the host's hours to show and its linear
// figure state them against the true hours left; each low-battery warning the service would have
// sent (at the default charge levels, and at the time levels of --notify-below-minutes) with the
// hours it stated against the truth; and when the statistics stopped learning.
//
//   trace_accuracy [--zone OFFSET] [--asleep-after MINUTES] [--notify-below-minutes LIST] FILE
//                  [[--zone OFFSET] FILE]...
//
// Each option applies to the files after it (default UTC, never asleep, no time levels).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "bench/accuracy/estimate_accuracy.h"
#include "host/estimate/estimate_follower.h"
#include "host/estimate/estimate_notes.h"
#include "host/estimate/line_warnings.h"
#include "host/estimate/low_battery_text.h"
#include "host/estimate/power_reading_tap.h"
#include "host/hosting/activation/class_id.h"
#include "host/hosting/activation/module_activation.h"
#include "host/hosting/host_error.h"
#include "host/hosting/home_screen_session.h"
#include "host/program/host_services.h"
#include "host/front/simulation/full_speed_run.h"
#include "platform/time/calendar.h"

namespace {

// Above this many hours with drain the statistics cover the day.
constexpr UINT kCoveredHoursWithDrain = 20;

struct ReplayOptions {
  int zoneMinutes = 0;
  std::optional<int> asleepAfterMinutes;
  NotifyMinutes warnMinutes;
};

struct Replayed {
  std::vector<HourlyLine> lines;
  std::vector<StatedWarning> warnings;
};

Replayed Replay(const std::string& file, const ReplayOptions& replay) {
  HostOptions options;
  options.simulateSpeed = kDefaultSimulationSpeed;
  options.simulation.traceFile = file;
  options.simulation.zoneMinutes = replay.zoneMinutes;
  options.simulation.asleepAfterMinutes = replay.asleepAfterMinutes;
  HostServices services(options, NoBatteryShows::MachineReading);
  Simulation& simulation = *services.simulation();
  // Settled once the plug-in is activated; the readings of its activation come before it.
  std::optional<EstimateFollower> estimate;
  const PowerReadingTap tap(
      [&estimate](ULONGLONG utc, const std::optional<SYSTEM_POWER_STATUS_EX2>& status) {
        if (estimate) estimate->Observe(utc, status);
      });
  EnsureRegistered(kBatteryPluginClassId, ZELVARPLUG_FILE, Registration::Always);
  HomeScreenSession session(simulation.sessionFiles(), ActivatePlugin(kBatteryPluginClassId));
  const std::optional<SavedConfiguration> settings = session.settings();
  if (!settings) throw HostError("the plug-in saves too little to find its stat file");
  estimate.emplace(*settings);
  LineWarnings warnings(WarningLevels{kDefaultNotifyThresholds, replay.warnMinutes});
  Replayed replayed;
  RunAtFullSpeed(
      session, simulation.clock(), *simulation.end(),
      [&](ULONGLONG utc, const std::string& line) {
        const EstimateView view = estimate->For(line);
        std::optional<double> linear;
        if (view.linear) linear = view.linear->hoursLeft;
        std::optional<double> toShow;
        if (view.hours) toShow = view.hours->hours;
        replayed.lines.push_back({utc, line, view.statistics ? view.statistics->hoursWithDrain : 0,
                                  view.learning, linear, toShow});
      },
      simulation.asleep(),
      [&](ULONGLONG utc, const std::string& line) {
        const std::optional<LineWarning> warning = warnings.Observe(line, estimate->For(line));
        if (!warning || !std::holds_alternative<WarningToShow>(*warning)) return;
        replayed.warnings.push_back(
            {utc, WarningText(*warning), HoursInBody(std::get<WarningToShow>(*warning).body)});
      });
  session.Close();
  return replayed;
}

// The relative errors of an estimator over the hours where it gives a figure, and the share of
// those hours where it misled: a rate below the actual one (hours left shown too long), or hours
// left shown above twice the true ones.
struct Row {
  ErrorSummary errors;
  double share = 0;
};

template <typename Rate>
Row RowOf(const std::vector<JudgedHour>& hours, const Rate& rate) {
  std::vector<double> errors;
  size_t tooLow = 0;
  for (const JudgedHour& hour : hours) {
    const std::optional<double> estimate = rate(hour);
    if (!estimate) continue;
    errors.push_back(RelativeError(*estimate, hour.actual));
    if (*estimate < hour.actual) ++tooLow;
  }
  Row row{Summarize(errors)};
  if (!errors.empty()) row.share = static_cast<double>(tooLow) / static_cast<double>(errors.size());
  return row;
}

// The text right-aligned (left with a negative width) in that many characters, UTF-8 counted as
// shown.
std::string Padded(const std::string& text, int width) {
  const auto shown = static_cast<int>(
      std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
  const std::string blanks(static_cast<size_t>(std::max(0, std::abs(width) - shown)), ' ');
  return width < 0 ? text + blanks : blanks + text;
}

std::string Percent(double share) {
  return std::to_string(static_cast<int>(std::lround(share * 100))) + "%";
}

// A row with nothing judged shows a dash for each figure.
void PrintRow(const std::string& what, const Row& row) {
  const bool judged = row.errors.count > 0;
  const std::string none = "\u2013";
  std::printf("| %s | %5zu | %s | %s | %s |\n", Padded(what, -50).c_str(), row.errors.count,
              Padded(judged ? Percent(row.errors.median) : none, 8).c_str(),
              Padded(judged ? Percent(row.errors.p90) : none, 8).c_str(),
              Padded(judged ? Percent(row.share) : none, 10).c_str());
}

using Hour = const JudgedHour&;
using Estimator = std::function<std::optional<double>(Hour)>;
using Filter = std::function<bool(Hour)>;

Estimator Only(Estimator rate, Filter keep) {
  return [rate = std::move(rate), keep = std::move(keep)](Hour h) {
    return keep(h) ? rate(h) : std::nullopt;
  };
}

// The errors of the hours left an estimator shows against the true hours left, and the share of
// hours where it showed more than twice the truth.
template <typename Shown>
Row HoursLeftRowOf(const std::vector<JudgedHour>& hours, const Shown& shown) {
  std::vector<double> errors;
  size_t overTwice = 0;
  for (const JudgedHour& hour : hours) {
    const std::optional<double> figure = shown(hour);
    if (!figure) continue;
    errors.push_back(RelativeError(*figure, hour.trueHours));
    if (*figure > 2 * hour.trueHours) ++overTwice;
  }
  Row row{Summarize(errors)};
  if (!errors.empty())
    row.share = static_cast<double>(overTwice) / static_cast<double>(errors.size());
  return row;
}

// "2021-11-05 08:10" at the zone's local time.
std::string LocalMinute(ULONGLONG utc, int zoneMinutes) {
  const std::optional<SYSTEMTIME> local = SystemTimeFromFileTime(
      utc + static_cast<ULONGLONG>(static_cast<LONGLONG>(zoneMinutes) *
                                   static_cast<LONGLONG>(kFileTimeUnitsPerMinute)));
  if (!local) return "?";
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u", local->wYear, local->wMonth,
                local->wDay, local->wHour, local->wMinute);
  return text;
}

std::string Figure(const std::optional<double>& value, const char* form = "%.1f") {
  if (!value) return "\u2013";
  char text[32];
  std::snprintf(text, sizeof text, form, *value);
  return text;
}

// Each warning with the hours it stated, what followed it, and stated / true.
void PrintWarnings(const std::vector<TraceReading>& readings,
                   const std::vector<StatedWarning>& warnings, const ReplayOptions& replay) {
  // " and 30, 10 min", appended piece by piece (GCC 12 warns falsely about "literal" + a string).
  std::string minutes;
  for (const int level : replay.warnMinutes) {
    minutes += minutes.empty() ? " and " : ", ";
    minutes += std::to_string(level);
  }
  if (!minutes.empty()) minutes += " min";
  std::printf(
      "\n%zu low-battery warnings (at 20, 10 and 5 %%%s); true: the charge then over the drain "
      "that followed until the charger or empty\n\n",
      warnings.size(), minutes.c_str());
  if (warnings.empty()) return;
  std::printf("| %-16s | %7s | %6s | %10s | %6s | %6s | %11s | %s |\n|%s|%s|%s|%s|%s|%s|%s|%s|\n",
              "local time", "charge", "stated", "to the end", "drop", "true", "stated/true",
              "warning", std::string(18, '-').c_str(), std::string(9, '-').c_str(),
              std::string(8, '-').c_str(), std::string(12, '-').c_str(),
              std::string(8, '-').c_str(), std::string(8, '-').c_str(),
              std::string(13, '-').c_str(), std::string(9, '-').c_str());
  const std::vector<std::optional<JudgedWarning>> judged = JudgeWarnings(readings, warnings);
  std::vector<double> ratios;
  for (size_t i = 0; i < warnings.size(); ++i) {
    const StatedWarning& warning = warnings[i];
    const std::optional<JudgedWarning>& j = judged[i];
    std::optional<double> ratio;
    if (j && j->trueHours && warning.hours) {
      ratio = *warning.hours / *j->trueHours;
      ratios.push_back(*ratio);
    }
    std::printf("| %s | %7s | %6s | %10s | %6s | %6s | %11s | %s%s |\n",
                LocalMinute(warning.utc, replay.zoneMinutes).c_str(),
                Padded(Figure(j ? std::optional(j->percent) : std::nullopt, "%.0f%%"), 7).c_str(),
                Padded(Figure(warning.hours), 6).c_str(),
                Padded(Figure(j ? std::optional(j->hoursToEnd) : std::nullopt), 10).c_str(),
                Padded(Figure(j ? std::optional(j->drop) : std::nullopt, "%.0f"), 6).c_str(),
                Padded(Figure(j ? j->trueHours : std::nullopt), 6).c_str(),
                Padded(Figure(ratio, "%.2f"), 11).c_str(), warning.text.c_str(),
                j && j->cutOff ? " (cut off by the recording's end)" : "");
  }
  const ErrorSummary summary = Summarize(ratios);
  const auto overTwice =
      std::count_if(ratios.begin(), ratios.end(), [](double r) { return r > 2; });
  std::printf(
      "\nstated/true of the %zu warnings judged: median %.2f, 90th percentile %.2f; %zd above 2\n",
      summary.count, summary.median, summary.p90, static_cast<ptrdiff_t>(overTwice));
}

// When the statistics stopped learning (the first line that was not), and whether they learned
// again after.
void PrintLearningEnd(const std::string& rule, const std::vector<HourlyLine>& lines,
                      const std::function<bool(const HourlyLine&)>& learning, ULONGLONG start,
                      int zoneMinutes) {
  const auto ended = std::find_if(lines.begin(), lines.end(),
                                  [&learning](const HourlyLine& l) { return !learning(l); });
  if (ended == lines.end()) {
    std::printf("\nLearning (%s) never ended\n", rule.c_str());
    return;
  }
  const auto again = std::count_if(ended, lines.end(), learning);
  std::printf(
      "\nLearning (%s) ended at %s, %.2f days after the first reading; %zd hourly lines learning "
      "again after\n",
      rule.c_str(), LocalMinute(ended->utc, zoneMinutes).c_str(),
      static_cast<double>(ended->utc - start) / static_cast<double>(kFileTimeUnitsPerDay),
      static_cast<ptrdiff_t>(again));
}

void Report(const std::string& file, const ReplayOptions& replay) {
  const std::vector<TraceReading> readings = ReadTraceFile(file);
  const Replayed replayed = Replay(file, replay);
  const Judgement judgement = JudgeHours(readings, replayed.lines);
  const std::vector<JudgedHour>& hours = judgement.hours;
  const auto cutOffHours = static_cast<size_t>(
      std::count_if(hours.begin(), hours.end(), [](Hour h) { return h.cutOff; }));
  const std::string asleep =
      replay.asleepAfterMinutes
          ? ", asleep after " + std::to_string(*replay.asleepAfterMinutes) + " min"
          : "";
  std::printf(
      "\n%s (zone %+d min%s): %zu on-battery periods of 1 h or more (%zu shorter ones left out); "
      "%zu hours judged; %zu of them "
      "in the "
      "%zu periods cut off by the recording's end, reported apart; %zu on battery without an "
      "estimate; "
      "%zu with no drop until the period ended; left out: %zu linear and %zu recent estimates that "
      "saw no "
      "drop yet\n\n",
      std::filesystem::path(file).filename().c_str(), replay.zoneMinutes, asleep.c_str(),
      judgement.periods, judgement.shortPeriods, hours.size(), cutOffHours, judgement.cutOffPeriods,
      judgement.withoutEstimate, judgement.withoutDrain, judgement.linearWithoutDrop,
      judgement.recentWithoutDrop);
  if (judgement.singleRowPeriods > 0) {
    std::printf(
        "Note: %zu of the periods hold a single row on battery, as a log with one row per state "
        "change writes: their hours are judged against the charge held from that row, not the "
        "charge then\n\n",
        judgement.singleRowPeriods);
  }
  std::printf("| %-50s | %5s | %8s | %8s | %10s |\n|%s|%s|%s|%s|%s|\n", "drain rate estimated by",
              "hours", "median", "90th pct", "rate low", std::string(52, '-').c_str(),
              std::string(7, '-').c_str(), std::string(10, '-').c_str(),
              std::string(10, '-').c_str(), std::string(12, '-').c_str());
  const ULONGLONG firstDayEnd = readings.front().utc + kFileTimeUnitsPerDay;
  const Estimator line = [](Hour h) { return std::optional(h.line); };
  const Estimator linear = [](Hour h) { return h.linear; };
  const Estimator recent = [](Hour h) { return h.lastHour; };
  const Filter ended = [](Hour h) { return !h.cutOff; };
  const auto endedAnd = [&ended](const Filter& also) {
    return [ended, also](Hour h) { return ended(h) && also(h); };
  };
  const Filter firstDay = [firstDayEnd](Hour h) { return h.utc < firstDayEnd; };
  const Filter afterFirstDay = [firstDayEnd](Hour h) { return h.utc >= firstDayEnd; };
  const Filter learning = [](Hour h) { return h.hoursWithDrain < kLearnedHoursWithDrain; };
  const Filter middle = [](Hour h) {
    return h.hoursWithDrain >= kLearnedHoursWithDrain && h.hoursWithDrain <= kCoveredHoursWithDrain;
  };
  const Filter covered = [](Hour h) { return h.hoursWithDrain > kCoveredHoursWithDrain; };
  const std::string fewer =
      "fewer than " + std::to_string(kLearnedHoursWithDrain) + " hours with drain";
  const std::string band = std::to_string(kLearnedHoursWithDrain) + "\u2013" +
                           std::to_string(kCoveredHoursWithDrain) + " hours with drain";
  const std::string more =
      "more than " + std::to_string(kCoveredHoursWithDrain) + " hours with drain";
  const auto print = [&hours](const std::string& what, const Estimator& rate) {
    PrintRow(what, RowOf(hours, rate));
  };

  print("the plug-in's line (percent / hours left)", Only(line, ended));
  print("  shown from its statistics",
        Only(line, endedAnd([](Hour h) { return h.fromStatistics; })));
  print("  shown as its linear extrapolation",
        Only(line, endedAnd([](Hour h) { return !h.fromStatistics; })));
  print("  in the trace's first day", Only(line, endedAnd(firstDay)));
  print("  after the first day", Only(line, endedAnd(afterFirstDay)));
  print("  " + fewer, Only(line, endedAnd(learning)));
  print("  " + band, Only(line, endedAnd(middle)));
  print("  " + more, Only(line, endedAnd(covered)));
  print("linear: drop so far / time so far", Only(linear, ended));
  print("  in the trace's first day", Only(linear, endedAnd(firstDay)));
  print("  " + fewer, Only(linear, endedAnd(learning)));
  print("  " + band, Only(linear, endedAnd(middle)));
  print("  " + more, Only(linear, endedAnd(covered)));
  print("recent: drop over the last hour", Only(recent, ended));
  const Filter recorded = endedAnd([](Hour h) { return h.recorded; });
  print("the plug-in's line, recorded hours only", Only(line, recorded));
  print("linear, recorded hours only", Only(linear, recorded));
  print("recent, recorded hours only", Only(recent, recorded));
  const Filter cutOff = [](Hour h) { return h.cutOff; };
  print("the plug-in's line, periods cut off by the end", Only(line, cutOff));
  print("linear, periods cut off by the end", Only(linear, cutOff));
  print("recent, periods cut off by the end", Only(recent, cutOff));

  std::printf("\n| %-50s | %5s | %8s | %8s | %10s |\n|%s|%s|%s|%s|%s|\n", "hours left shown by",
              "hours", "median", "90th pct", "> 2\u00d7 true", std::string(52, '-').c_str(),
              std::string(7, '-').c_str(), std::string(10, '-').c_str(),
              std::string(10, '-').c_str(), std::string(12, '-').c_str());
  const Estimator lineHours = [](Hour h) { return std::optional(h.lineHours); };
  const Estimator toShow = [](Hour h) { return h.toShow; };
  const Estimator hostLinear = [](Hour h) { return h.hostLinear; };
  const Filter stillLearning = [](Hour h) { return h.learning; };
  const Filter learned = [](Hour h) { return !h.learning; };
  const Filter byCoverage = [](Hour h) { return h.hoursWithDrain >= kLearnedHoursWithDrain; };
  const auto printHours = [&hours](const std::string& what, const Estimator& shown) {
    PrintRow(what, HoursLeftRowOf(hours, shown));
  };
  for (const auto& [what, shown] :
       {std::pair<std::string, Estimator>{"the plug-in's line", lineHours},
        {"the hours to show", toShow},
        {"the host's linear figure", hostLinear}}) {
    printHours(what, Only(shown, ended));
    printHours("  while learning", Only(shown, endedAnd(stillLearning)));
    printHours("  after learning", Only(shown, endedAnd(learned)));
    printHours("  after " + std::to_string(kLearnedHoursWithDrain) + " hours with drain",
               Only(shown, endedAnd(byCoverage)));
    printHours("  in the trace's first day", Only(shown, endedAnd(firstDay)));
    printHours("  after the first day", Only(shown, endedAnd(afterFirstDay)));
  }
  printHours("the plug-in's line, periods cut off by the end", Only(lineHours, cutOff));
  printHours("the hours to show, periods cut off by the end", Only(toShow, cutOff));

  PrintWarnings(readings, replayed.warnings, replay);
  const ULONGLONG start = readings.front().utc;
  PrintLearningEnd(
      "the statistics agreeing", replayed.lines, [](const HourlyLine& l) { return l.learning; },
      start, replay.zoneMinutes);
  PrintLearningEnd(
      std::to_string(kLearnedHoursWithDrain) + " hours with drain alone", replayed.lines,
      [](const HourlyLine& l) { return l.hoursWithDrain < kLearnedHoursWithDrain; }, start,
      replay.zoneMinutes);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: trace_accuracy [--zone OFFSET] [--asleep-after MINUTES] "
                 "[--notify-below-minutes LIST] FILE [[--zone OFFSET] FILE]...\n";
    return 2;
  }
  // The replays register the module and keep their files in a folder of their own.
  std::string folder = (std::filesystem::temp_directory_path() / "zelvar-accuracy-XXXXXX").string();
  if (mkdtemp(folder.data()) == nullptr) return 1;
  setenv("ZELVAR_REGISTRY", (folder + "/registry").c_str(), 1);
  int status = 0;
  try {
    ReplayOptions replay;
    for (int i = 1; i < argc; ++i) {
      const std::string option = argv[i];
      if ((option == "--zone" || option == "--asleep-after") && i + 1 < argc) {
        SimulationOptions parsed;
        if (const std::optional<std::string> problem =
                ApplySimulationOption(option, argv[++i], parsed))
          throw HostError(*problem);
        if (parsed.zoneMinutes) replay.zoneMinutes = *parsed.zoneMinutes;
        if (parsed.asleepAfterMinutes) replay.asleepAfterMinutes = parsed.asleepAfterMinutes;
      } else if (option == "--notify-below-minutes" && i + 1 < argc) {
        const std::optional<NotifyMinutes> minutes = ParseNotifyMinutes(argv[++i]);
        if (!minutes)
          throw HostError(std::string("--notify-below-minutes needs ") + kNotifyMinutesForm);
        replay.warnMinutes = *minutes;
      } else {
        Report(option, replay);
      }
    }
  } catch (const HostError& failure) {
    std::cerr << "trace_accuracy: " << failure.what() << "\n";
    status = 1;
  }
  std::filesystem::remove_all(folder);
  return status;
}
