#include "stats/stat_file.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <string>

#include "plugin_host/plugin_messages.h"

namespace {

// Digits that turn any number cut short into one no record takes: a drop of 100 or more ends its
// line, and no head has an hour, day or month this large.
constexpr char kCutNumberEnd[] = "999";

// The whole text of an open file in one read, up to the end or a failed read; nothing when the
// file is larger than kLargestStatFile. The size found by seeking is an upper bound where the
// runtime translates line ends; the read tells the rest.
std::optional<std::string> ReadAll(FILE* file) {
  std::string text;
  if (std::fseek(file, 0, SEEK_END) != 0) return text;
  const long size = std::ftell(file);
  if (size > static_cast<long>(kLargestStatFile)) return std::nullopt;
  if (size <= 0 || std::fseek(file, 0, SEEK_SET) != 0) return text;
  text.resize(static_cast<size_t>(size));
  text.resize(std::fread(text.data(), 1, text.size(), file));
  return text;
}

HRESULT CreateStatFile(const WString& statFilename) {
  FILE* file = _wfopen(statFilename.c_str(), TEXT("w"));
  if (file == nullptr) return E_FAIL;
  const bool written = std::fprintf(file, "%s\n", kStatFileVersionLine) > 0;
  const bool closed = std::fclose(file) == 0;
  return written && closed ? S_OK : E_FAIL;
}

// What has to precede a new record so that it starts a line of a readable file: the version line,
// or the rest of it, in a file that is empty or was cut while its version line was written; a line
// feed after a record that a crash or a full disk cut short. A cut that fell inside a number first
// gets kCutNumberEnd, so that the number can never read as a whole drop ("12" cut to "1" becomes
// "1999", which ends its line unread) nor complete a head.
std::string LeadIn(FILE* file) {
  const std::string versionLine = std::string(kStatFileVersionLine) + "\n";
  if (std::fseek(file, 0, SEEK_END) != 0) return "\n";
  const long size = std::ftell(file);
  // When the end cannot be read, a line feed is the safe guess: a blank line is skipped.
  if (size < 0) return "\n";
  std::string tail(static_cast<size_t>(size) < versionLine.size() ? size : 1, '\0');
  const bool tailRead = std::fseek(file, -static_cast<long>(tail.size()), SEEK_END) == 0 &&
                        std::fread(tail.data(), 1, tail.size(), file) == tail.size();
  std::fseek(file, 0, SEEK_END);  // an update stream must seek between reading and writing
  if (!tailRead) return "\n";
  if (static_cast<size_t>(size) < versionLine.size() && versionLine.starts_with(tail)) {
    return versionLine.substr(tail.size());
  }
  if (tail.ends_with('\n')) return std::string();
  return std::isdigit(static_cast<unsigned char>(tail.back())) ? std::string(kCutNumberEnd) + "\n"
                                                               : "\n";
}

}  // namespace

std::string FormatStatRecord(const SYSTEMTIME& start, const std::vector<BYTE>& drops) {
  char piece[32];
  std::snprintf(piece, sizeof piece, "%d.%d.%d.%d:", start.wYear, start.wMonth, start.wDay,
                start.wHour);
  std::string record = piece;
  for (size_t i = 0; i < drops.size(); ++i) {
    std::snprintf(piece, sizeof piece, "%d%s", drops[i], i + 1 == drops.size() ? "\n" : ",");
    record += piece;
  }
  return record;
}

HRESULT LoadStatFile(const WString& statFilename, DWORD maxHistoryDays, HourlyDrainTable& table,
                     bool withRecords) {
  FILE* file = _wfopen(statFilename.c_str(), TEXT("r"));
  if (file == nullptr) {
    // Said here, where the plug-in starts with the name; its appends fail the same way, unsaid.
    if (errno == EXDEV) {
      MessageBoxW(nullptr, StatFileOutsideRoot(statFilename).c_str(), TEXT("CZelvarPlugin"), MB_OK);
      errno = EXDEV;
      return E_FAIL;
    }
    // Only a missing file is created: creating opens for writing, which would truncate a file that
    // exists but cannot be read right now, and with it all the statistics.
    if (errno != ENOENT) return E_FAIL;
    return CreateStatFile(statFilename);
  }

  const std::optional<std::string> text = ReadAll(file);
  if (!text) {
    std::fclose(file);
    errno = EFBIG;
    return E_FAIL;
  }
  SYSTEMTIME now;
  GetLocalTime(&now);
  if (!FileStatText(*text, now, maxHistoryDays, table, withRecords)) {
    MessageBoxW(nullptr, kStatFileVersionWrong, TEXT("CZelvarPlugin"), MB_OK);
  }
  table.Recompute();
  std::fclose(file);
  return S_OK;
}

bool AppendStatRecord(const WString& statFilename, const SYSTEMTIME& localHead,
                      const std::vector<BYTE>& drops) {
  // A record without drops would lack its closing line feed and swallow the next record.
  if (drops.empty()) return false;
  const std::string record = FormatStatRecord(localHead, drops);

  FILE* file = _wfopen(statFilename.c_str(), TEXT("a+"));
  if (file == nullptr) return false;
  // A stream buffer that holds the whole text lets the record reach the file in one write instead
  // of being cut at a buffer boundary.
  std::vector<char> buffer(sizeof kStatFileVersionLine + record.size());
  std::setvbuf(file, buffer.data(), _IOFBF, buffer.size());
  const std::string text = LeadIn(file) + record;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fclose(file) == 0 && written;
}
