// When to say that the battery is charged: once per charge, as the battery on external power stops
// charging, held by its charge limit ("Charged to 80 % (the charge limit)") or full ("Fully
// charged"). A charge begins with the battery seen on battery, or charging while no notice is
// shown; running on battery again withdraws the notice. A run that starts on a battery held
// already says nothing: no charge happened in it.
#pragma once

#include <optional>
#include <string>
#include <variant>

#include "platform/power/power_source.h"

struct FullChargeNotice {
  std::string summary;
  bool operator==(const FullChargeNotice&) const = default;
};
struct WithdrawFullChargeNotice {
  bool operator==(const WithdrawFullChargeNotice&) const = default;
};
using FullChargeChange = std::variant<FullChargeNotice, WithdrawFullChargeNotice>;

// Firmware stops a point or two off its limit, and the percent is rounded: a battery this close to
// its limit is held by it.
inline constexpr int kHeldNearLimitPoints = 2;

class FullChargeWatch {
 public:
  // One reading (nullopt: failed) with where the batteries' charging ends (nullopt: the source
  // does not tell; a charge of 100 % is then full).
  std::optional<FullChargeChange> Observe(const std::optional<SYSTEM_POWER_STATUS_EX2>& status,
                                          const std::optional<ChargeEnd>& end);

 private:
  // A charge began that has not been told of.
  bool armed_ = false;
  // The notice is shown.
  bool shown_ = false;
};
