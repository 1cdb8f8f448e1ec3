#include "host/hosting/timer_queue.h"

#include <algorithm>

namespace {

constexpr ULONGLONG kFileTimeUnitsPerMillisecond = 10'000;

}  // namespace

void TimerQueue::Schedule(PluginHandle handle, DWORD milliseconds, ULONGLONG now) {
  const ULONGLONG delay = std::max(milliseconds, kShortestTimerMs) * kFileTimeUnitsPerMillisecond;
  deadlines_.emplace(now + delay, Request{handle, delay});
}

std::optional<ULONGLONG> TimerQueue::EarliestDeadline() const {
  if (deadlines_.empty()) return std::nullopt;
  return deadlines_.begin()->first;
}

void TimerQueue::HoldWithinDelays(ULONGLONG now) {
  std::vector<std::pair<ULONGLONG, Request>> moved;
  for (auto it = deadlines_.begin(); it != deadlines_.end();) {
    if (it->first > now && it->first - now > it->second.delay) {
      moved.emplace_back(now + it->second.delay, it->second);
      it = deadlines_.erase(it);
    } else {
      ++it;
    }
  }
  deadlines_.insert(moved.begin(), moved.end());
}

std::vector<PluginHandle> TimerQueue::TakeDue(ULONGLONG now) {
  HoldWithinDelays(now);
  std::vector<PluginHandle> due;
  const auto end = deadlines_.upper_bound(now);
  for (auto it = deadlines_.begin(); it != end; ++it) due.push_back(it->second.handle);
  deadlines_.erase(deadlines_.begin(), end);
  return due;
}
