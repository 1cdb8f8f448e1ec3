#include "host/estimate/estimate_follower.h"

#include <limits>

#include "host/estimate/estimate_notes.h"
#include "host/estimate/shown_estimate.h"

namespace {

constexpr double kSecondsPerHour = 3600.0;

// Compared unsigned by the plug-in: a negative refresh never comes.
DWORD RefreshOf(const std::optional<SavedConfiguration>& settings) {
  return settings ? static_cast<DWORD>(settings->RefreshTimeout)
                  : std::numeric_limits<DWORD>::max();
}

}  // namespace

EstimateFollower::EstimateFollower(const std::optional<SavedConfiguration>& settings)
    : discharge_(RefreshOf(settings)) {
  if (settings) coverage_.emplace(settings->StatFilename, settings->MaxHistoryDays);
}

void EstimateFollower::Observe(ULONGLONG utc, const std::optional<SYSTEM_POWER_STATUS_EX2>& status,
                               const std::optional<BatteryPack>& pack) {
  discharge_.Observe(utc, status, pack);
  last_ = status;
}

EstimateView EstimateFollower::For(const std::string& lineText) {
  EstimateView view;
  view.status = last_;
  view.linear = discharge_.Figure();
  // A machine without a battery has no statistics to learn.
  const bool battery = last_ && last_->BatteryFlag != BATTERY_FLAG_NO_BATTERY;
  if (coverage_ && battery) {
    view.statistics = coverage_->Check();
    view.learning = StillLearning(*view.statistics);
  }
  EstimateFigures figures;
  figures.statistics = StatisticsShown(lineText);
  figures.linear = discharge_.HoursLeft();
  if (last_ && last_->BatteryLifeTime != BATTERY_LIFE_UNKNOWN)
    figures.batteryReports = last_->BatteryLifeTime / kSecondsPerHour;
  figures.learning = view.learning;
  view.hours = ChooseHoursToShow(figures);
  SYSTEMTIME local{};
  GetLocalTime(&local);
  view.localHour = local.wHour;
  return view;
}
