#include "stats/stat_file_reader.h"

#include <charconv>
#include <cstdint>
#include <cstring>

namespace {

// The line buffer of the runtime's read: a longer line is read in pieces of this many characters,
// and only its first piece can scan as a record.
constexpr size_t kLinePieceLength = 1999;
// A drop at or above this ends its record: the rest of the line is ignored.
constexpr int32_t kDropLimit = 100;
constexpr DWORD kSecondsPerDay = 86400;
constexpr LONGLONG kFileTimeUnitsPerSecond = 10000000;
constexpr LONGLONG kFileTimeUnitsPerHour = 3600 * kFileTimeUnitsPerSecond;
constexpr UINT kHoursPerDay = HourlyDrainTable::kHoursPerDay;

bool IsScanSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

LONGLONG FileTimeUnits(const FILETIME& time) {
  return static_cast<LONGLONG>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) |
                               time.dwLowDateTime);
}

LONG LowSecondsBetween(LONGLONG earlier, LONGLONG later) {
  const LONGLONG seconds = (later - earlier) / kFileTimeUnitsPerSecond;
  return static_cast<LONG>(static_cast<DWORD>(static_cast<ULONGLONG>(seconds)));
}

// The scan of ScanRecordNumber, inlined into the record loop: it runs for every number of the file.
inline std::optional<int32_t> ScanNumber(std::string_view& text) {
  size_t i = 0;
  while (i < text.size() && IsScanSpace(text[i])) ++i;
  const bool negative = i < text.size() && text[i] == '-';
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  uint32_t magnitude = 0;
  const char* digits = text.data() + i;
  const auto [stop, error] = std::from_chars(digits, text.data() + text.size(), magnitude, 10);
  if (stop == digits) return std::nullopt;
  text.remove_prefix(static_cast<size_t>(stop - text.data()));
  const int64_t value = negative ? -static_cast<int64_t>(magnitude) : magnitude;
  if (error != std::errc() || value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(value);
}

// The head "year.month.day.hour": four numbers, each of the first three followed by ".". What
// follows the hour is not looked at here (the drops begin after the line's first ":").
struct RecordHead {
  int32_t year, month, day, hour;
};

std::optional<RecordHead> ScanHead(std::string_view line) {
  int32_t numbers[4];
  for (int i = 0; i < 4; ++i) {
    if (i > 0) {
      if (line.empty() || line.front() != '.') return std::nullopt;
      line.remove_prefix(1);
    }
    const std::optional<int32_t> number = ScanNumber(line);
    if (!number) return std::nullopt;
    numbers[i] = *number;
  }
  return RecordHead{numbers[0], numbers[1], numbers[2], numbers[3]};
}

// The file time of midnight of the head's date, when its numbers name a real date. The range
// checks keep out-of-range numbers from wrapping into valid 16-bit fields.
std::optional<LONGLONG> MidnightFileTime(const RecordHead& head) {
  if (head.year < 1601 || head.year > 30827 || head.month < 1 || head.month > 12 || head.day < 1 ||
      head.day > 31) {
    return std::nullopt;
  }
  const SYSTEMTIME midnight{static_cast<WORD>(head.year),
                            static_cast<WORD>(head.month),
                            0,
                            static_cast<WORD>(head.day),
                            0,
                            0,
                            0,
                            0};
  FILETIME fileTime;
  if (!SystemTimeToFileTime(&midnight, &fileTime)) return std::nullopt;
  return FileTimeUnits(fileTime);
}

class RecordFiler {
 public:
  RecordFiler(std::optional<LONGLONG> now, DWORD maxHistoryDays, HourlyDrainTable& table)
      : now_(now), maxHistoryDays_(maxHistoryDays), table_(table) {}

  // Files the drops of one record line when the record lies within the history window.
  void File(std::string_view line) {
    const std::optional<RecordHead> head = ScanHead(line);
    if (!head) return;
    const std::optional<LONGLONG> start = HeadFileTime(*head);
    if (!start) return;
    // A record dated after now (the clock was set back) has a negative age, which taken as
    // unsigned is tens of thousands of days: outside any sensible window.
    const LONG ageSeconds =
        now_ ? LowSecondsBetween(*start, *now_) : 0;  // as SecondsBetween answers
    const DWORD ageDays = static_cast<DWORD>(ageSeconds) / kSecondsPerDay;
    if (ageDays >= maxHistoryDays_) return;

    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) return;
    std::string_view item = line.substr(colon + 1);
    // Every item owns one hour, so an empty or unreadable item leaves its hour without a sample.
    UINT hour = static_cast<UINT>(head->hour);
    while (!item.empty()) {
      std::string_view number = item;
      if (const std::optional<int32_t> drop = ScanNumber(number)) {
        if (*drop >= kDropLimit) return;
        table_.AddSample(hour, static_cast<UINT>(*drop), 0, false);
      }
      const size_t comma = item.find(',');
      if (comma == std::string_view::npos) return;
      item.remove_prefix(comma + 1);
      hour = (hour + 1) % kHoursPerDay;
    }
  }

 private:
  // The head's file time, when it names a real date and hour. A day holds several records: its
  // midnight is converted once.
  std::optional<LONGLONG> HeadFileTime(const RecordHead& head) {
    if (head.hour < 0 || head.hour >= static_cast<int32_t>(kHoursPerDay)) return std::nullopt;
    if (head.year != day_.year || head.month != day_.month || head.day != day_.day) {
      const std::optional<LONGLONG> midnight = MidnightFileTime(head);
      day_ = {head.year, head.month, head.day, midnight.has_value(), midnight.value_or(0)};
    }
    if (!day_.valid) return std::nullopt;
    return day_.midnight + head.hour * kFileTimeUnitsPerHour;
  }

  std::optional<LONGLONG> now_;
  // The date of the last head, 0.0.0 (no date) at first.
  struct Day {
    int32_t year, month, day;
    bool valid;
    LONGLONG midnight;
  } day_{0, 0, 0, false, 0};
  DWORD maxHistoryDays_;
  HourlyDrainTable& table_;
};

// The next piece of text that one read of the runtime's line reader gives: up to and including a
// line feed, at most kLinePieceLength characters; as a C string it ends at its first NUL.
std::string_view NextPiece(std::string_view& text) {
  const size_t limit = text.size() < kLinePieceLength ? text.size() : kLinePieceLength;
  const void* lineFeed = std::memchr(text.data(), '\n', limit);
  const size_t length = lineFeed ? static_cast<const char*>(lineFeed) - text.data() + 1 : limit;
  std::string_view piece = text.substr(0, length);
  text.remove_prefix(length);
  if (const void* nul = std::memchr(piece.data(), '\0', piece.size())) {
    piece = piece.substr(0, static_cast<const char*>(nul) - piece.data());
  }
  return piece;
}

}  // namespace

std::optional<int32_t> ScanRecordNumber(std::string_view& text) { return ScanNumber(text); }

std::optional<StatRecord> ParseStatRecord(std::string_view line) {
  int32_t numbers[4];
  for (int i = 0; i < 4; ++i) {
    const std::optional<int32_t> number = ScanNumber(line);
    if (!number || line.empty() || line.front() != (i < 3 ? '.' : ':')) return std::nullopt;
    numbers[i] = *number;
    line.remove_prefix(1);
  }
  const RecordHead head{numbers[0], numbers[1], numbers[2], numbers[3]};
  if (head.hour < 0 || head.hour >= static_cast<int32_t>(kHoursPerDay) || !MidnightFileTime(head))
    return std::nullopt;
  StatRecord record{SYSTEMTIME{static_cast<WORD>(head.year), static_cast<WORD>(head.month), 0,
                               static_cast<WORD>(head.day), static_cast<WORD>(head.hour), 0, 0, 0},
                    {}};
  for (;;) {
    const std::optional<int32_t> drop = ScanNumber(line);
    if (!drop || *drop < 0 || *drop >= kDropLimit) return std::nullopt;
    record.drops.push_back(static_cast<BYTE>(*drop));
    if (line.empty()) return record;
    if (line.front() != ',') return std::nullopt;
    line.remove_prefix(1);
  }
}

bool FileStatText(std::string_view text, const SYSTEMTIME& now, DWORD maxHistoryDays,
                  HourlyDrainTable& table, bool withRecords) {
  // A final line without its line feed was cut short: its last item may be a number cut short
  // ("12" written, "1" on the disk), so only what precedes the line's last separator counts.
  if (!text.ends_with('\n')) {
    const size_t separator = text.find_last_of(",:\n");
    text = text.substr(0, separator == std::string_view::npos ? 0 : separator + 1);
  }
  if (text.empty()) return true;
  if (!NextPiece(text).starts_with(kStatFileVersionLine)) return false;
  if (!withRecords) return true;
  FILETIME nowFileTime;
  RecordFiler filer(SystemTimeToFileTime(&now, &nowFileTime)
                        ? std::optional(FileTimeUnits(nowFileTime))
                        : std::nullopt,
                    maxHistoryDays, table);
  while (!text.empty()) filer.File(NextPiece(text));
  return true;
}

LONG SecondsBetween(const SYSTEMTIME& earlier, const SYSTEMTIME& later) {
  FILETIME from;
  FILETIME to;
  if (!SystemTimeToFileTime(&earlier, &from) || !SystemTimeToFileTime(&later, &to)) return 0;
  return LowSecondsBetween(FileTimeUnits(from), FileTimeUnits(to));
}
