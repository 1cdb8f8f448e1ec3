#include "host/front/simulation/trace_csv.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstring>
#include <utility>

#include "host/hosting/checked_number.h"
#include "host/hosting/host_error.h"
#include "host/hosting/outcome.h"
#include "platform/files/regular_file.h"
#include "platform/time/calendar.h"

namespace {

constexpr std::array<std::pair<std::string_view, TraceState>, 4> kStates{{
    {"discharging", TraceState::Discharging},
    {"charging", TraceState::Charging},
    {"full", TraceState::Full},
    {"unknown", TraceState::Unknown},
}};

// Digits of a fraction of a second that a file time holds.
constexpr size_t kFractionDigits = 7;
// Recorded traces take a reading a minute or less often: about 3 MB a year.
constexpr size_t kLargestTraceFile = 64 * kMebibyte;
constexpr ULONGLONG kLatestUnixSecond =
    (kLatestFileTime - kUnixEpochFileTime) / kFileTimeUnitsPerSecond;

bool AllDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "digits" or "digits.digits": no sign, blank or exponent.
bool IsPlainNumber(std::string_view text) {
  const size_t point = text.find('.');
  if (point == std::string_view::npos) return AllDigits(text);
  return AllDigits(text.substr(0, point)) && AllDigits(text.substr(point + 1));
}

std::optional<ULONGLONG> FileTimeOfUnixSeconds(std::string_view text) {
  if (!IsPlainNumber(text)) return std::nullopt;
  const size_t point = std::min(text.find('.'), text.size());
  const std::optional<ULONGLONG> seconds =
      CheckedNumber(text.substr(0, point), ULONGLONG{0}, kLatestUnixSecond);
  if (!seconds) return std::nullopt;
  ULONGLONG fraction = 0;
  const std::string_view digits = point < text.size() ? text.substr(point + 1) : std::string_view{};
  for (size_t i = 0; i < kFractionDigits; ++i)
    fraction = fraction * 10 + (i < digits.size() ? digits[i] - '0' : 0);
  const ULONGLONG utc = kUnixEpochFileTime + *seconds * kFileTimeUnitsPerSecond + fraction;
  if (utc > kLatestFileTime) return std::nullopt;
  return utc;
}

std::optional<double> PercentOf(std::string_view text) {
  if (!IsPlainNumber(text)) return std::nullopt;
  return CheckedNumber(text, 0.0, 100.0);
}

// Without regard to case: the kernel writes "Discharging", a logger may write it as it reads it.
std::optional<TraceState> StateOf(std::string_view text) {
  const auto sameLetter = [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
  };
  for (const auto& [name, state] : kStates) {
    if (std::ranges::equal(text, name, sameLetter)) return state;
  }
  return std::nullopt;
}

// The reading of a data line, or what is wrong with it.
Outcome<TraceReading> ParseReading(std::string_view line) {
  const size_t first = line.find(',');
  const size_t second = first == std::string_view::npos ? first : line.find(',', first + 1);
  if (second == std::string_view::npos || line.find(',', second + 1) != std::string_view::npos)
    return Problem{"expected three fields \"unix_seconds,percent,state\""};
  const std::optional<ULONGLONG> utc = FileTimeOfUnixSeconds(line.substr(0, first));
  if (!utc) return Problem{"the time is not a number of seconds since 1970"};
  const std::optional<double> percent = PercentOf(line.substr(first + 1, second - first - 1));
  if (!percent) return Problem{"the percent is not a number from 0 to 100"};
  const std::optional<TraceState> state = StateOf(line.substr(second + 1));
  if (!state) return Problem{"the state is not discharging, charging, full or unknown"};
  return TraceReading{*utc, *percent, *state};
}

std::string_view NameOf(TraceState state) {
  for (const auto& [name, each] : kStates) {
    if (each == state) return name;
  }
  return "unknown";
}

}  // namespace

ParsedTrace ParseTrace(std::string_view text) {
  ParsedTrace parsed;
  bool headerAllowed = true;
  size_t lineNumber = 0;
  while (!text.empty()) {
    const size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    ++lineNumber;
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    if (std::exchange(headerAllowed, false) && line == kTraceHeader) continue;

    const Outcome<TraceReading> reading = ParseReading(line);
    if (!reading.ok()) {
      parsed.error = TraceError{lineNumber, reading.problem()};
      return parsed;
    }
    if (!parsed.readings.empty() && reading.value().utc < parsed.readings.back().utc) {
      parsed.error = TraceError{lineNumber, "the time goes back from the reading before"};
      return parsed;
    }
    parsed.readings.push_back(reading.value());
  }
  if (parsed.readings.empty()) parsed.error = TraceError{0, "no readings"};
  return parsed;
}

std::vector<TraceReading> ReadTraceFile(const std::filesystem::path& file) {
  const FileRead read = ReadRegularFile(file, kLargestTraceFile);
  if (read.outcome != FileRead::Outcome::kRead) {
    throw HostError("cannot read the trace " + file.string() + ": " + read.cause);
  }
  const std::string& text = read.text;
  ParsedTrace parsed = ParseTrace(text);
  if (parsed.error) {
    const std::string where =
        parsed.error->line > 0 ? ":" + std::to_string(parsed.error->line) : "";
    throw HostError(file.string() + where + ": " + parsed.error->what);
  }
  return std::move(parsed.readings);
}

std::string FormatTraceLine(const TraceReading& reading) {
  const ULONGLONG sinceEpoch = reading.utc - kUnixEpochFileTime;
  std::string fraction = std::to_string(sinceEpoch % kFileTimeUnitsPerSecond);
  fraction.insert(0, kFractionDigits - fraction.size(), '0');
  // The longest percent in fixed notation is the smallest double: "0.", 323 zeros and 17 digits.
  char percent[400];
  const auto written =
      std::to_chars(percent, percent + sizeof percent, reading.percent, std::chars_format::fixed);
  return std::to_string(sinceEpoch / kFileTimeUnitsPerSecond) + "." + fraction + "," +
         std::string(percent, written.ptr) + "," + std::string(NameOf(reading.state));
}
