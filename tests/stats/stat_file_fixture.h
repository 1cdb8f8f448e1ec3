// What every stat-file test runs in: a device root in a temporary folder, a simulated clock with
// local time one hour ahead of UTC, and the message boxes recorded.
#pragma once

#include <gtest/gtest.h>

#include "platform/time/simulated_clock.h"
#include "tests/fakes/recording_message_boxes.h"
#include "tests/fakes/temp_folder.h"

inline constexpr DWORD kThirtyDays = 30;

class StatFileFixture : public testing::Test {
 protected:
  explicit StatFileFixture(const SYSTEMTIME& utcNow)
      : clock_(utcNow, 60), clockGuard_(clock_), messagesGuard_(messages_) {}

  TempFolder root_;
  ScopedDeviceRoot rootGuard_{root_};
  SimulatedClock clock_;
  ScopedClock clockGuard_;
  RecordingMessageBoxes messages_;
  ScopedMessageBoxSink messagesGuard_;
};
