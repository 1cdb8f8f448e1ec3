// Reading a stat file's text into the hourly drain table, by the file's rules (see stat_file.h):
// lines of at most 1999 characters at a time, the version line judged by its first 11 characters,
// and each record line filed drop by drop when its head lies within the history window.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/api.h"
#include "stats/hourly_drain_table.h"

// The first line of every stat file; a reader compares only these 11 characters.
inline constexpr char kStatFileVersionLine[] = "[version 1]";

// A decimal integer as the runtime's "%d" scan reads it: white space skipped, an optional sign,
// then digits, up to the first character that is not a digit. Moves text past what it read. Absent
// when no digit follows, and when the value does not fit in 32 bits: a corrupt file must not wrap
// into a plausible drop or date.
std::optional<int32_t> ScanRecordNumber(std::string_view& text);

// One record line as the writer gives it, without its line feed: a head that names a real date
// and hour, then drops of 0 to 99 separated by ",". Nothing for any other text.
struct StatRecord {
  SYSTEMTIME localHead;  // the date and hour; the rest 0
  std::vector<BYTE> drops;
};
std::optional<StatRecord> ParseStatRecord(std::string_view line);

// Files the records of a stat file's text into the table without recomputing it. The age of a
// record is counted in whole days against now (local time); only records younger than
// maxHistoryDays are filed; with withRecords false none is. A final line without a line feed was
// cut short: its last item is not filed. Answers false when the first line is not a version line:
// then nothing is filed. An empty text has no first line and answers true.
bool FileStatText(std::string_view text, const SYSTEMTIME& now, DWORD maxHistoryDays,
                  HourlyDrainTable& table, bool withRecords);

// Whole seconds from earlier to later, both taken as they are (no time-zone conversion); the low 32
// bits of the 64-bit difference. Both must be valid times (see SystemTimeToFileTime); an invalid
// one makes the answer 0.
LONG SecondsBetween(const SYSTEMTIME& earlier, const SYSTEMTIME& later);
