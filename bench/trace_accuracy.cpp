// Replays recorded battery traces through the plug-in at full speed, as `zelvar-home --trace`
// does, and prints how far its estimate is from the drain that actually followed, beside the
// plug-in's own linear extrapolation and the drain over the last hour. "Recorded hours" leave out
// the hours in gaps of the recording (no reading in the hour before), where the machine was off or
// asleep and the replay holds the last reading.
//
//   trace_accuracy [--zone OFFSET] FILE [[--zone OFFSET] FILE]...
//
// Each --zone applies to the files after it (default UTC).
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "bench/accuracy/estimate_accuracy.h"
#include "host/activation/class_id.h"
#include "host/activation/module_activation.h"
#include "host/host_error.h"
#include "host/session/home_screen_session.h"
#include "host/session/host_services.h"
#include "host/simulation/full_speed_run.h"
#include "platform/time/calendar.h"

namespace {

// The first days of a trace, when the statistics are thin.
constexpr ULONGLONG kFirstDays = 2;

std::vector<HourlyLine> Replay(const std::string& file, int zoneMinutes) {
  HostOptions options;
  options.simulateSpeed = kDefaultSimulationSpeed;
  options.simulation.traceFile = file;
  options.simulation.zoneMinutes = zoneMinutes;
  HostServices services(options, NoBatteryShows::MachineReading);
  Simulation& simulation = *services.simulation();
  EnsureRegistered(kBatteryPluginClassId, ZELVARPLUG_FILE, Registration::Always);
  HomeScreenSession session(simulation.sessionFiles(), ActivatePlugin(kBatteryPluginClassId));
  std::vector<HourlyLine> lines;
  RunAtFullSpeed(session, simulation.clock(), *simulation.end(),
                 [&lines](ULONGLONG utc, const std::string& line) { lines.push_back({utc, line}); });
  session.Close();
  return lines;
}

// The relative errors of an estimator over the hours where it gives a rate, and how often its rate
// was below the actual one (hours left shown too long).
struct Row {
  ErrorSummary errors;
  double tooLowShare = 0;
};

template <typename Rate>
Row RowOf(const std::vector<JudgedHour>& hours, Rate rate) {
  std::vector<double> errors;
  size_t tooLow = 0;
  for (const JudgedHour& hour : hours) {
    const std::optional<double> estimate = rate(hour);
    if (!estimate) continue;
    errors.push_back(RelativeError(*estimate, hour.actual));
    if (*estimate < hour.actual) ++tooLow;
  }
  Row row{Summarize(errors)};
  if (!errors.empty()) row.tooLowShare = static_cast<double>(tooLow) / static_cast<double>(errors.size());
  return row;
}

void PrintRow(const std::string& what, const Row& row) {
  std::printf("| %-44s | %5zu | %7.0f%% | %7.0f%% | %9.0f%% |\n", what.c_str(), row.errors.count,
              row.errors.median * 100, row.errors.p90 * 100, row.tooLowShare * 100);
}

void Report(const std::string& file, int zoneMinutes) {
  const std::vector<TraceReading> readings = ReadTraceFile(file);
  const Judgement judgement = JudgeHours(readings, Replay(file, zoneMinutes));
  const std::vector<JudgedHour>& hours = judgement.hours;
  std::printf("\n%s (zone %+d min): %zu on-battery periods of 1 h or more; %zu hours judged; "
              "%zu on battery without an estimate; %zu with no drop until the period ended\n\n",
              std::filesystem::path(file).filename().c_str(), zoneMinutes, judgement.periods, hours.size(),
              judgement.withoutEstimate, judgement.withoutDrain);
  std::printf("| %-44s | %5s | %8s | %8s | %10s |\n|%s|%s|%s|%s|%s|\n", "drain rate estimated by", "hours",
              "median", "90th pct", "rate low", std::string(46, '-').c_str(), std::string(7, '-').c_str(),
              std::string(10, '-').c_str(), std::string(10, '-').c_str(), std::string(12, '-').c_str());
  const ULONGLONG firstDaysEnd = readings.front().utc + kFirstDays * kFileTimeUnitsPerDay;
  using Hour = const JudgedHour&;
  PrintRow("the plug-in's line (percent / hours left)", RowOf(hours, [](Hour h) { return std::optional(h.line); }));
  PrintRow("  shown from its statistics", RowOf(hours, [](Hour h) {
             return h.fromStatistics ? std::optional(h.line) : std::nullopt;
           }));
  PrintRow("  shown as its linear extrapolation", RowOf(hours, [](Hour h) {
             return h.fromStatistics ? std::nullopt : std::optional(h.line);
           }));
  PrintRow("  in the trace's first " + std::to_string(kFirstDays) + " days", RowOf(hours, [firstDaysEnd](Hour h) {
             return h.utc < firstDaysEnd ? std::optional(h.line) : std::nullopt;
           }));
  PrintRow("  after the first " + std::to_string(kFirstDays) + " days", RowOf(hours, [firstDaysEnd](Hour h) {
             return h.utc >= firstDaysEnd ? std::optional(h.line) : std::nullopt;
           }));
  PrintRow("linear: drop so far / time so far", RowOf(hours, [](Hour h) { return std::optional(h.linear); }));
  PrintRow("recent: drop over the last hour", RowOf(hours, [](Hour h) { return std::optional(h.lastHour); }));
  const auto recorded = [](double rate, Hour h) { return h.recorded ? std::optional(rate) : std::nullopt; };
  PrintRow("the plug-in's line, recorded hours only", RowOf(hours, [&](Hour h) { return recorded(h.line, h); }));
  PrintRow("linear, recorded hours only", RowOf(hours, [&](Hour h) { return recorded(h.linear, h); }));
  PrintRow("recent, recorded hours only", RowOf(hours, [&](Hour h) { return recorded(h.lastHour, h); }));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: trace_accuracy [--zone OFFSET] FILE [[--zone OFFSET] FILE]...\n";
    return 2;
  }
  // The replays register the module and keep their files in a folder of their own.
  std::string folder = (std::filesystem::temp_directory_path() / "zelvar-accuracy-XXXXXX").string();
  if (mkdtemp(folder.data()) == nullptr) return 1;
  setenv("ZELVAR_REGISTRY", (folder + "/registry").c_str(), 1);
  int status = 0;
  try {
    int zoneMinutes = 0;
    for (int i = 1; i < argc; ++i) {
      if (std::string(argv[i]) == "--zone" && i + 1 < argc) {
        const std::optional<int> zone = ParseZone(argv[++i]);
        if (!zone) throw HostError(std::string("not a zone: ") + argv[i]);
        zoneMinutes = *zone;
      } else {
        Report(argv[i], zoneMinutes);
      }
    }
  } catch (const HostError& failure) {
    std::cerr << "trace_accuracy: " << failure.what() << "\n";
    status = 1;
  }
  std::filesystem::remove_all(folder);
  return status;
}
