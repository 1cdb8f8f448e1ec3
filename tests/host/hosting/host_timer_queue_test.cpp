// One-shot timers from the plug-in's requests, the site that takes them, and how the loop's
// simulated time runs.
#include <gtest/gtest.h>

#include "host/hosting/host_site.h"
#include "host/hosting/timer_queue.h"
#include "platform/time/simulated_clock.h"
#include "tests/fakes/com_expect.h"
#include "tests/fakes/time_builders.h"

namespace {

constexpr ULONGLONG kUnitsPerMs = 10'000;

TEST(TimerQueueTest, EachRequestIsHandedOutOnceInDeadlineOrder) {
  TimerQueue timers;
  EXPECT_EQ(timers.EarliestDeadline(), std::nullopt);
  timers.Schedule(1, 600000, 0);
  timers.Schedule(2, 1000, 500 * kUnitsPerMs);
  timers.Schedule(3, 1000, 500 * kUnitsPerMs);
  timers.Schedule(4, 1000, 0);
  EXPECT_EQ(timers.EarliestDeadline(), 1000 * kUnitsPerMs);

  EXPECT_EQ(timers.TakeDue(1499 * kUnitsPerMs), std::vector<PluginHandle>{4});
  EXPECT_EQ(timers.TakeDue(1500 * kUnitsPerMs), (std::vector<PluginHandle>{2, 3}));
  EXPECT_EQ(timers.TakeDue(1500 * kUnitsPerMs), std::vector<PluginHandle>{});
  EXPECT_EQ(timers.pending(), 1u);
  EXPECT_EQ(timers.TakeDue(ULLONG_MAX), std::vector<PluginHandle>{1});
  EXPECT_EQ(timers.EarliestDeadline(), std::nullopt);
}

TEST(TimerQueueTest, NoRequestIsAnsweredSoonerThanASecond) {
  const struct {
    DWORD requestedMs;
    ULONGLONG waitMs;
  } cases[] = {{0, 1000},
               {1, 1000},
               {999, 1000},
               {1000, 1000},
               {1001, 1001},
               {600000, 600000},
               {0xFFFFFFFF, 0xFFFFFFFF}};
  for (const auto& c : cases) {
    TimerQueue timers;
    timers.Schedule(1, c.requestedMs, 7 * kUnitsPerMs);
    EXPECT_EQ(timers.EarliestDeadline(), (7 + c.waitMs) * kUnitsPerMs) << c.requestedMs;
  }
}

TEST(TimerQueueTest, AfterTheClockWentBackNoDeadlineIsFurtherAwayThanItsDelay) {
  constexpr ULONGLONG kStart = 36'000'000 * kUnitsPerMs;
  TimerQueue timers;
  timers.Schedule(1, 600000, kStart);
  timers.Schedule(2, 5000, kStart);
  // Five seconds on, the clock is put back an hour: each deadline is its delay from the new time.
  const ULONGLONG setBack = kStart + 5000 * kUnitsPerMs - 3'600'000 * kUnitsPerMs;
  EXPECT_EQ(timers.TakeDue(setBack), std::vector<PluginHandle>{});
  EXPECT_EQ(timers.EarliestDeadline(), setBack + 5000 * kUnitsPerMs);
  EXPECT_EQ(timers.TakeDue(setBack + 5000 * kUnitsPerMs), std::vector<PluginHandle>{2});
  EXPECT_EQ(timers.EarliestDeadline(), setBack + 600000 * kUnitsPerMs);

  // Time running on as usual moves nothing.
  TimerQueue steady;
  steady.Schedule(3, 600000, kStart);
  EXPECT_EQ(steady.TakeDue(kStart + 1), std::vector<PluginHandle>{});
  EXPECT_EQ(steady.EarliestDeadline(), kStart + 600000 * kUnitsPerMs);
}

TEST(HostSiteTest, TimersRunOnTheInstalledClockAndColoursComeFromTheScheme) {
  SimulatedClock clock(Utc(2024, 1, 1, 10, 59, 59), 0);
  const ScopedClock clockGuard(clock);
  TimerQueue timers;
  LineState line;
  line.repaintRequested = false;
  ColourSchemes schemes;
  const ComPtr<HostSite> site = HostSite::Create(timers, line, schemes);
  auto* environment = static_cast<HostEnvironment*>(site.Get());
  EXPECT_INTERFACE(environment, IID_HostColourLookup, true);
  EXPECT_INTERFACE(environment, IID_IObjectWithSite, false);

  EXPECT_EQ(environment->ScheduleTimer(1, 1000), S_OK);
  EXPECT_EQ(timers.EarliestDeadline(), clock.UtcNow() + 1000 * kUnitsPerMs);
  EXPECT_EQ(environment->RequestRepaint(1, 0), S_OK);
  EXPECT_TRUE(line.repaintRequested);

  void* out = nullptr;
  ASSERT_EQ(environment->QueryInterface(IID_HostColourLookup, &out), S_OK);
  auto* colours = static_cast<HostColourLookup*>(out);
  EXPECT_REF_COUNT(environment, 2);
  DWORD colour = 0x12345678;
  EXPECT_EQ(colours->GetColor(1, TEXT("COLOR_HOMEHIGHLIGHT"), &colour), S_OK);
  EXPECT_EQ(colour, schemes.Current().highlight);
  schemes.SwitchToNext();
  EXPECT_EQ(colours->GetColor(1, TEXT("COLOR_HOMETEXT"), &colour), S_OK);
  EXPECT_EQ(colour, schemes.Current().text);
  EXPECT_EQ(colours->GetColor(1, TEXT("COLOR_HOMETEXT "), &colour), E_INVALIDARG);
  EXPECT_EQ(colours->GetColor(1, TEXT("color_hometext"), &colour), E_INVALIDARG);
  EXPECT_EQ(colour, schemes.Current().text);
  LONG metric = 5;
  EXPECT_EQ(colours->GetMetric(1, TEXT("x"), &metric), E_NOTIMPL);
  colours->Release();
  EXPECT_REF_COUNT(environment, 1);
}

}  // namespace
