// The power source of a Linux machine: the power_supply class in sysfs.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>

#include "platform/power/power_source.h"

class SysfsPowerSource : public PowerSource {
 public:
  using SteadyNow = std::function<std::chrono::steady_clock::time_point()>;

  // root is the class folder; tests point it at a fixture tree. The cache's age is measured on a
  // monotonic clock (steadyNow), never on the clock service, which a simulation may move or stop.
  explicit SysfsPowerSource(std::filesystem::path root = "/sys/class/power_supply",
                            SteadyNow steadyNow = std::chrono::steady_clock::now);

  // Fails when the class folder cannot be listed. With update false a reading younger than one
  // second answers again.
  bool Read(SYSTEM_POWER_STATUS_EX2& status, bool update) override;
  std::optional<BatteryPack> LastPack() const override { return lastPack_; }
  std::optional<ChargeEnd> LastChargeEnd() const override { return lastChargeEnd_; }

 private:
  std::filesystem::path root_;
  SteadyNow steadyNow_;
  std::optional<SYSTEM_POWER_STATUS_EX2> lastStatus_;
  std::optional<BatteryPack> lastPack_;
  std::optional<ChargeEnd> lastChargeEnd_;
  std::chrono::steady_clock::time_point lastReadAt_;
};
