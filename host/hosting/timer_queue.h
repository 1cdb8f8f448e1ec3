// The plug-in's one-shot timers: every ScheduleTimer request becomes one deadline, and every
// deadline is handed out exactly once, so each request is answered by exactly one PE_TIMER. Times
// are file times (100 ns units since 1601) of the installed clock.
//
// No request waits less than kShortestTimerMs, as on the device's home screen: a plug-in that asks
// for 0 ms (a RefreshTimeout of 0) is answered once a second instead of keeping the host busy.
//
// Deadlines are wall-clock times, since the plug-in aims its requests at the top of the UTC hour:
// when the clock is set forward (or the machine slept past them) they are due at once. When the
// clock is set back, a deadline never stays further ahead than its request's delay from now: it
// is moved to now plus the delay, so the plug-in never waits longer than it asked to.
#pragma once

#include <map>
#include <optional>
#include <vector>

#include "plugin_host/home_screen_plugin.h"

class TimerQueue {
 public:
  static constexpr DWORD kShortestTimerMs = 1000;

  void Schedule(PluginHandle handle, DWORD milliseconds, ULONGLONG now);
  std::optional<ULONGLONG> EarliestDeadline() const;
  // First brings every deadline to at most `now` plus its delay (after a clock set back), then
  // removes and answers the requests whose deadline is at or before `now`, earliest first, equal
  // deadlines in the order they were requested. Requests made while these are handled wait for the
  // next call, so a request of 0 ms cannot keep one call going for ever.
  std::vector<PluginHandle> TakeDue(ULONGLONG now);
  size_t pending() const { return deadlines_.size(); }

 private:
  struct Request {
    PluginHandle handle;
    ULONGLONG delay;  // file time units
  };
  void HoldWithinDelays(ULONGLONG now);

  std::multimap<ULONGLONG, Request> deadlines_;
};
