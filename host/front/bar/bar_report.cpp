#include "host/front/bar/bar_report.h"

#include <cstring>

#include "host/front/bar/battery_class.h"
#include "host/estimate/day_drain_line.h"
#include "host/estimate/estimate_notes.h"
#include "host/estimate/hours_to_show.h"
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

std::string TooltipHead(const EstimateView& view, const char* batteryClass, LONG maxHistoryDays) {
  std::string head;
  // Line by line: GCC 12 warns falsely (-Wrestrict) about "\n" + a returned string when optimising.
  const auto addLine = [&head](const std::string& line) {
    if (!head.empty()) head += '\n';
    head += line;
  };
  if (view.hours) addLine(HoursToShowWords(*view.hours));
  const bool percentKnown =
      view.status && view.status->BatteryLifePercent != BATTERY_PERCENTAGE_UNKNOWN;
  addLine((percentKnown ? "Charge " + std::to_string(view.status->BatteryLifePercent) + "%, "
                        : std::string("Charge not known, ")) +
          StateWords(batteryClass));
  if (view.linear) {
    addLine(LinearEstimateLine(view.linear->hoursLeft, view.linear->pointsDropped,
                               view.linear->hoursOnBattery));
  }
  if (view.status) {
    if (const std::optional<std::string> own = BatteryLifeTimeLine(view.status->BatteryLifeTime))
      addLine(*own);
  }
  if (view.statistics) {
    addLine(CoverageLine(view.statistics->hoursWithDrain, maxHistoryDays));
    if (const std::optional<std::string> day = DayDrainLines(view.statistics->day, view.localHour))
      addLine(*day);
    if (view.learning) {
      addLine(LearningNote(*view.statistics));
      addLine(LineExplanation());
    }
  }
  return head;
}

BarReport::BarReport(HomeScreenSession& session)
    : session_(session),
      estimate_(session_.settings()),
      tap_([this](ULONGLONG utc, const std::optional<SYSTEM_POWER_STATUS_EX2>& status) {
        estimate_.Observe(utc, status, tap_.LastPack());
      }) {
  if (const std::optional<SavedConfiguration> settings = session_.settings())
    maxHistoryDays_ = settings->MaxHistoryDays;
}

std::vector<std::string> BarClasses(const EstimateView& view, int criticalLevel) {
  std::vector<std::string> classes{BatteryClass(view.status, criticalLevel)};
  if (view.statistics && view.learning) classes.emplace_back("learning");
  return classes;
}

BarContent BarReport::Content(const std::string& text, const EstimateView& view,
                              int criticalLevel) {
  BarContent content;
  content.text = text;
  content.classes = BarClasses(view, criticalLevel);
  const char* const batteryClass = BatteryClass(view.status, criticalLevel);
  content.alt = batteryClass;
  if (view.status && view.status->BatteryLifePercent != BATTERY_PERCENTAGE_UNKNOWN) {
    content.percentage = view.status->BatteryLifePercent;
  }
  const PowerReadingTap::Hold sameReading(tap_);
  content.tooltip =
      TooltipHead(view, batteryClass, maxHistoryDays_) + "\n\n" + CaptureBatteryReport(session_);
  return content;
}
