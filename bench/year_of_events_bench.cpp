// A simulated year of the home screen's events through the plug-in object: every timer the plug-in
// asks for fires on a simulated clock, each followed by the paint it asks for, on a simulated
// battery that drains through the day and charges at night. Prints, after one month and after
// twelve, the events handled, the events per second of real time within that month, the process's
// peak resident memory and the heap in use, and the size of the stat file: the work per event and
// the memory must not grow with the months.
#include <malloc.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/null_canvas.h"
#include "com_toolkit/com_object.h"
#include "com_toolkit/memory_stream.h"
#include "platform/power/power_source_simulated.h"
#include "platform/time/simulated_clock.h"
#include "plugin_host/saved_configuration.h"
#include "plugin/zelvar_plugin.h"

namespace {

constexpr PluginHandle kHandle = 1;
constexpr ULONGLONG kUnitsPerMillisecond = 10000;
constexpr int kDaysPerMonth = 30;

// The home screen's side: the one outstanding timer and whether a repaint is due.
class Environment : public ScopedComObject<Face<HostEnvironment, IID_HostEnvironment>> {
 public:
  HRESULT STDMETHODCALLTYPE RequestRepaint(PluginHandle, DWORD) override {
    repaintDue = true;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ScheduleTimer(PluginHandle, DWORD milliseconds) override {
    timerMilliseconds = milliseconds;
    return S_OK;
  }
  DWORD timerMilliseconds = 0;
  bool repaintDue = false;
};

class Site : public ScopedComObject<Face<IUnknown, IID_IUnknown>> {
 public:
  explicit Site(Environment& environment) : environment_(environment) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_HostEnvironment)) return environment_.QueryInterface(iid, out);
    return ScopedComObject<Face<IUnknown, IID_IUnknown>>::QueryInterface(iid, out);
  }

 private:
  Environment& environment_;
};

// The saved stream of a plug-in at its default settings, expert mode on.
std::vector<BYTE> ExpertSettingsStream() {
  const PluginSettings d = DefaultSettings();
  return EncodeConfiguration({kHandle, d.RefreshTimeout, d.MaxHistoryDays, d.MinPercent,
                              d.FlushTimeoutHours, d.height, 1, d.StatFilename});
}

long PeakResidentKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace

int main() {
  std::string folder = (std::filesystem::temp_directory_path() / "zelvar-year-XXXXXX").string();
  if (mkdtemp(folder.data()) == nullptr) return 1;
  SetDeviceRoot(folder);
  // The stat file is scratch: its records are not synced to disk, a wait on the disk (one per
  // record, some 700 a year) that is no work of the plug-in's and would swamp the events' time.
  SetFileWritesSynced(false);
  SimulatedClock clock(SYSTEMTIME{2025, 1, 0, 1, 0, 0, 0, 0}, 60);
  ScopedClock clockGuard(clock);
  SimulatedBattery battery(80.0);
  battery.FollowHabit(ChargingHabit{});
  ScopedPowerSource batteryGuard(battery);
  NullCanvas canvas;
  ScopedDeviceContext dc(canvas);

  Environment environment;
  Site site(environment);
  auto* plugin = new CZelvarPlugin;
  plugin->SetSite(&site);
  static_cast<IPersistStream*>(plugin)->Load(MemoryStream::Create(ExpertSettingsStream()).Get());

  PluginEvent timer{};
  timer.type = PE_TIMER;
  PluginEvent paint = MakePaintEvent(dc.eventWord(), false, RECT{0, 0, 240, 20});
  const ULONGLONG start = clock.UtcNow();
  long long events = 0;
  std::printf("%-7s %10s %14s %16s %14s %16s\n", "month", "events", "events/s", "peak RSS (KiB)",
              "heap (KiB)", "stat file bytes");
  for (int month = 1; month <= 12; ++month) {
    const auto monthStart = std::chrono::steady_clock::now();
    const long long eventsBefore = events;
    const ULONGLONG monthEnd = start + static_cast<ULONGLONG>(month) * kDaysPerMonth * 24 * 3600 *
                                           1000 * kUnitsPerMillisecond;
    while (clock.UtcNow() < monthEnd) {
      clock.AdvanceMilliseconds(environment.timerMilliseconds);
      plugin->OnEvent(&timer);
      ++events;
      if (environment.repaintDue) {
        environment.repaintDue = false;
        plugin->OnEvent(&paint);
        ++events;
      }
    }
    if (month == 1 || month == 12) {
      const double seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - monthStart).count();
      std::error_code ignored;
      const auto statBytes =
          std::filesystem::file_size(folder + "/Storage/My Documents/ZelvarPlugin.dat", ignored);
      std::printf("%-7d %10lld %14.0f %16ld %14zu %16llu\n", month, events,
                  static_cast<double>(events - eventsBefore) / seconds, PeakResidentKilobytes(),
                  mallinfo2().uordblks / 1024, static_cast<unsigned long long>(statBytes));
    }
  }
  plugin->SetSite(nullptr);
  plugin->Release();
  std::filesystem::remove_all(folder);
  return 0;
}
