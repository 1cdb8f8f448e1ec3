// The statistics must survive a restart unshifted: days of a phone's life on the simulated clock,
// driven as the home screen drives the plug-in (every timer it asks for, a paint after every
// repaint request), with restarts in between, and a year of daily sleeps across the zone's
// daylight-saving switches. Whenever the object goes away, the hourly table rebuilt from the stat
// file equals the table the object had built live, hour for hour.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/gdi/canvas.h"
#include "platform/power/power_source_simulated.h"
#include "platform/time/simulated_clock.h"
#include "plugin/zelvar_plugin.h"
#include "stats/stat_file.h"
#include "tests/fakes/fake_host.h"
#include "tests/fakes/fake_xml_element.h"
#include "tests/fakes/temp_folder.h"
#include "tests/fakes/time_builders.h"
#include "tracking/power/power_and_time.h"

namespace {

constexpr LONGLONG kFileTimeMillisecond = 10000;
constexpr LONGLONG kFileTimeMinute = kFileTimeHour / 60;
const WCHAR* const kStatFile = TEXT("\\stats.dat");

// "hour: sum/count" for every hour of day, so a failure shows the two tables side by side.
std::vector<std::string> Rows(const HourlyDrainTable& table) {
  std::vector<std::string> rows;
  for (UINT hour = 0; hour < HourlyDrainTable::kHoursPerDay; ++hour) {
    const HourlyDrainTable::Bucket& b = table.bucket(hour);
    rows.push_back(std::to_string(hour) + ": " + std::to_string(b.dropSum) + "/" +
                   std::to_string(b.sampleCount));
  }
  return rows;
}

// From this UTC instant on, local time is offsetMinutes ahead of UTC.
struct OffsetSwitch {
  SYSTEMTIME at;
  int offsetMinutes;
};

struct Zone {
  const char* name;
  int offsetMinutes;
  std::vector<OffsetSwitch> switches;
};

// The line is painted as the home screen would; what it shows is no concern here.
class BlankCanvas : public Canvas {
 public:
  void FillRectangle(const RECT&, COLORREF) override {}
  void SetTextColour(COLORREF) override {}
  int DrawText(const RECT&, WStringView, UINT) override { return 1; }
};

void PrintTo(const Zone& zone, std::ostream* out) { *out << zone.name; }

class StatisticsAcrossRestarts : public testing::TestWithParam<Zone> {
 protected:
  StatisticsAcrossRestarts() {
    for (const OffsetSwitch& change : GetParam().switches)
      clock.ChangeOffsetAt(change.at, change.offsetMinutes);
    battery.SetOnMains(false);
    // What a kill leaves does not hang on the disk's syncs; a year of hourly ones takes long.
    root.state().writesSynced = false;
  }
  ~StatisticsAcrossRestarts() override {
    if (plugin != nullptr) Stop();
  }

  LONGLONG Now() { return static_cast<LONGLONG>(clock.UtcNow()); }

  void Start() {
    plugin = new CZelvarPlugin;
    plugin->SetSite(&site);
    FakeXmlElement element;
    element.With(u"StatFilename", kStatFile).With(u"MaxHistoryDays", kHistoryDays);
    if (flushTimeoutHours != nullptr) element.With(u"FlushTimeoutHours", flushTimeoutHours);
    plugin->Initialize(1, &element);  // every other setting at its default
    pending.clear();
    seenTimers = environment.timers.size();
    plugin->Load(nullptr);
    TakeNewRequests();
  }

  // The object goes away (its last release flushes the series); the table it built live is then
  // compared with the one the stat file gives. Samples the live table has in an hour beyond the
  // reloaded one's were filed under another hour, or lost.
  void Stop() {
    const HourlyDrainTable live = plugin->state().table;
    plugin->SetSite(nullptr);
    plugin->Release();
    plugin = nullptr;
    HourlyDrainTable reloaded;
    LoadStatFile(kStatFile, kHistoryDayCount, reloaded, true);
    EXPECT_EQ(Rows(reloaded), Rows(live)) << "stopped at " << Describe(Now());
    ++comparisons;
    for (UINT hour = 0; hour < HourlyDrainTable::kHoursPerDay; ++hour) {
      misplacedSamples +=
          std::max(0, live.bucket(hour).sampleCount - reloaded.bucket(hour).sampleCount);
    }
  }

  INT Samples() {
    HourlyDrainTable reloaded;
    LoadStatFile(kStatFile, kHistoryDayCount, reloaded, true);
    INT samples = 0;
    for (UINT hour = 0; hour < HourlyDrainTable::kHoursPerDay; ++hour)
      samples += reloaded.bucket(hour).sampleCount;
    return samples;
  }

  // Runs the host until the given instant: each timer request is answered after its delay, and each
  // repaint request by a paint. The battery is on mains from 21:00 to 05:00 UTC, overnight. With
  // sleeps on, the machine sleeps on battery from 12:20 to 14:40 UTC every day: the timers that
  // come due meanwhile are answered on waking.
  void RunUntil(LONGLONG end) {
    while (true) {
      const LONGLONG timer =
          pending.empty() ? end : *std::min_element(pending.begin(), pending.end());
      const LONGLONG sleep = sleeps ? NextDaily(12, 20) : end;
      const LONGLONG next = std::min({timer, end, NextDaily(OnMainsAt(Now()) ? 5 : 21, 0), sleep});
      if (next > Now()) clock.SetUtcFileTime(static_cast<ULONGLONG>(next));
      battery.SetOnMains(OnMainsAt(Now()));
      if (next == end) return;
      if (next == sleep) clock.SetUtcFileTime(static_cast<ULONGLONG>(sleep + kSleep));
      if (next != timer) continue;
      pending.erase(std::find(pending.begin(), pending.end(), timer));
      Send(PE_TIMER);
      TakeNewRequests();
    }
  }

  void TakeNewRequests() {
    for (; seenTimers < environment.timers.size(); ++seenTimers) {
      pending.push_back(Now() + environment.timers[seenTimers].argument * kFileTimeMillisecond);
    }
    for (; seenRepaints < environment.repaints.size(); ++seenRepaints) Send(PE_PAINT);
  }

  void Send(DWORD type) {
    PluginEvent event{};
    event.type = type;
    if (type == PE_PAINT) event.paint.hdc = dc.eventWord();
    plugin->OnEvent(&event);
  }

  static bool OnMainsAt(LONGLONG utc) {
    const WORD hour = UtcTimeOf(utc).wHour;
    return hour >= 21 || hour < 5;
  }
  // The first instant after now at the given UTC time of day.
  LONGLONG NextDaily(WORD hour, WORD minute) {
    SYSTEMTIME t = UtcTimeOf(Now());
    t.wHour = hour;
    t.wMinute = minute;
    t.wSecond = t.wMilliseconds = 0;
    const LONGLONG today = FileTimeOf(t);
    return today > Now() ? today : today + 24 * kFileTimeHour;
  }
  static std::string Describe(LONGLONG utc) {
    const SYSTEMTIME t = UtcTimeOf(utc);
    return std::to_string(t.wDay) + "." + std::to_string(t.wMonth) + " " + std::to_string(t.wHour) +
           ":" + std::to_string(t.wMinute) + ":" + std::to_string(t.wSecond) + " UTC";
  }
  static LONGLONG At(WORD day, WORD hour, WORD minute, WORD second = 0) {
    return FileTimeOf(Utc(2026, 3, day, hour, minute, second));
  }

  // A whole run's records load, whatever their age.
  static constexpr DWORD kHistoryDayCount = 800;
  static constexpr const WCHAR* kHistoryDays = TEXT("800");
  static constexpr LONGLONG kSleep = 2 * kFileTimeHour + 20 * kFileTimeMinute;

  SimulatedClock clock{Utc(2026, 3, 26, 5, 12, 41), GetParam().offsetMinutes};
  ScopedClock clockGuard{clock};
  SimulatedBattery battery{100.0};
  ScopedPowerSource powerGuard{battery};
  TempFolder folder;
  ScopedDeviceRoot root{folder};
  BlankCanvas canvas;
  ScopedDeviceContext dc{canvas};
  TestHostEnvironment environment;
  TestSite site{&environment};
  CZelvarPlugin* plugin = nullptr;
  std::vector<LONGLONG> pending;  // instants at which the requested timers come due
  size_t seenTimers = 0, seenRepaints = 0;
  bool sleeps = false;
  const WCHAR* flushTimeoutHours = nullptr;  // the default's when null
  int comparisons = 0;
  INT misplacedSamples = 0;
};

TEST_P(StatisticsAcrossRestarts, TheReloadedTableEqualsTheLiveOne) {
  // Restarts at odd moments, in the first minute of an hour among them, on battery and on mains;
  // the run crosses the night of 28 to 29 March, when the switching zone moves its clock on.
  const LONGLONG restarts[] = {At(26, 13, 0, 20), At(26, 18, 37),     At(27, 10, 0, 5),
                               At(27, 22, 15),    At(28, 14, 59, 59), At(29, 12, 0, 0),
                               At(30, 9, 41)};
  Start();
  for (const LONGLONG restart : restarts) {
    RunUntil(restart);
    Stop();
    Start();
  }
  RunUntil(At(31, 4, 30));
  Stop();
  EXPECT_EQ(comparisons, 8);

  // Five days on battery at the default flush of eight drops: the file holds many records, and
  // the table many samples.
  EXPECT_GT(Samples(), 50);
}

// Autumn to spring, asleep every day from 12:20 to 14:40 UTC, restarted every few days at another
// time of day: both zones switch back and forth.
using DailySleepsAcrossRestarts = StatisticsAcrossRestarts;

TEST_P(DailySleepsAcrossRestarts, TheReloadedTableEqualsTheLiveOne) {
  sleeps = true;
  clock.SetUtc(Utc(2026, 10, 20, 5, 12, 41));
  battery.SetPercent(100.0);
  const LONGLONG end = FileTimeOf(Utc(2027, 3, 30, 0));
  const LONGLONG every = 3 * kFileTimeHour * 24 + 5 * kFileTimeHour + 17 * kFileTimeMinute;
  Start();
  for (LONGLONG restart = Now() + every; restart < end; restart += every) {
    RunUntil(restart);
    Stop();
    Start();
  }
  RunUntil(end);
  Stop();
  const INT samples = Samples();
  EXPECT_EQ(misplacedSamples, 0) << "of " << samples << " samples";
  EXPECT_GT(samples, 1000);
}

// A process killed at a moment of its own choosing: a child that runs body and ends with status 0,
// unless KillBeforeChange cut it short first. Answers the exit status.
constexpr int kKilled = 3;
int InChild(const std::function<void()>& body) {
  const pid_t child = fork();
  if (child == 0) {
    body();
    _exit(0);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

// Ends the process as a kill would, right before its cut-th file change (an open for writing, a
// move or a removal; 1 the first).
void KillBeforeChange(int cut) {
  SetFileChangeObserver([cut, changes = 0](const std::string&) mutable {
    if (++changes == cut) _exit(kKilled);
  });
}

void CopyFolder(const std::filesystem::path& from, const std::filesystem::path& to) {
  std::filesystem::remove_all(to);
  std::filesystem::copy(from, to, std::filesystem::copy_options::recursive);
}

// A keeper killed at every step of its hourly samples and of the flush that files them: once the
// next run has started (itself killed at every step of its start first, and a viewer started
// beside the files, which changes nothing), the stat file holds every drop kept before the kill,
// once, and nothing else.
using KilledKeepers = StatisticsAcrossRestarts;

TEST_P(KilledKeepers, FileEveryKeptDropOnce) {
  flushTimeoutHours = TEXT("3");
  // On battery from 05:12 UTC: the samples just after 07:00, 08:00 and 09:00 keep the drops of
  // hours 6, 7 and 8, and the third one's flush files them.
  const LONGLONG end = At(26, 9, 30);
  const auto run = [&] {
    Start();
    RunUntil(end);
  };
  const auto restart = [&] {
    clock.SetUtcFileTime(static_cast<ULONGLONG>(end));
    Start();
    plugin->Release();
  };
  ASSERT_EQ(InChild(run), 0);
  const std::string whole = folder.Read("stats.dat");
  const size_t colon = whole.find(':');
  ASSERT_EQ(std::count(whole.begin(), whole.end(), ','), 2) << whole;
  EXPECT_FALSE(folder.Exists("stats.dat.pending"));
  // The stat file after the first `kept` drops: "[version 1]\n2026.3.26.6:4,4,4\n" when all three.
  const auto filed = [&](size_t kept) {
    if (kept == 0) return std::string("[version 1]\n");
    size_t cut = colon;
    for (size_t i = 0; i < kept; ++i) cut = whole.find_first_of(",\n", cut + 1);
    return whole.substr(0, cut) + "\n";
  };

  // The run's file changes: its start creates the stat file (1); each sample writes the drops so
  // far to a temporary file (2, 4, 6) and moves it over the kept ones (3, 5, 7); the flush appends
  // them to the stat file (8) and removes the kept ones (9). 10: killed after them all.
  const struct {
    int cut;
    size_t kept;
  } kills[] = {{1, 0}, {2, 0}, {3, 0}, {4, 1}, {5, 1}, {6, 2}, {7, 2}, {8, 3}, {9, 3}, {10, 3}};
  const TempFolder killed;  // what the killed run left, for each next start to begin from
  for (const auto& kill : kills) {
    SCOPED_TRACE("killed before file change " + std::to_string(kill.cut));
    std::filesystem::remove_all(folder.path());
    std::filesystem::create_directory(folder.path());
    ASSERT_EQ(InChild([&] {
                KillBeforeChange(kill.cut);
                run();
              }),
              kill.cut <= 9 ? kKilled : 0);
    CopyFolder(folder.path(), killed.path());
    ASSERT_EQ(InChild([&] {
                SetFileWritesAllowed(false);
                restart();
              }),
              0);
    for (const char* name : {"stats.dat", "stats.dat.pending"})
      EXPECT_EQ(folder.Read(name), killed.Read(name)) << name;
    for (int restartCut = 1;; ++restartCut) {
      SCOPED_TRACE("the next start killed before file change " + std::to_string(restartCut));
      CopyFolder(killed.path(), folder.path());
      const int status = InChild([&] {
        KillBeforeChange(restartCut);
        restart();
      });
      ASSERT_EQ(InChild(restart), 0);
      EXPECT_EQ(folder.Read("stats.dat"), filed(kill.kept));
      EXPECT_FALSE(folder.Exists("stats.dat.pending"));
      if (status != kKilled) break;
    }
  }
}

std::string ZoneName(const testing::TestParamInfo<Zone>& info) { return info.param.name; }

// They switch as "CET-1CEST,M3.5.0,M10.5.0/3" and "CST6CDT,M3.2.0,M11.1.0" would have it.
const Zone kCentralEurope{
    "CentralEurope",
    60,
    {{Utc(2026, 3, 29, 1), 120}, {Utc(2026, 10, 25, 1), 60}, {Utc(2027, 3, 28, 1), 120}}};
const Zone kUsCentral{"UsCentral",
                      -6 * 60,
                      {{Utc(2026, 3, 8, 8), -5 * 60},
                       {Utc(2026, 11, 1, 7), -6 * 60},
                       {Utc(2027, 3, 14, 8), -5 * 60}}};

INSTANTIATE_TEST_SUITE_P(Zones, StatisticsAcrossRestarts,
                         testing::Values(Zone{"Utc", 0, {}},
                                         Zone{"PlusFiveThirty", 5 * 60 + 30, {}}, kCentralEurope,
                                         kUsCentral),
                         ZoneName);
INSTANTIATE_TEST_SUITE_P(SwitchingZones, DailySleepsAcrossRestarts,
                         testing::Values(kCentralEurope, kUsCentral), ZoneName);
INSTANTIATE_TEST_SUITE_P(Zone, KilledKeepers, testing::Values(kCentralEurope), ZoneName);

}  // namespace
