#include "host/estimate/full_charge_watch.h"

#include <cstdlib>
#include <utility>

namespace {

// The words for a battery on external power that does not charge; nullopt while it is neither
// held by its limit nor full (between a start threshold and the limit, a charge not known: 255).
std::optional<std::string> ChargedSummary(int percent, const std::optional<ChargeEnd>& end) {
  if (end && end->limit && std::abs(percent - *end->limit) <= kHeldNearLimitPoints) {
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) about "literal" + a temporary.
    std::string summary = "Charged to ";
    summary += std::to_string(*end->limit);
    summary += " % (the charge limit)";
    return summary;
  }
  if ((end && end->full) || percent == 100) return "Fully charged";
  return std::nullopt;
}

}  // namespace

std::optional<FullChargeChange> FullChargeWatch::Observe(
    const std::optional<SYSTEM_POWER_STATUS_EX2>& status, const std::optional<ChargeEnd>& end) {
  if (!status) return std::nullopt;
  // Firmware that tops a held battery up now and then starts no new charge: only one that follows
  // the battery running on its own (or a run's start) does.
  if (status->BatteryFlag == BATTERY_FLAG_CHARGING) {
    if (!shown_) armed_ = true;
    return std::nullopt;
  }
  if (status->ACLineStatus == AC_LINE_OFFLINE) {
    armed_ = true;
    if (!shown_) return std::nullopt;
    shown_ = false;
    return WithdrawFullChargeNotice{};
  }
  if (status->ACLineStatus != AC_LINE_ONLINE || !armed_) return std::nullopt;
  std::optional<std::string> summary = ChargedSummary(status->BatteryLifePercent, end);
  if (!summary) return std::nullopt;
  armed_ = false;
  shown_ = true;
  return FullChargeNotice{std::move(*summary)};
}
