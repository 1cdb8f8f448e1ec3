// The kernel's power_supply events, so that the line follows the charger at once instead of at the
// plug-in's next refresh. The kernel sends one message for every change of a supply (with udev or
// without it) on its uevent socket; nothing is read while nothing happens, so an idle host wakes
// no more often than before.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// What a power_supply message says of its supply.
struct SupplyEvent {
  std::string name;    // POWER_SUPPLY_NAME, e.g. "AC" or "BAT0"
  std::string online;  // POWER_SUPPLY_ONLINE of an adapter; empty for a battery
  std::string status;  // POWER_SUPPLY_STATUS of a battery; empty for an adapter
  bool present;        // false when the supply was removed
};

// One kernel uevent message ("change@/devices/...", then NUL-separated KEY=value fields);
// nullopt when it is not about a power supply.
std::optional<SupplyEvent> ParseSupplyEvent(std::string_view message);

// Whether an event changes what the line shows: an adapter plugged in or out, a battery's
// charging status, a supply that came or went. Readings of a capacity alone do not count.
class ChargerWatch {
 public:
  bool Changes(const SupplyEvent& event);

 private:
  std::map<std::string, SupplyEvent> last_;
};

// Where the events come from: readable (for poll) when some wait.
class PowerEvents {
 public:
  virtual ~PowerEvents() = default;
  virtual int fd() const = 0;
  // Reads every message that waits; true when one of them changes what the line shows.
  virtual bool ChargerChanged() = 0;
};

// The kernel's uevent socket. nullptr, with whyNot said, where the system gives none.
std::unique_ptr<PowerEvents> OpenKernelPowerEvents(std::string& whyNot);
