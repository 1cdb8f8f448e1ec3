#include "host/notify/notification_slot.h"

#include <utility>

NotificationSlot::NotificationSlot(DesktopNotifications& service, Failed failed)
    : service_(service),
      failed_(std::move(failed)),
      answered_([this](std::optional<uint32_t> id, const std::string& failure) {
        Answered(id, failure);
      }) {}

void NotificationSlot::Show(DesktopNotification notification) {
  if (awaiting_) {
    next_ = std::move(notification);
  } else {
    Send(std::move(notification));
  }
}

void NotificationSlot::Withdraw() {
  next_.reset();
  if (awaiting_) {
    closeOnAnswer_ = true;
  } else {
    CloseShown();
  }
}

void NotificationSlot::Send(DesktopNotification notification) {
  notification.replaces = shown_;
  const std::optional<std::string> problem = service_.Show(notification, answered_);
  awaiting_ = !problem;
  if (problem) failed_(*problem);
}

void NotificationSlot::Answered(std::optional<uint32_t> id, const std::string& failure) {
  awaiting_ = false;
  if (id) {
    shown_ = *id;
  } else {
    failed_(failure);
  }
  if (closeOnAnswer_) {
    closeOnAnswer_ = false;
    CloseShown();
  }
  if (next_) {
    DesktopNotification notification = std::move(*next_);
    next_.reset();
    Send(std::move(notification));
  }
}

void NotificationSlot::CloseShown() {
  if (shown_ == 0) return;
  if (const std::optional<std::string> problem = service_.Close(shown_)) failed_(*problem);
  shown_ = 0;
}
