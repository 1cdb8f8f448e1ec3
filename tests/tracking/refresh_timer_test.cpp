#include "tracking/refresh_timer.h"

#include "tests/tracking/tracking_fixture.h"

namespace {

// Notes the status line at each request, so the order of update and requests shows.
class StatusAtRequests : public TestHostEnvironment {
 public:
  HRESULT STDMETHODCALLTYPE RequestRepaint(PluginHandle handle, DWORD flags) override {
    seen.push_back("repaint:" + NarrowUtf8(state->StatusText));
    return TestHostEnvironment::RequestRepaint(handle, flags);
  }
  HRESULT STDMETHODCALLTYPE ScheduleTimer(PluginHandle handle, DWORD milliseconds) override {
    seen.push_back("timer:" + NarrowUtf8(state->StatusText));
    return TestHostEnvironment::ScheduleTimer(handle, milliseconds);
  }
  const PluginState* state = nullptr;
  std::vector<std::string> seen;
};

class RefreshTimer : public TrackingFixture {
 protected:
  RefreshTimer() {
    site.QueryInterface(IID_HostEnvironment, reinterpret_cast<void**>(&state.hostEnvironment));
    state.handle = 7;
    state.timerRequests = 1;
    environment.state = &state;
  }
  ~RefreshTimer() override { state.hostEnvironment->Release(); }
  std::vector<DWORD> Delays() const {
    std::vector<DWORD> delays;
    for (const auto& call : environment.timers) delays.push_back(call.argument);
    return delays;
  }
  StatusAtRequests environment;
  TestSite site{&environment};
};

TEST_F(RefreshTimer, AsksForTheTimerThenUpdatesThenAsksForTheRepaint) {
  state.StatusText = TEXT("stale");
  OnTimer(state);
  EXPECT_EQ(environment.seen,
            (std::vector<std::string>{"timer:stale", "repaint: 85%, hrs: 0.0/-?-"}));
}

TEST_F(RefreshTimer, RequestsAlignToTheTopOfTheHour) {
  At(10, 23, 18);
  for (int i = 0; i < 6; ++i) {
    OnTimer(state);
    clock.AdvanceMilliseconds(environment.timers.back().argument);
  }
  EXPECT_EQ(Delays(), (std::vector<DWORD>{600000, 600000, 600000, 402000, 600000, 600000}));
  EXPECT_EQ(environment.repaints.size(), 6u);
  EXPECT_EQ(environment.repaints.front().handle, 7u);
  EXPECT_EQ(environment.timers.front().handle, 7u);
  EXPECT_EQ(state.timerRequests, 1);
  EXPECT_EQ(Status(), " 85%, hrs: 0.8/-?-");
}

TEST_F(RefreshTimer, TheRefreshTimeoutIsComparedUnsigned) {
  const struct {
    LONG refresh;
    WORD minute;
    DWORD expected;
  } cases[] = {{600000, 0, 600000},
               {3600000, 0, 3600000},
               {0, 30, 0},
               {-1, 30, 1800000},
               {5000000, 59, 60000}};
  for (const auto& c : cases) {
    state.settings.RefreshTimeout = c.refresh;
    At(11, c.minute);
    OnTimer(state);
    EXPECT_EQ(environment.timers.back().argument, c.expected) << c.refresh;
  }
}

TEST_F(RefreshTimer, WithTwoOutstandingOnlyChargingAsksForAMinute) {
  state.timerRequests = 2;
  OnTimer(state);
  EXPECT_TRUE(environment.timers.empty());
  EXPECT_EQ(state.timerRequests, 1);
  EXPECT_EQ(environment.repaints.size(), 1u);

  state.timerRequests = 2;
  power.OnMains(50);
  OnTimer(state);
  EXPECT_EQ(Delays(), std::vector<DWORD>{60000});
  EXPECT_EQ(state.timerRequests, 2);

  state.timerRequests = 5;
  OnTimer(state);
  EXPECT_EQ(environment.timers.size(), 1u);
  EXPECT_EQ(environment.repaints.size(), 3u);
}

TEST_F(RefreshTimer, AnUnreadablePowerStatusEndsTheChain) {
  power.failing = true;
  OnTimer(state);
  EXPECT_EQ(state.timerRequests, 0);
  EXPECT_EQ(Status(), "Battery status unknown");
  EXPECT_TRUE(environment.timers.empty());
  EXPECT_TRUE(environment.repaints.empty());
  EXPECT_EQ(power.reads, 1);  // no status update ran
}

TEST(RefreshTimerWithoutHost, RequestsNothingAndCountsNothing) {
  SimulatedClock clock(Utc(2026, 3, 2, 10), 0);
  ScopedClock clockGuard(clock);
  FixedPowerSource power;
  ScopedPowerSource powerGuard(power);
  TempFolder folder;
  ScopedDeviceRoot root(folder);
  PluginState state;
  state.settings = DefaultSettings();
  state.timerRequests = 1;
  OnTimer(state);
  EXPECT_EQ(state.timerRequests, 0);
  EXPECT_EQ(NarrowUtf8(state.StatusText), " 85%, hrs: 0.0/-?-");
}

}  // namespace
