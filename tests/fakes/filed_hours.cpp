#include "tests/fakes/filed_hours.h"

#include <sstream>

#include "platform/time/calendar.h"
#include "stats/stat_file_reader.h"

FiledHours HoursFiledIn(const std::string& statText) {
  FiledHours filed;
  std::istringstream lines(statText);
  for (std::string line; std::getline(lines, line);) {
    const std::optional<StatRecord> record = ParseStatRecord(line);
    if (!record) continue;
    ++filed.records;
    const ULONGLONG first = *FileTimeFromSystemTime(record->localHead) / kFileTimeUnitsPerHour;
    for (size_t drop = 0; drop < record->drops.size(); ++drop) filed.hours.push_back(first + drop);
  }
  return filed;
}
