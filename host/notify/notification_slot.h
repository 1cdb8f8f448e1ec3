// One notification on the desktop: each Show replaces the one shown before, Withdraw closes it.
// Nothing waits for the notification service: a notification is sent and its answer (the id to
// replace or close by) taken as the loop serves the bus. One shown while the one before it awaits
// its answer is sent once that answer is in; one withdrawn before its answer is closed as soon as
// its id is known.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "host/notify/desktop_notifications.h"

class NotificationSlot {
 public:
  // Told why a call failed.
  using Failed = std::function<void(const std::string& problem)>;

  // The service must outlive the slot.
  NotificationSlot(DesktopNotifications& service, Failed failed);
  NotificationSlot(const NotificationSlot&) = delete;
  NotificationSlot& operator=(const NotificationSlot&) = delete;

  void Show(DesktopNotification notification);
  void Withdraw();
  // Whether a notification awaits the service's answer.
  bool awaitingAnswer() const { return awaiting_; }

 private:
  void Send(DesktopNotification notification);
  void Answered(std::optional<uint32_t> id, const std::string& failure);
  void CloseShown();

  DesktopNotifications& service_;
  Failed failed_;
  // Handed over with each notification sent.
  DesktopNotifications::Shown answered_;
  // The notification shown, 0 for none.
  uint32_t shown_ = 0;
  // A notification was sent and its answer has not come.
  bool awaiting_ = false;
  // The notification to send once that answer has come.
  std::optional<DesktopNotification> next_;
  // The notification that awaits its answer was withdrawn: closed as soon as its id is known.
  bool closeOnAnswer_ = false;
};
