// Reads arbitrary bytes as a recorded trace. What the reader answers must hold: every reading is
// a real one (a time a file time holds, in order; a percent from 0 to 100), readings written back
// in the file's format read back the same, and an error names the first bad line: the lines before
// it read without error, to the same readings.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "host/front/simulation/trace_csv.h"
#include "platform/time/calendar.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

size_t LineCount(std::string_view text) {
  const auto feeds = static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
  return feeds + (!text.empty() && text.back() != '\n' ? 1 : 0);
}

// The text of the lines before the given one (1 for the first).
std::string_view LinesBefore(std::string_view text, size_t line) {
  size_t end = 0;
  for (size_t i = 1; i < line; ++i) end = text.find('\n', end) + 1;
  return text.substr(0, end);
}

void CheckReadings(const ParsedTrace& parsed) {
  ULONGLONG previous = 0;
  for (const TraceReading& reading : parsed.readings) {
    Require(reading.utc >= kUnixEpochFileTime && reading.utc <= kLatestFileTime &&
            reading.utc >= previous);
    Require(std::isfinite(reading.percent) && reading.percent >= 0.0 && reading.percent <= 100.0);
    previous = reading.utc;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const ParsedTrace parsed = ParseTrace(text);
  CheckReadings(parsed);

  if (!parsed.error) {
    Require(!parsed.readings.empty());
    std::string written(kTraceHeader);
    for (const TraceReading& reading : parsed.readings)
      written.append("\n").append(FormatTraceLine(reading));
    const ParsedTrace again = ParseTrace(written);
    Require(!again.error && again.readings == parsed.readings);
    return 0;
  }
  if (parsed.error->line == 0) {
    Require(parsed.readings.empty());
    return 0;
  }
  Require(parsed.error->line <= LineCount(text));
  const ParsedTrace before = ParseTrace(LinesBefore(text, parsed.error->line));
  Require(before.readings == parsed.readings);
  Require(!before.error || (before.error->line == 0 && parsed.readings.empty()));
  return 0;
}
