// The statistics must survive a restart unshifted: days of a phone's life on the simulated clock,
// driven as the home screen drives the plug-in (every timer it asks for, a paint after every
// repaint request), with restarts in between. Whenever the object goes away, the hourly table
// rebuilt from the stat file equals the table the object had built live, hour for hour.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/gdi/canvas.h"
#include "platform/power/power_source_simulated.h"
#include "platform/time/simulated_clock.h"
#include "plugin/zelvar_plugin.h"
#include "stats/stat_file.h"
#include "tests/fakes/fake_host.h"
#include "tests/fakes/fake_xml_element.h"
#include "tests/fakes/recording_canvas.h"
#include "tests/fakes/temp_folder.h"
#include "tests/fakes/time_builders.h"
#include "tracking/power/power_and_time.h"

namespace {

constexpr LONGLONG kFileTimeMillisecond = 10000;
const WCHAR* const kStatFile = TEXT("\\stats.dat");

// "hour: sum/count" for every hour of day, so a failure shows the two tables side by side.
std::vector<std::string> Rows(const HourlyDrainTable& table) {
  std::vector<std::string> rows;
  for (UINT hour = 0; hour < HourlyDrainTable::kHoursPerDay; ++hour) {
    const HourlyDrainTable::Bucket& b = table.bucket(hour);
    rows.push_back(std::to_string(hour) + ": " + std::to_string(b.dropSum) + "/" + std::to_string(b.sampleCount));
  }
  return rows;
}

struct Zone {
  const char* name;
  int offsetMinutes;
  // A daylight-saving switch: from this UTC instant on, local time is switchedOffset ahead.
  SYSTEMTIME switchAt;
  int switchedOffset;
};

void PrintTo(const Zone& zone, std::ostream* out) { *out << zone.name; }

class StatisticsAcrossRestarts : public testing::TestWithParam<Zone> {
 protected:
  StatisticsAcrossRestarts() {
    const Zone& zone = GetParam();
    if (zone.switchAt.wYear != 0) clock.ChangeOffsetAt(zone.switchAt, zone.switchedOffset);
    battery.SetOnMains(false);
  }
  ~StatisticsAcrossRestarts() override {
    if (plugin != nullptr) Stop();
  }

  LONGLONG Now() { return static_cast<LONGLONG>(clock.UtcNow()); }

  void Start() {
    plugin = new CZelvarPlugin;
    plugin->SetSite(&site);
    FakeXmlElement element;
    element.With(u"StatFilename", kStatFile);
    plugin->Initialize(1, &element);  // every other setting at its default
    pending.clear();
    seenTimers = environment.timers.size();
    plugin->Load(nullptr);
    TakeNewRequests();
  }

  // The object goes away (its last release flushes the series); the table it built live is then
  // compared with the one the stat file gives.
  void Stop() {
    const HourlyDrainTable live = plugin->state().table;
    plugin->SetSite(nullptr);
    plugin->Release();
    plugin = nullptr;
    HourlyDrainTable reloaded;
    LoadStatFile(kStatFile, setting_defaults::MaxHistoryDays, reloaded, true);
    EXPECT_EQ(Rows(reloaded), Rows(live)) << "stopped at " << Describe(Now());
    ++comparisons;
  }

  // Runs the host until the given instant: each timer request is answered after its delay, and each
  // repaint request by a paint. The battery is on mains from 21:00 to 05:00 UTC, overnight.
  void RunUntil(LONGLONG end) {
    while (true) {
      const LONGLONG timer = pending.empty() ? end : *std::min_element(pending.begin(), pending.end());
      const LONGLONG next = std::min({timer, end, NextMainsSwitch()});
      clock.SetUtcFileTime(static_cast<ULONGLONG>(next));
      battery.SetOnMains(OnMainsAt(next));
      if (next == end) return;
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
  LONGLONG NextMainsSwitch() {
    SYSTEMTIME t = UtcTimeOf(Now());
    const WORD switchHour = OnMainsAt(Now()) ? 5 : 21;
    LONGLONG at;
    do {
      t.wMinute = t.wSecond = t.wMilliseconds = 0;
      at = FileTimeOf(t);
      t = UtcTimeOf(at + kFileTimeHour);
    } while (UtcTimeOf(at).wHour != switchHour || at <= Now());
    return at;
  }
  static std::string Describe(LONGLONG utc) {
    const SYSTEMTIME t = UtcTimeOf(utc);
    return std::to_string(t.wDay) + "." + std::to_string(t.wMonth) + " " + std::to_string(t.wHour) + ":" +
           std::to_string(t.wMinute) + ":" + std::to_string(t.wSecond) + " UTC";
  }
  static LONGLONG At(WORD day, WORD hour, WORD minute, WORD second = 0) {
    return FileTimeOf(Utc(2026, 3, day, hour, minute, second));
  }

  SimulatedClock clock{Utc(2026, 3, 26, 5, 12, 41), GetParam().offsetMinutes};
  ScopedClock clockGuard{clock};
  SimulatedBattery battery{100.0};
  ScopedPowerSource powerGuard{battery};
  TempFolder folder;
  ScopedDeviceRoot root{folder};
  RecordingCanvas canvas;
  ScopedDeviceContext dc{canvas};
  TestHostEnvironment environment;
  TestSite site{&environment};
  CZelvarPlugin* plugin = nullptr;
  std::vector<LONGLONG> pending;  // instants at which the requested timers come due
  size_t seenTimers = 0, seenRepaints = 0;
  int comparisons = 0;
};

TEST_P(StatisticsAcrossRestarts, TheReloadedTableEqualsTheLiveOne) {
  // Restarts at odd moments, in the first minute of an hour among them, on battery and on mains;
  // the run crosses the night of 28 to 29 March, when the switching zone moves its clock on.
  const LONGLONG restarts[] = {At(26, 13, 0, 20), At(26, 18, 37), At(27, 10, 0, 5), At(27, 22, 15),
                               At(28, 14, 59, 59), At(29, 12, 0, 0), At(30, 9, 41)};
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
  HourlyDrainTable reloaded;
  LoadStatFile(kStatFile, setting_defaults::MaxHistoryDays, reloaded, true);
  INT samples = 0;
  for (UINT hour = 0; hour < HourlyDrainTable::kHoursPerDay; ++hour) samples += reloaded.bucket(hour).sampleCount;
  EXPECT_GT(samples, 50);
}

INSTANTIATE_TEST_SUITE_P(Zones, StatisticsAcrossRestarts,
                         testing::Values(Zone{"Utc", 0, {}, 0}, Zone{"PlusFiveThirty", 5 * 60 + 30, {}, 0},
                                         Zone{"CentralEuropeSpring", 60, Utc(2026, 3, 29, 1), 120}),
                         [](const testing::TestParamInfo<Zone>& info) { return std::string(info.param.name); });

}  // namespace
