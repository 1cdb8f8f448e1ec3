#include "host/estimate/stat_coverage.h"

#include <sys/stat.h>

#include "platform/files/file_api.h"
#include "stats/hourly_drain_table.h"
#include "stats/stat_file.h"

UINT HoursWithDrain(const WString& statFilename, LONG maxHistoryDays) {
  HourlyDrainTable table;
  LoadStatFile(statFilename, static_cast<DWORD>(maxHistoryDays), table, true);
  return table.HoursWithDrain();
}

StatCoverage::StatCoverage(WString statFilename, LONG maxHistoryDays)
    : statFilename_(std::move(statFilename)), maxHistoryDays_(maxHistoryDays) {}

UINT StatCoverage::HoursWithDrain() {
  const Key key = CurrentKey();
  if (loadedFor_ != key) {
    hours_ = ::HoursWithDrain(statFilename_, maxHistoryDays_);
    ++loads_;
    loadedFor_ = key;
  }
  return hours_;
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
