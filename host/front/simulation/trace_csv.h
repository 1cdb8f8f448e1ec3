// Recorded battery traces: a CSV text of readings, one a line, "unix_seconds,percent,state":
// seconds since 1970-01-01 UTC (a fraction allowed), the charge in percent (0..100, a fraction
// allowed) and one of discharging, charging, full, unknown (in any case: the kernel writes
// "Discharging"). Lines starting with '#' are comments, empty lines are skipped, and the first
// other line may be the header "unix_seconds,percent,state".
// Times never go back; readings at the same second may follow each other (the last one counts).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

enum class TraceState { Discharging, Charging, Full, Unknown };

struct TraceReading {
  ULONGLONG utc;  // file time; fractions of a second beyond 100 ns are cut off
  double percent;
  TraceState state;

  bool operator==(const TraceReading&) const = default;
};

struct TraceError {
  size_t line;  // 1 for the first line; 0 when the error is about the whole text
  std::string what;
};

struct ParsedTrace {
  std::vector<TraceReading> readings;
  // Set at the first bad line; the readings are then those before it.
  std::optional<TraceError> error;
};

inline constexpr std::string_view kTraceHeader = "unix_seconds,percent,state";

// A text without any reading is an error.
ParsedTrace ParseTrace(std::string_view text);

// The readings of a trace file, at least one. Throws HostError "FILE:LINE: what is wrong", or
// "FILE: ..." when it cannot be read or holds no reading.
std::vector<TraceReading> ReadTraceFile(const std::filesystem::path& file);

// One reading as a line of the file's format, without the line feed; parses back to the same
// reading.
std::string FormatTraceLine(const TraceReading& reading);
