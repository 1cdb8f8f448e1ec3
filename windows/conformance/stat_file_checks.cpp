// The stat file through the runtime library's file calls: created with its version line on the
// first Load, a wrong version shown in a message box and left alone; records appended in the
// runtime's text mode ("a+", looking at the last character first) and read back across restores,
// also after a record that was cut short, and in a file written with "\r\n" line ends.
#include <cstdio>
#include <utility>

#include "windows/conformance/conformance_checks.h"
#include "windows/conformance/message_expectations.h"
#include "windows/conformance/plugin_under_test.h"
#include "windows/conformance/test_host.h"
#include "stats/pending_record.h"
#include "stats/stat_file.h"

namespace {

constexpr PluginHandle kHandle = 5;

bool FileExists(const WString& name) {
  FILE* file = _wfopen(name.c_str(), TEXT("rb"));
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

std::string ReadBytes(const WString& name) {
  std::string bytes;
  FILE* file = _wfopen(name.c_str(), TEXT("rb"));
  if (file == nullptr) return bytes;
  char piece[512];
  size_t read;
  while ((read = std::fread(piece, 1, sizeof piece, file)) > 0) bytes.append(piece, read);
  std::fclose(file);
  return bytes;
}

void WriteBytes(const WString& name, const std::string& bytes) {
  FILE* file = _wfopen(name.c_str(), TEXT("wb"));
  if (file == nullptr) return;
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

void LoadWithStatFile(HostDriver& driver, CheckReport& report, const WString& statFile) {
  TestHostEnvironment environment;
  TestSite site(&environment);
  PluginUnderTest plugin(driver, report, &site);
  plugin.Initialize(kHandle, {{TEXT("StatFilename"), statFile}});
  plugin.Load(plugin.Save());
}

constexpr ULONGLONG kHour = 36000000000ULL;
constexpr DWORD kThirtyDays = 30;

// The start of the current UTC hour, less the given hours.
FILETIME HoursAgo(int hours) {
  SYSTEMTIME now;
  GetSystemTime(&now);
  now.wMinute = now.wSecond = now.wMilliseconds = 0;
  FILETIME time;
  SystemTimeToFileTime(&now, &time);
  const ULONGLONG units =
      ((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime) - hours * kHour;
  return FILETIME{static_cast<DWORD>(units), static_cast<DWORD>(units >> 32)};
}

// A series as the stat file keeps it: its start and its drops, with the head that the writer gives
// it in local time.
struct Series {
  FILETIME start;
  std::vector<BYTE> drops;

  SYSTEMTIME LocalStart() const {
    FILETIME local;
    SYSTEMTIME head{};
    FileTimeToLocalFileTime(&start, &local);
    FileTimeToSystemTime(&local, &head);
    return head;
  }
  std::string Line(const std::string& lineEnd) const {
    const SYSTEMTIME head = LocalStart();
    std::string line = std::to_string(head.wYear) + "." + std::to_string(head.wMonth) + "." +
                       std::to_string(head.wDay) + "." + std::to_string(head.wHour) + ":";
    for (size_t i = 0; i < drops.size(); ++i)
      line += std::to_string(drops[i]) + (i + 1 < drops.size() ? "," : lineEnd);
    return line;
  }
};

using Buckets = std::vector<std::pair<DWORD, INT>>;

Buckets Filed(const std::vector<Series>& series) {
  Buckets buckets(HourlyDrainTable::kHoursPerDay);
  for (const Series& one : series) {
    for (size_t i = 0; i < one.drops.size(); ++i) {
      auto& bucket = buckets[(one.LocalStart().wHour + i) % HourlyDrainTable::kHoursPerDay];
      bucket.first += one.drops[i];
      bucket.second += 1;
    }
  }
  return buckets;
}

// One restore's reading of the file: the table's buckets.
Buckets Restored(HostDriver& driver, CheckReport& report, const WString& name,
                 const std::string& what) {
  HourlyDrainTable table;
  report.EqualResult(LoadStatFile(name, kThirtyDays, table, true), S_OK, what + ": the load");
  report.Check(driver.TakeMessages().empty(), what + ": no message");
  Buckets buckets;
  for (UINT hour = 0; hour < HourlyDrainTable::kHoursPerDay; ++hour) {
    buckets.emplace_back(table.bucket(hour).dropSum, table.bucket(hour).sampleCount);
  }
  return buckets;
}

void Append(const WString& name, const Series& series) {
  AppendStatRecord(name, series.LocalStart(), series.drops);
}

void CheckRecordsAcrossRestores(HostDriver& driver, CheckReport& report) {
  const std::string end = driver.TextLineEnd();
  const Series first{HoursAgo(9), {3, 2}};
  const Series second{HoursAgo(6), {4}};
  const Series third{HoursAgo(3), {5, 1}};

  const WString records = driver.FileNameInRunFolder("records.dat");
  HourlyDrainTable created;
  LoadStatFile(records, kThirtyDays, created, true);
  Append(records, first);
  Append(records, second);
  report.Equal(ReadBytes(records), "[version 1]" + end + first.Line(end) + second.Line(end),
               "appended records follow the version line, each on its own line");
  report.Check(Restored(driver, report, records, "first restore") == Filed({first, second}),
               "the first restore files every drop under its local hour");
  Append(records, third);
  report.Check(Restored(driver, report, records, "second restore") == Filed({first, second, third}),
               "the second restore files the earlier records and the one appended since");
  const std::string before = ReadBytes(records);
  LoadWithStatFile(driver, report, records);
  report.Check(driver.TakeMessages().empty(), "the plug-in's restore accepts the appended file");
  report.Equal(ReadBytes(records), before,
               "the plug-in's restore leaves the appended file as it was");

  // A record cut inside (a crash while it was written): the next append ends its line first.
  const WString cut = driver.FileNameInRunFolder("cut.dat");
  const std::string whole = Series{second.start, {6, 1}}.Line(end);
  const std::string cutRecord = whole.substr(0, whole.size() - end.size() - 1);  // "...:6,"
  WriteBytes(cut, "[version 1]" + end + first.Line(end) + cutRecord);
  Append(cut, third);
  report.Equal(ReadBytes(cut),
               "[version 1]" + end + first.Line(end) + cutRecord + end + third.Line(end),
               "an append after a cut record starts a new line");
  report.Check(Restored(driver, report, cut, "after a cut record") ==
                   Filed({first, Series{second.start, {6}}, third}),
               "a cut record keeps its whole drops and the records around it load");

  // Lines ended by "\r\n" whatever the runtime writes.
  const WString crlf = driver.FileNameInRunFolder("crlf.dat");
  WriteBytes(crlf, "[version 1]\r\n" + first.Line("\r\n"));
  Append(crlf, second);
  report.Equal(ReadBytes(crlf), "[version 1]\r\n" + first.Line("\r\n") + second.Line(end),
               R"(an append to a file of "\r\n" lines adds only its record)");
  report.Check(Restored(driver, report, crlf, R"("\r\n" lines)") == Filed({first, second}),
               R"(a file of "\r\n" lines loads every record)");
}

// Drops kept beside the stat file (a temporary file in text mode moved over the kept ones) are
// filed by the next start once: also when a flush had appended them and was cut before it removed
// them, which the stat file's size, as the runtime tells it, shows.
void CheckKeptDrops(HostDriver& driver, CheckReport& report) {
  const std::string end = driver.TextLineEnd();
  const Series series{HoursAgo(3), {3, 2}};
  for (const bool appended : {false, true}) {
    const std::string what = appended ? "kept drops already appended" : "kept drops";
    const WString stat = driver.FileNameInRunFolder(appended ? "appended.dat" : "kept.dat");
    WriteBytes(stat, "[version 1]" + end);
    KeepPendingRecord(stat, series.LocalStart(), {3});
    KeepPendingRecord(stat, series.LocalStart(), series.drops);
    report.Check(ReadBytes(stat + TEXT(".pending")).ends_with(end + series.Line(end)),
                 what + ": the last keep replaces the one before");
    report.Check(!FileExists(stat + TEXT(".pending.new")), what + ": no temporary file is left");
    if (appended) AppendStatRecord(stat, series.LocalStart(), series.drops);
    FilePendingRecord(stat);
    FilePendingRecord(stat);
    report.Equal(ReadBytes(stat), "[version 1]" + end + series.Line(end),
                 what + ": the next start leaves them in the stat file once");
    report.Check(!FileExists(stat + TEXT(".pending")), what + ": then they are no longer kept");
  }
}

}  // namespace

void CheckStatFile(HostDriver& driver, CheckReport& report) {
  report.Group("stat file");
  const WString fresh = driver.FileNameInRunFolder("fresh.dat");
  TestHostEnvironment environment;
  TestSite site(&environment);
  {
    PluginUnderTest plugin(driver, report, &site);
    plugin.Initialize(kHandle, {{TEXT("StatFilename"), fresh}});
    report.Check(!FileExists(fresh), "Initialize does not touch the stat file");
    plugin.Load(plugin.Save());
  }
  report.Equal(ReadBytes(fresh), "[version 1]" + driver.TextLineEnd(),
               "Load creates a missing stat file with its version line");
  report.Check(driver.TakeMessages().empty(), "a new stat file shows no message");

  LoadWithStatFile(driver, report, fresh);
  report.Equal(ReadBytes(fresh), "[version 1]" + driver.TextLineEnd(),
               "loading an existing stat file leaves it as it was");
  report.Check(driver.TakeMessages().empty(), "a stat file of the right version shows no message");

  const WString wrong = driver.FileNameInRunFolder("wrong.dat");
  const std::string wrongContent = "[version 2]\n2024.3.9.15:3,2,4\n";
  WriteBytes(wrong, wrongContent);
  LoadWithStatFile(driver, report, wrong);
  ExpectOneMessage(report, driver.TakeMessages(), TEXT("Version of Stat file is wrong"), MB_OK,
                   "a wrong version line");
  report.Equal(ReadBytes(wrong), wrongContent, "a stat file of a wrong version is left as it was");

  CheckRecordsAcrossRestores(driver, report);
  CheckKeptDrops(driver, report);
}
