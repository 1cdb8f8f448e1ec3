#include "host/front/bar/bar_report.h"

#include <cstring>

#include "host/front/bar/battery_class.h"
#include "host/estimate/estimate_notes.h"
#include "host/hosting/battery_report.h"

namespace {

// The battery's class in words.
const char* StateWords(const char* batteryClass) {
  const struct {
    const char* batteryClass;
    const char* words;
  } states[] = {{"charging", "charging"},
                {"discharging", "on battery"},
                {"low", "on battery, low"},
                {"critical", "on battery, critical"},
                {"full", "on mains, not charging"}};
  for (const auto& state : states) {
    if (std::strcmp(state.batteryClass, batteryClass) == 0) return state.words;
  }
  return "battery state unknown";
}

}  // namespace

std::string TooltipHead(const TooltipFigures& figures) {
  const bool percentKnown =
      figures.status && figures.status->BatteryLifePercent != BATTERY_PERCENTAGE_UNKNOWN;
  std::string head = percentKnown
                         ? "Charge " + std::to_string(figures.status->BatteryLifePercent) + "%, "
                         : std::string("Charge not known, ");
  head += StateWords(BatteryClass(figures.status));
  // Line by line: GCC 12 warns falsely (-Wrestrict) about "\n" + a returned string when optimising.
  const auto addLine = [&head](const std::string& line) {
    head += '\n';
    head += line;
  };
  if (figures.linear) {
    addLine(LinearEstimateLine(figures.linear->hoursLeft, figures.linear->pointsDropped,
                               figures.linear->hoursOnBattery));
  }
  if (figures.status) {
    if (const std::optional<std::string> own = BatteryLifeTimeLine(figures.status->BatteryLifeTime))
      addLine(*own);
  }
  if (figures.statistics) {
    addLine(CoverageLine(figures.statistics->hoursWithDrain, figures.maxHistoryDays));
    if (StillLearning(*figures.statistics)) {
      addLine(LearningNote(*figures.statistics));
      addLine(LineExplanation());
    }
  }
  return head;
}

BarReport::BarReport(HomeScreenSession& session)
    : session_(session),
      tap_([this](ULONGLONG utc, const std::optional<SYSTEM_POWER_STATUS_EX2>& status) {
        follower_.Observe(utc, status);
      }) {
  if (const std::optional<SavedConfiguration> settings = session_.settings()) {
    maxHistoryDays_ = settings->MaxHistoryDays;
    coverage_.emplace(settings->StatFilename, settings->MaxHistoryDays);
  }
}

BarContent BarReport::Content(const std::string& text) {
  TooltipFigures figures{tap_.last(), follower_.Figure(), std::nullopt, maxHistoryDays_};
  // A machine without a battery has no statistics to learn.
  const bool battery = figures.status && figures.status->BatteryFlag != BATTERY_FLAG_NO_BATTERY;
  if (coverage_ && battery) figures.statistics = coverage_->Check();

  BarContent content;
  content.text = text;
  content.classes.emplace_back(BatteryClass(figures.status));
  if (figures.statistics && StillLearning(*figures.statistics))
    content.classes.emplace_back("learning");
  if (figures.status && figures.status->BatteryLifePercent != BATTERY_PERCENTAGE_UNKNOWN) {
    content.percentage = figures.status->BatteryLifePercent;
  }
  const PowerReadingTap::Hold sameReading(tap_);
  content.tooltip = TooltipHead(figures) + "\n\n" + CaptureBatteryReport(session_);
  return content;
}
