#include "stats/stat_file.h"

#include <cerrno>
#include <cstdio>
#include <string>

#include "plugin/host/plugin_messages.h"

namespace {

// The whole text of an open file in one read, up to the end or a failed read. The size found by
// seeking is an upper bound where the runtime translates line ends; the read tells the rest.
std::string ReadAll(FILE* file) {
  std::string text;
  if (std::fseek(file, 0, SEEK_END) != 0) return text;
  const long size = std::ftell(file);
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

// What has to precede a new record so that it starts a line of a readable file: the version line,
// or the rest of it, in a file that is empty or was cut while its version line was written; a line
// feed after a record that a crash or a full disk cut short.
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
  return tail.ends_with('\n') ? std::string() : std::string("\n");
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
  if (!FileStatText(ReadAll(file), now, maxHistoryDays, table, withRecords)) {
    MessageBoxW(nullptr, kStatFileVersionWrong, TEXT("CZelvarPlugin"), MB_OK);
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
  std::vector<char> buffer(sizeof kStatFileVersionLine + record.size());
  std::setvbuf(file, buffer.data(), _IOFBF, buffer.size());
  const std::string text = LeadIn(file) + record;
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
}
