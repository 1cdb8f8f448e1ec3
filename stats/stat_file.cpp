#include "stats/stat_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr char kVersionLine[] = "[version 1]";
constexpr size_t kVersionLength = sizeof kVersionLine - 1;
// A longer line is read in pieces; only its first piece can scan as a record.
constexpr int kLineBufferSize = 2000;
// A drop at or above this ends its record: the rest of the line is ignored.
constexpr int kDropLimit = 100;
constexpr DWORD kSecondsPerDay = 86400;
constexpr LONGLONG kFileTimeUnitsPerSecond = 10000000;
constexpr UINT kHoursPerDay = HourlyDrainTable::kHoursPerDay;

LONGLONG FileTimeUnits(const FILETIME& time) {
  return static_cast<LONGLONG>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

// The head of a record as a local broken-down time, when its numbers name a real hour. The range
// checks keep out-of-range numbers from wrapping into valid 16-bit fields.
bool RecordHeadTime(int year, int month, int day, int hour, SYSTEMTIME& head) {
  if (year < 1601 || year > 30827 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 ||
      hour >= static_cast<int>(kHoursPerDay)) {
    return false;
  }
  head = SYSTEMTIME{static_cast<WORD>(year), static_cast<WORD>(month), 0, static_cast<WORD>(day),
                    static_cast<WORD>(hour), 0, 0, 0};
  FILETIME checked;
  return SystemTimeToFileTime(&head, &checked) != FALSE;
}

// Files the drops of one record line into the table when the record lies within the history window.
void LoadRecord(const char* line, const SYSTEMTIME& now, DWORD maxHistoryDays, HourlyDrainTable& table) {
  int year = 0, month = 0, day = 0, hour = 0;
  if (std::sscanf(line, "%d.%d.%d.%d:", &year, &month, &day, &hour) < 4) return;
  SYSTEMTIME head;
  if (!RecordHeadTime(year, month, day, hour, head)) return;
  // A record dated after now (the clock was set back) has a negative age, which taken as unsigned
  // is tens of thousands of days: outside any sensible window.
  const DWORD ageDays = static_cast<DWORD>(SecondsBetween(head, now)) / kSecondsPerDay;
  if (ageDays >= maxHistoryDays) return;

  const char* item = std::strchr(line, ':');
  if (item == nullptr) return;
  ++item;
  // Every item owns one hour, so an empty or unreadable item leaves its hour without a sample.
  UINT itemHour = static_cast<UINT>(hour);
  while (*item != '\0') {
    int drop = 0;
    if (std::sscanf(item, "%d", &drop) == 1) {
      if (drop >= kDropLimit) return;
      table.AddSample(itemHour, static_cast<UINT>(drop), 0, false);
    }
    item = std::strchr(item, ',');
    if (item == nullptr) return;
    ++item;
    itemHour = (itemHour + 1) % kHoursPerDay;
  }
}

HRESULT CreateStatFile(const WString& statFilename) {
  FILE* file = _wfopen(statFilename.c_str(), TEXT("w"));
  if (file == nullptr) return E_FAIL;
  const bool written = std::fprintf(file, "%s\n", kVersionLine) > 0;
  const bool closed = std::fclose(file) == 0;
  return written && closed ? S_OK : E_FAIL;
}

std::string FormatRecord(const SYSTEMTIME& start, const std::vector<BYTE>& drops) {
  char piece[32];
  std::snprintf(piece, sizeof piece, "%d.%d.%d.%d:", start.wYear, start.wMonth, start.wDay, start.wHour);
  std::string record = piece;
  for (size_t i = 0; i < drops.size(); ++i) {
    std::snprintf(piece, sizeof piece, "%d%s", drops[i], i + 1 == drops.size() ? "\n" : ",");
    record += piece;
  }
  return record;
}

// What has to precede a new record so that it starts a line of a readable file: the version line in
// an empty file, a line feed after a record that a crash or a full disk cut short.
std::string LeadIn(FILE* file) {
  if (std::fseek(file, 0, SEEK_END) != 0) return "\n";
  const long size = std::ftell(file);
  if (size == 0) return std::string(kVersionLine) + "\n";
  // When the end cannot be read, a line feed is the safe guess: a blank line is skipped.
  if (size < 0 || std::fseek(file, -1, SEEK_END) != 0) return "\n";
  const int last = std::fgetc(file);
  std::fseek(file, 0, SEEK_END);  // an update stream must seek between reading and writing
  return last == '\n' ? std::string() : std::string("\n");
}

}  // namespace

HRESULT LoadStatFile(const WString& statFilename, DWORD maxHistoryDays, HourlyDrainTable& table,
                     bool withRecords) {
  FILE* file = _wfopen(statFilename.c_str(), TEXT("r"));
  if (file == nullptr) {
    // Only a missing file is created: creating opens for writing, which would truncate a file that
    // exists but cannot be read right now, and with it all the statistics.
    if (errno != ENOENT) return E_FAIL;
    return CreateStatFile(statFilename);
  }

  SYSTEMTIME now;
  GetLocalTime(&now);
  char line[kLineBufferSize];
  bool versionRead = false;
  while (std::fgets(line, kLineBufferSize, file) != nullptr) {
    if (!versionRead) {
      if (std::strncmp(line, kVersionLine, kVersionLength) != 0) {
        MessageBoxW(nullptr, TEXT("Version of Stat file is wrong"), TEXT("CZelvarPlugin"), MB_OK);
        break;
      }
      versionRead = true;
      if (!withRecords) break;
      continue;
    }
    LoadRecord(line, now, maxHistoryDays, table);
  }
  table.Recompute();
  std::fclose(file);
  return S_OK;
}

void AppendStatRecord(const WString& statFilename, FILETIME seriesStart, const std::vector<BYTE>& drops) {
  // A record without drops would lack its closing line feed and swallow the next record.
  if (drops.empty()) return;
  FILETIME localStart;
  SYSTEMTIME start;
  if (!FileTimeToLocalFileTime(&seriesStart, &localStart) || !FileTimeToSystemTime(&localStart, &start)) {
    return;
  }
  const std::string record = FormatRecord(start, drops);

  FILE* file = _wfopen(statFilename.c_str(), TEXT("a+"));
  if (file == nullptr) return;
  // A stream buffer that holds the whole text lets the record reach the file in one write instead
  // of being cut at a buffer boundary.
  std::vector<char> buffer(kVersionLength + 1 + record.size());
  std::setvbuf(file, buffer.data(), _IOFBF, buffer.size());
  const std::string text = LeadIn(file) + record;
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
}

LONG SecondsBetween(const SYSTEMTIME& earlier, const SYSTEMTIME& later) {
  FILETIME from;
  FILETIME to;
  if (!SystemTimeToFileTime(&earlier, &from) || !SystemTimeToFileTime(&later, &to)) return 0;
  const LONGLONG seconds = (FileTimeUnits(to) - FileTimeUnits(from)) / kFileTimeUnitsPerSecond;
  return static_cast<LONG>(static_cast<DWORD>(static_cast<ULONGLONG>(seconds)));
}
