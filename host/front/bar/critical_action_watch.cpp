#include "host/front/bar/critical_action_watch.h"

#include "host/estimate/low_battery_text.h"
#include "host/estimate/shown_estimate.h"
#include "host/hosting/host_error.h"
#include "host/hosting/host_messages.h"
#include "platform/time/clock.h"

CriticalActionWatch::CriticalActionWatch(const CriticalActionPlan& plan,
                                         BatteryNotifications& notifications, Save save)
    : taker_(plan.action),
      doing_(CriticalActionDoing(plan.action)),
      cannot_(taker_.Check()),
      countdown_(plan.level, !cannot_),
      notifications_(notifications),
      save_(std::move(save)) {
  if (cannot_) {
    Say("the critical action will not happen: " + *cannot_ + "; at " + std::to_string(plan.level) +
        " % the critical warning says so");
  }
}

std::optional<ULONGLONG> CriticalActionWatch::ReadingDue() {
  return countdown_.Deadline(CurrentClock().UtcNow());
}

void CriticalActionWatch::Observe(const std::string& line) {
  const BatteryReading reading{!OnlineShown(line), PercentShown(line)};
  const std::optional<CriticalStep> step = countdown_.Observe(reading, CurrentClock().UtcNow());
  if (!step) return;
  switch (*step) {
    case CriticalStep::Warn:
      notifications_.Deliver(
          WarningToShow{LowBatterySummary(*reading.percent),
                        cannot_ ? NotTakenBody(doing_, *cannot_) : CountdownBody(doing_), true});
      return;
    case CriticalStep::Withdraw:
      notifications_.Deliver(WithdrawWarning{});
      return;
    case CriticalStep::Act:
      Act(*reading.percent);
      return;
  }
}

void CriticalActionWatch::Act(int percent) {
  // The battery may not last the action: what the plug-in learnt goes to disk first, and a save
  // that fails holds nothing up.
  try {
    save_();
  } catch (const HostError& failure) {
    Say(failure.what());
  }
  const std::string at = " at " + std::to_string(percent) + " % on battery";
  if (const std::optional<std::string> failure = taker_.Take()) {
    Say("the critical action failed" + at + ": " + *failure);
    notifications_.Deliver(
        WarningToShow{LowBatterySummary(percent), NotTakenBody(doing_, *failure), true});
    return;
  }
  Say(doing_ + at);
  notifications_.Deliver(WithdrawWarning{});
}
