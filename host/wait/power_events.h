// The kernel's power_supply events, so that the line follows the charger at once instead of at the
// plug-in's next refresh. The kernel sends one message for every change of a supply (with udev or
// without it) on its uevent socket; nothing is read while nothing happens, so an idle host wakes
// no more often than before.
//
// A message only says that something about a supply changed; what changed is read from the power
// source itself, so that no message a process other than the kernel sends, and no name one makes
// up, decides what the line shows.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "host/hosting/outcome.h"
#include "platform/power/power_api.h"

// Whether one kernel uevent message ("change@/devices/...", then NUL-separated KEY=value fields)
// is about a power supply.
bool IsPowerSupplyMessage(std::string_view message);

// The charger and the battery's state as the installed power source reads them: whether on mains,
// and the battery's flags (charging, no battery, its charge level's band). A capacity alone that
// stays in its band reads the same.
class ChargerReadings {
 public:
  // Takes the first reading: what the line shows when it starts.
  ChargerReadings();
  // Reads again; true when that differs from the last reading.
  bool Changed();

 private:
  struct Reading {
    BYTE acLine;
    BYTE batteryFlag;
    bool operator==(const Reading&) const = default;
  };
  // nullopt when the source cannot be read.
  static std::optional<Reading> Read();

  std::optional<Reading> last_;
};

// Where the events come from: readable (for poll) when some wait.
class PowerEvents {
 public:
  virtual ~PowerEvents() = default;
  virtual int fd() const = 0;
  // Reads every message that waits, so that the descriptor is no longer readable; true when a
  // power supply's message from the kernel came and the supplies now read otherwise than at the
  // last reading.
  virtual bool ChargerChanged() = 0;
};

// The kernel's uevent socket, or why the system gives none. Its first reading of the supplies is
// taken now.
Outcome<std::unique_ptr<PowerEvents>> OpenKernelPowerEvents();
