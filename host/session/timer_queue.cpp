#include "host/session/timer_queue.h"

#include <algorithm>

namespace {

constexpr ULONGLONG kFileTimeUnitsPerMillisecond = 10'000;

}  // namespace

void TimerQueue::Schedule(PluginHandle handle, DWORD milliseconds, ULONGLONG now) {
  const ULONGLONG delay = std::max(milliseconds, kShortestTimerMs) * kFileTimeUnitsPerMillisecond;
  deadlines_.emplace(now + delay, handle);
}

std::optional<ULONGLONG> TimerQueue::EarliestDeadline() const {
  if (deadlines_.empty()) return std::nullopt;
  return deadlines_.begin()->first;
}

std::vector<PluginHandle> TimerQueue::TakeDue(ULONGLONG now) {
  std::vector<PluginHandle> due;
  const auto end = deadlines_.upper_bound(now);
  for (auto it = deadlines_.begin(); it != end; ++it) due.push_back(it->second);
  deadlines_.erase(deadlines_.begin(), end);
  return due;
}
