// Loads arbitrary bytes as a stat file and checks the loader against a reference loader written
// the plainest way (a line at a time with fgets into the 2000-character buffer, every number with
// sscanf, each number held to 32 bits): both must judge the version line alike and file exactly
// the same drops under the same hours, under two history windows. The file lives in memory (a
// memfd reached through /proc/self/fd), so a run touches no disk and leaves nothing behind.
#include <sys/mman.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/files/file_api.h"
#include "platform/message_box/message_box.h"
#include "platform/time/simulated_clock.h"
#include "stats/stat_file.h"
#include "tests/fakes/recording_message_boxes.h"

namespace {

// Local time now: 2024-03-31 13:00 (UTC 12:00, one hour ahead).
const SYSTEMTIME kUtcNow{2024, 3, 0, 31, 12, 0, 0, 0};
constexpr int kLocalOffsetMinutes = 60;

// The stat file: one memory file for the whole process, rewritten by every run.
class MemoryStatFile {
 public:
  MemoryStatFile() : descriptor_(memfd_create("stat-file", 0)) {
    if (descriptor_ < 0) std::abort();
    SetDeviceRoot("/proc/self/fd");
    name_ = u"\\" + WidenUtf8(std::to_string(descriptor_));
  }
  void Fill(const uint8_t* data, size_t size) const {
    if (ftruncate(descriptor_, 0) != 0 || pwrite(descriptor_, data, size, 0) != static_cast<ssize_t>(size)) {
      std::abort();
    }
  }
  const WString& name() const { return name_; }

 private:
  int descriptor_;
  WString name_;
};

bool InInt32(long long value) { return value >= INT32_MIN && value <= INT32_MAX; }

// The reference: answers whether the version line was right (or the file empty).
bool ReferenceLoad(const uint8_t* data, size_t size, DWORD maxHistoryDays, HourlyDrainTable& table) {
  if (size == 0) return true;
  FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "r");
  if (file == nullptr) std::abort();
  SYSTEMTIME now;
  GetLocalTime(&now);
  char line[2000];
  bool first = true;
  bool versionRight = true;
  while (std::fgets(line, sizeof line, file) != nullptr) {
    if (first) {
      first = false;
      versionRight = std::strncmp(line, "[version 1]", 11) == 0;
      if (!versionRight) break;
      continue;
    }
    long long year, month, day, hour;
    if (std::sscanf(line, "%lld.%lld.%lld.%lld", &year, &month, &day, &hour) != 4) continue;
    if (year < 0 || year > 0xFFFF || month < 0 || month > 0xFFFF || day < 0 || day > 0xFFFF || hour < 0 ||
        hour > 0xFFFF) {
      continue;
    }
    const SYSTEMTIME head{static_cast<WORD>(year), static_cast<WORD>(month), 0, static_cast<WORD>(day),
                          static_cast<WORD>(hour), 0, 0, 0};
    FILETIME valid;
    if (!SystemTimeToFileTime(&head, &valid)) continue;
    if (static_cast<DWORD>(SecondsBetween(head, now)) / 86400 >= maxHistoryDays) continue;
    const char* item = std::strchr(line, ':');
    if (item == nullptr) continue;
    ++item;
    for (UINT itemHour = static_cast<UINT>(hour); *item != '\0'; itemHour = (itemHour + 1) % 24) {
      long long drop;
      if (std::sscanf(item, "%lld", &drop) == 1 && InInt32(drop)) {
        if (drop >= 100) break;
        table.AddSample(itemHour, static_cast<UINT>(drop), 0, false);
      }
      item = std::strchr(item, ',');
      if (item == nullptr) break;
      ++item;
    }
  }
  std::fclose(file);
  table.Recompute();
  return versionRight;
}

void CheckSameTables(const HourlyDrainTable& loaded, const HourlyDrainTable& reference) {
  for (UINT hour = 0; hour < HourlyDrainTable::kHoursPerDay; ++hour) {
    if (loaded.bucket(hour).dropSum != reference.bucket(hour).dropSum ||
        loaded.bucket(hour).sampleCount != reference.bucket(hour).sampleCount) {
      std::fprintf(stderr, "hour %u: loaded %u/%d, reference %u/%d\n", hour, loaded.bucket(hour).dropSum,
                   loaded.bucket(hour).sampleCount, reference.bucket(hour).dropSum, reference.bucket(hour).sampleCount);
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
  static const MemoryStatFile statFile;
  static SimulatedClock clock(kUtcNow, kLocalOffsetMinutes);
  ScopedClock clockGuard(clock);
  RecordingMessageBoxes messages;
  ScopedMessageBoxSink messagesGuard(messages);
  statFile.Fill(data, size);

  for (const DWORD maxHistoryDays : {30u, 0xFFFFFFFFu}) {
    HourlyDrainTable loaded;
    const size_t shownBefore = messages.messages.size();
    if (LoadStatFile(statFile.name(), maxHistoryDays, loaded, true) != S_OK) std::abort();
    HourlyDrainTable reference;
    const bool versionRight = ReferenceLoad(data, size, maxHistoryDays, reference);
    if ((messages.messages.size() == shownBefore) != versionRight) std::abort();
    CheckSameTables(loaded, reference);
  }
  return 0;
}
