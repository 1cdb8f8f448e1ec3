#include "stats/pending_record.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "stats/stat_file.h"
#include "stats/stat_file_reader.h"

namespace {

constexpr char kSizeKey[] = "after ";
// Two short lines; a series of years of hourly drops stays far below it.
constexpr size_t kLargestPendingFile = size_t{1024} * 1024;

WString PendingName(const WString& statFilename) { return statFilename + TEXT(".pending"); }
WString TemporaryName(const WString& statFilename) { return statFilename + TEXT(".pending.new"); }

// The stat file's size in bytes, 0 when it does not exist; nothing when it cannot be read.
std::optional<long> StatFileSize(const WString& statFilename) {
  FILE* file = _wfopen(statFilename.c_str(), TEXT("r"));
  if (file == nullptr) return errno == ENOENT ? std::optional<long>(0) : std::nullopt;
  const long size = std::fseek(file, 0, SEEK_END) == 0 ? std::ftell(file) : -1;
  std::fclose(file);
  if (size < 0) return std::nullopt;
  return size;
}

struct PendingRecord {
  long statFileSize;
  StatRecord record;
};

// The next line of text without its line end (a line feed, after a carriage return or not);
// nothing when no line feed ends it.
std::optional<std::string_view> NextLine(std::string_view& text) {
  const size_t lineFeed = text.find('\n');
  if (lineFeed == std::string_view::npos) return std::nullopt;
  std::string_view line = text.substr(0, lineFeed);
  text.remove_prefix(lineFeed + 1);
  if (line.ends_with('\r')) line.remove_suffix(1);
  return line;
}

std::optional<PendingRecord> ParsePendingRecord(std::string_view text) {
  const std::optional<std::string_view> sizeLine = NextLine(text);
  const std::optional<std::string_view> recordLine = NextLine(text);
  if (!sizeLine || !recordLine || !text.empty() || !sizeLine->starts_with(kSizeKey)) {
    return std::nullopt;
  }
  const std::string_view digits = sizeLine->substr(sizeof kSizeKey - 1);
  long size = -1;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), size);
  if (error != std::errc() || end != digits.data() + digits.size() || size < 0) return std::nullopt;
  std::optional<StatRecord> record = ParseStatRecord(*recordLine);
  if (!record) return std::nullopt;
  return PendingRecord{size, std::move(*record)};
}

std::optional<PendingRecord> ReadPendingRecord(const WString& statFilename) {
  FILE* file = _wfopen(PendingName(statFilename).c_str(), TEXT("r"));
  if (file == nullptr) return std::nullopt;
  std::string text(kLargestPendingFile + 1, '\0');
  text.resize(std::fread(text.data(), 1, text.size(), file));
  std::fclose(file);
  if (text.size() > kLargestPendingFile) return std::nullopt;
  return ParsePendingRecord(text);
}

}  // namespace

void KeepPendingRecord(const WString& statFilename, const SYSTEMTIME& localHead,
                       const std::vector<BYTE>& drops) {
  // Without a name every open fails; a bare suffix would name a file at the device's root.
  if (statFilename.empty() || drops.empty()) return;
  const std::optional<long> size = StatFileSize(statFilename);
  if (!size) return;
  const WString temporary = TemporaryName(statFilename);
  FILE* file = _wfopen(temporary.c_str(), TEXT("w"));
  if (file == nullptr) return;
  const std::string text =
      kSizeKey + std::to_string(*size) + "\n" + FormatStatRecord(localHead, drops);
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed ||
      !MoveFileExW(temporary.c_str(), PendingName(statFilename).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileW(temporary.c_str());
  }
}

void ForgetPendingRecord(const WString& statFilename) {
  if (statFilename.empty()) return;
  DeleteFileW(PendingName(statFilename).c_str());
}

void FilePendingRecord(const WString& statFilename) {
  if (statFilename.empty()) return;
  const std::optional<PendingRecord> pending = ReadPendingRecord(statFilename);
  if (!pending) return;
  const std::optional<long> size = StatFileSize(statFilename);
  if (!size) return;
  // A stat file that is no longer than when the drops were kept does not hold them; one made
  // anew since (smaller) does not either.
  const bool filed =
      *size > pending->statFileSize ||
      AppendStatRecord(statFilename, pending->record.localHead, pending->record.drops);
  if (filed) ForgetPendingRecord(statFilename);
}
