// The plug-in's one-shot timers: every ScheduleTimer request becomes one deadline, and every
// deadline is handed out exactly once, so each request is answered by exactly one PE_TIMER. Times
// are file times (100 ns units since 1601) of the installed clock.
//
// No request waits less than kShortestTimerMs, as on the device's home screen: a plug-in that asks
// for 0 ms (a RefreshTimeout of 0) is answered once a second instead of keeping the host busy.
#pragma once

#include <map>
#include <optional>
#include <vector>

#include "plugin/host/home_screen_plugin.h"

class TimerQueue {
 public:
  static constexpr DWORD kShortestTimerMs = 1000;

  void Schedule(PluginHandle handle, DWORD milliseconds, ULONGLONG now);
  std::optional<ULONGLONG> EarliestDeadline() const;
  // Removes and answers the requests whose deadline is at or before `now`, earliest first, equal
  // deadlines in the order they were requested. Requests made while these are handled wait for the
  // next call, so a request of 0 ms cannot keep one call going for ever.
  std::vector<PluginHandle> TakeDue(ULONGLONG now);
  size_t pending() const { return deadlines_.size(); }

 private:
  std::multimap<ULONGLONG, PluginHandle> deadlines_;
};
