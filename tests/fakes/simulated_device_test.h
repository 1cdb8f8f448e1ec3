// What a test of the host with the built plug-in runs on: a registry in memory (Registry, a
// MemoryRegistryStore or one derived from it), a simulated clock from the UTC time given with local
// time an hour ahead, a fixed power source, the message boxes recorded and a device root in a
// temporary folder, each installed while the test lives.
#pragma once

#include <gtest/gtest.h>

#include "platform/registry/registry_store_memory.h"
#include "platform/time/simulated_clock.h"
#include "tests/fakes/fixed_power_source.h"
#include "tests/fakes/recording_message_boxes.h"
#include "tests/fakes/temp_folder.h"

template <class Registry = MemoryRegistryStore>
class SimulatedDeviceTest : public testing::Test {
 protected:
  explicit SimulatedDeviceTest(const SYSTEMTIME& utcNow) : clock_(utcNow, 60) {}

  Registry registry_;
  ScopedRegistryStore registryGuard_{registry_};
  SimulatedClock clock_;
  ScopedClock clockGuard_{clock_};
  FixedPowerSource power_;
  ScopedPowerSource powerGuard_{power_};
  RecordingMessageBoxes messages_;
  ScopedMessageBoxSink messagesGuard_{messages_};
  TempFolder folder_;
  ScopedDeviceRoot deviceRoot_{folder_};
};
