// The battery's notifications on the desktop: the low-battery warnings (LineWarnings decides them,
// and the critical action's countdown is one) and the notice that the battery is charged, shown by
// the notification service. Each warning replaces the one before it in the same discharge, and
// power coming back withdraws it (a NotificationSlot: nothing waits for the service). The notice
// (FullChargeWatch) has a slot of its own, so that neither replaces the other. Without a session
// bus or a notification service the run goes on and says so once; each later warning tries again,
// so that a notification service started after the program is found.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "host/estimate/full_charge_watch.h"
#include "host/estimate/line_warnings.h"
#include "host/notify/desktop_notifications.h"
#include "host/notify/notification_slot.h"

class BatteryNotifications {
 public:
  // Given one line for standard error, without the program's prefix.
  using Report = std::function<void(const std::string& message)>;

  // An answer that takes longer than callTimeoutUs counts as a failure.
  explicit BatteryNotifications(Report report, uint64_t callTimeoutUs = kCallTimeoutUs);
  // Writes out what was sent before the bus greeted (DesktopNotifications::WriteOutSent).
  ~BatteryNotifications();
  BatteryNotifications(const BatteryNotifications&) = delete;
  BatteryNotifications& operator=(const BatteryNotifications&) = delete;

  // Reaches the session bus, and reports at once when there is none. It calls nothing: a
  // notification service that the bus starts on demand, or that starts after the program, is
  // found by the first warning.
  void Start();

  // Shows the warning, replacing the one shown before, or withdraws the one shown.
  void Deliver(const LineWarning& warning);
  // Shows the notice that the battery is charged, or withdraws it.
  void Deliver(const FullChargeChange& change);

  // For the loop's waiter: the bus connection, served when the waiter says so. Serve answers false
  // when a session bus that was reached has closed (the desktop session ended); the next warning
  // reaches the bus anew.
  const PolledConnection& connection() const { return service_; }
  bool Serve();
  // Whether a notification awaits the service's answer.
  bool awaitingAnswer() const { return warning_.awaitingAnswer() || fullCharge_.awaitingAnswer(); }

  // sd-bus's own limit for a call, which covers a notification service the bus starts on demand.
  static constexpr uint64_t kCallTimeoutUs = 25'000'000;

 private:
  void Failed(const std::string& error);

  Report report_;
  // Declared before the slots, which send through it.
  DesktopNotifications service_;
  NotificationSlot warning_;
  NotificationSlot fullCharge_;
  bool reported_ = false;
};
