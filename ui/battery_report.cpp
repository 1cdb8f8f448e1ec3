#include "ui/battery_report.h"

#include <string>

#include "plugin_host/plugin_messages.h"
#include "plugin_state/host_requests.h"
#include "tracking/power/power_and_time.h"
#include "platform/text/narrow_format.h"
#include "ui/power_status_texts.h"

namespace {

constexpr const WCHAR* kCaption = TEXT("CZelvarPlugin");
constexpr INT kHoursPerCumulativeLine = 3;

// "6.12.2026 17.05.09": day, year and hour without leading zeros.
std::string LocalDateTimeText(LONGLONG utc) {
  const SYSTEMTIME local = LocalTimeOf(utc);
  return NarrowFormat("%d.%02d.%d %d.%02d.%02d", local.wDay, local.wMonth, local.wYear, local.wHour,
                      local.wMinute, local.wSecond);
}

// The 32-bit fields are printed signed, whatever the record's type of the field.
int Signed(DWORD value) { return static_cast<int>(value); }

// Lines 1 to 21 up to the chemistry word; the expert appendix follows directly.
std::string PowerStatusReport(const SYSTEM_POWER_STATUS_EX2& status) {
  std::string text =
      "Zelvar plugin v0.1\n"
      "Home line: charge, hrs: hours left (hours on battery)\n"
      "Until hourly stats exist: hrs: on battery/left (linear)\n"
      "\n";
  text += NarrowFormat("ACLineStatus: %s\n", AcLineWord(status.ACLineStatus));
  text += NarrowFormat("BatteryFlag: %s\n", BatteryFlagWord(status.BatteryFlag));
  text += "BatteryLifePercent: " + PercentText(status.BatteryLifePercent) + "\n";
  text += "BatteryLifeTime: " + LifeTimeText(status.BatteryLifeTime) + "\n";
  text += "BatteryFullLifeTime: " + LifeTimeText(status.BatteryFullLifeTime) + "\n";
  text += NarrowFormat("BackupBatteryFlag: %s\n", BatteryFlagWord(status.BackupBatteryFlag));
  text += "BackupBatteryLifePercent: " + PercentText(status.BackupBatteryLifePercent) + "\n";
  text += "BackupBatteryLifeTime: " + LifeTimeText(status.BackupBatteryLifeTime) + "\n";
  text += "BackupBatteryFullLifeTime: " + LifeTimeText(status.BackupBatteryFullLifeTime) + "\n";
  text += NarrowFormat("BatteryVoltage: %d mV\n", Signed(status.BatteryVoltage));
  text += NarrowFormat("BatteryCurrent: %d mA\n", static_cast<int>(status.BatteryCurrent));
  text += NarrowFormat("BatteryAverageCurrent: %d mA\n", Signed(status.BatteryAverageCurrent));
  text += NarrowFormat("BatteryAverageInterval: %d ms\n", Signed(status.BatteryAverageInterval));
  text += NarrowFormat("BattmAHourConsumed: %d mAH\n", Signed(status.BatterymAHourConsumed));
  text += "BatteryTemperature: " + TemperatureText(status.BatteryTemperature) + "\n";
  text += NarrowFormat("BackupBatteryVoltage: %d mV\n", Signed(status.BackupBatteryVoltage));
  text += NarrowFormat("BatteryChemistry: %s", ChemistryWord(status.BatteryChemistry));
  return text;
}

WString BatteryReport(const PluginState& state, const SYSTEM_POWER_STATUS_EX2& status) {
  WString report = WidenLatin1(PowerStatusReport(status));
  if (state.settings.ExpertMode != 0) {
    report += WidenLatin1(NarrowFormat("\n\nOnPaintCalled: %d\nPercentStats: ",
                                       static_cast<int>(state.OnPaintCalled)));
    FormatPercentStats(state, report);
  }
  return report;
}

}  // namespace

void ShowBatteryReport(PluginState& state) {
  SYSTEM_POWER_STATUS_EX2 status;
  if (ReadPowerStatus(status)) {
    const WString report = BatteryReport(state, status);
    MessageBoxW(nullptr, report.c_str(), kCaption, MB_OK | MB_ICONINFORMATION);
  } else {
    MessageBoxW(nullptr, kBatteryStatusUnknown, kCaption, MB_OK | MB_ICONERROR);
  }
  RequestRepaint(state);
}

int FormatPercentStats(const PluginState& state, WString& output) {
  std::string text = NarrowFormat("\n%s - %s\n", LocalDateTimeText(state.seriesStartTime).c_str(),
                                  LocalDateTimeText(state.nextSampleTime).c_str());
  if (state.PercentSeries.empty()) {
    text += "No stats at the moment";
  } else {
    for (BYTE drop : state.PercentSeries) text += NarrowFormat("%d ", static_cast<int>(drop));
  }
  text += "\nCumulative stats:\n";
  output += WidenLatin1(text);
  state.table.FormatCumulative(output, kHoursPerCumulativeLine);
  return 0;
}
