#include "host/estimate/stat_coverage.h"

#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "platform/files/file_api.h"
#include "stats/stat_file.h"

StatisticsCheck CheckStatFile(const WString& statFilename, LONG maxHistoryDays) {
  FILE* file = _wfopen(statFilename.c_str(), TEXT("r"));
  if (file == nullptr) return {};
  std::string text;
  char piece[4096];
  for (size_t read;
       text.size() <= kLargestStatFile && (read = std::fread(piece, 1, sizeof piece, file)) > 0;) {
    text.append(piece, read);
  }
  std::fclose(file);
  if (text.size() > kLargestStatFile) return {};
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return CheckStatistics(StatRecords(text, now, static_cast<DWORD>(maxHistoryDays)));
}

StatCoverage::StatCoverage(WString statFilename, LONG maxHistoryDays)
    : statFilename_(std::move(statFilename)), maxHistoryDays_(maxHistoryDays) {}

const StatisticsCheck& StatCoverage::Check() {
  const Key key = CurrentKey();
  if (loadedFor_ != key) {
    check_ = CheckStatFile(statFilename_, maxHistoryDays_);
    ++loads_;
    loadedFor_ = key;
  }
  return check_;
}

StatCoverage::Key StatCoverage::CurrentKey() const {
  struct stat file {};
  const std::optional<std::string> path = HostPathOf(statFilename_.c_str());
  if (!path || stat(path->c_str(), &file) != 0) file = {};
  SYSTEMTIME local{};
  GetLocalTime(&local);
  const long long modified =
      static_cast<long long>(file.st_mtim.tv_sec) * 1'000'000'000 + file.st_mtim.tv_nsec;
  return {file.st_dev, file.st_ino,  file.st_size, modified,
          local.wYear, local.wMonth, local.wDay,   local.wHour};
}
