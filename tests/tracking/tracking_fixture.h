// A plug-in state driven on the simulated clock and a fixed power source, with its stat file in a
// temporary device root.
#pragma once

#include <gtest/gtest.h>

#include "platform/time/simulated_clock.h"
#include "plugin_state/plugin_state.h"
#include "tests/fakes/fake_host.h"
#include "tests/fakes/fixed_power_source.h"
#include "tests/fakes/temp_folder.h"
#include "tests/fakes/time_builders.h"
#include "tracking/power/power_and_time.h"

class TrackingFixture : public testing::Test {
 protected:
  TrackingFixture() {
    state.settings = DefaultSettings();
    state.settings.StatFilename = TEXT("\\stats.dat");
  }

  void AtDate(WORD year, WORD month, WORD day, WORD hour, WORD minute = 0, WORD second = 0,
              WORD ms = 0) {
    clock.SetUtc(Utc(year, month, day, hour, minute, second, ms));
  }
  // The same day as the fixture starts on.
  void At(WORD hour, WORD minute = 0, WORD second = 0, WORD ms = 0) {
    AtDate(2026, 3, 2, hour, minute, second, ms);
  }
  static LONGLONG Time(WORD hour, WORD minute = 0, WORD second = 0, WORD ms = 0, WORD day = 2) {
    return FileTimeOf(Utc(2026, 3, day, hour, minute, second, ms));
  }
  std::string StatFile() const { return folder.Read("stats.dat"); }
  std::string Status() const { return NarrowUtf8(state.StatusText); }

  SimulatedClock clock{Utc(2026, 3, 2, 10, 20), 0};
  ScopedClock clockGuard{clock};
  FixedPowerSource power;
  ScopedPowerSource powerGuard{power};
  TempFolder folder;
  ScopedDeviceRoot root{folder};
  PluginState state;
};
