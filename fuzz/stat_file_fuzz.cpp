// Loads arbitrary bytes as a stat file and checks the loader against the reference loader
// (stat_file_reference.h): both must judge the version line alike and file exactly the same drops
// under the same hours, under two history windows. The loader reads the text from
// memory, as it reads a file's text once it has read it (the tests load real files).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/time/simulated_clock.h"
#include "fuzz/stat_file_reference.h"
#include "stats/stat_file_reader.h"

namespace {

// Local time now: 2024-03-31 13:00 (UTC 12:00, one hour ahead).
const SYSTEMTIME kUtcNow{2024, 3, 0, 31, 12, 0, 0, 0};
constexpr int kLocalOffsetMinutes = 60;

void CheckSameTables(const HourlyDrainTable& loaded, const HourlyDrainTable& reference) {
  for (UINT hour = 0; hour < HourlyDrainTable::kHoursPerDay; ++hour) {
    if (loaded.bucket(hour).dropSum != reference.bucket(hour).dropSum ||
        loaded.bucket(hour).sampleCount != reference.bucket(hour).sampleCount) {
      std::fprintf(stderr, "hour %u: loaded %u/%d, reference %u/%d\n", hour,
                   loaded.bucket(hour).dropSum, loaded.bucket(hour).sampleCount,
                   reference.bucket(hour).dropSum, reference.bucket(hour).sampleCount);
      std::abort();
    }
  }
  for (int hour = 0; hour < 24; ++hour) {
    for (int percent : {0, 1, 50, 100, 255}) {
      const double hours = loaded.EstimateHours(hour, percent);
      if (!(hours == -1.0 || (hours >= 0 && std::isfinite(hours)))) std::abort();
    }
  }
  WString text;
  loaded.FormatCumulative(text, 3);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static SimulatedClock clock(kUtcNow, kLocalOffsetMinutes);
  ScopedClock clockGuard(clock);
  SYSTEMTIME now;
  GetLocalTime(&now);
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  for (const DWORD maxHistoryDays : {30u, 0xFFFFFFFFu}) {
    HourlyDrainTable loaded;
    const bool versionRight = FileStatText(text, now, maxHistoryDays, loaded, true);
    loaded.Recompute();
    HourlyDrainTable reference;
    if (ReferenceLoad(text, maxHistoryDays, reference) != versionRight) std::abort();
    CheckSameTables(loaded, reference);
  }
  return 0;
}
