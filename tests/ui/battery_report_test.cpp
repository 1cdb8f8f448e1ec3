#include "ui/battery_report.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/time/simulated_clock.h"
#include "tests/fakes/fake_host.h"
#include "tests/fakes/fixed_power_source.h"
#include "tests/fakes/recording_message_boxes.h"
#include "tests/fakes/time_builders.h"
#include "tracking/power/power_and_time.h"

namespace {

constexpr PluginHandle kHandle = 0x2A17;

const std::string kPowerStatusLines =
    "Zelvar plugin v0.1\n"
    "Home line: charge, hrs: hours left (hours on battery)\n"
    "Until hourly stats exist: hrs: on battery/left (linear)\n"
    "\n"
    "ACLineStatus: Offline\n"
    "BatteryFlag: High\n"
    "BatteryLifePercent: 87%\n"
    "BatteryLifeTime: 3600 s\n"
    "BatteryFullLifeTime: Unknown\n"
    "BackupBatteryFlag: No battery\n"
    "BackupBatteryLifePercent: Unknown\n"
    "BackupBatteryLifeTime: Unknown\n"
    "BackupBatteryFullLifeTime: 0 s\n"
    "BatteryVoltage: 3987 mV\n"
    "BatteryCurrent: -151 mA\n"
    "BatteryAverageCurrent: -150 mA\n"
    "BatteryAverageInterval: 5000 ms\n"
    "BattmAHourConsumed: 1200 mAH\n"
    "BatteryTemperature: 25.3\u00B0C\n"
    "BackupBatteryVoltage: 3001 mV\n"
    "BatteryChemistry: Lithium-Ion";

// What expert mode adds before the pending drops, for the fixture's state.
const std::string kExpertHead =
    "\n\nOnPaintCalled: 42\nPercentStats: \n6.12.2026 7.05.09 - 1.01.2027 0.00.00\n";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

// Notes how many message boxes had been shown at each repaint request.
class BoxesAtRepaint : public TestHostEnvironment {
 public:
  explicit BoxesAtRepaint(const RecordingMessageBoxes& boxes) : boxes_(boxes) {}
  HRESULT STDMETHODCALLTYPE RequestRepaint(PluginHandle handle, DWORD flags) override {
    seen.push_back(boxes_.messages.size());
    return TestHostEnvironment::RequestRepaint(handle, flags);
  }
  std::vector<size_t> seen;

 private:
  const RecordingMessageBoxes& boxes_;
};

class BatteryReportTest : public testing::Test {
 protected:
  BatteryReportTest() {
    state.settings = DefaultSettings();
    state.hostEnvironment = &host;
    state.handle = kHandle;
    // Local time is one hour ahead of UTC.
    state.seriesStartTime = FileTimeOf(Utc(2026, 12, 6, 6, 5, 9));
    state.nextSampleTime = FileTimeOf(Utc(2026, 12, 31, 23));
    state.OnPaintCalled = 42;

    SYSTEM_POWER_STATUS_EX2& r = power.record;
    r = SYSTEM_POWER_STATUS_EX2{};
    r.ACLineStatus = AC_LINE_OFFLINE;
    r.BatteryFlag = BATTERY_FLAG_HIGH;
    r.BatteryLifePercent = 87;
    r.BatteryLifeTime = 3600;
    r.BatteryFullLifeTime = BATTERY_LIFE_UNKNOWN;
    r.BackupBatteryFlag = BATTERY_FLAG_NO_BATTERY;
    r.BackupBatteryLifePercent = BATTERY_PERCENTAGE_UNKNOWN;
    r.BackupBatteryLifeTime = BATTERY_LIFE_UNKNOWN;
    r.BackupBatteryFullLifeTime = 0;
    r.BatteryVoltage = 3987;
    r.BatteryCurrent = -151;
    r.BatteryAverageCurrent = static_cast<DWORD>(-150);
    r.BatteryAverageInterval = 5000;
    r.BatterymAHourConsumed = 1200;
    r.BatteryTemperature = 253;
    r.BackupBatteryVoltage = 3001;
    r.BatteryChemistry = BATTERY_CHEMISTRY_LION;
  }

  // Shows the report and answers its text, checking that it came as the one information box.
  std::string Report() {
    boxes.messages.clear();
    ShowBatteryReport(state);
    if (boxes.messages.size() != 1) {
      ADD_FAILURE() << boxes.messages.size() << " message boxes";
      return {};
    }
    EXPECT_EQ(boxes.messages[0].caption, u"CZelvarPlugin");
    EXPECT_EQ(boxes.messages[0].type, static_cast<UINT>(MB_ICONINFORMATION));
    return boxes.TextOf(0);
  }

  SimulatedClock clock{Utc(2026, 12, 6, 16, 5, 9), 60};
  ScopedClock clockGuard{clock};
  FixedPowerSource power;
  ScopedPowerSource powerGuard{power};
  RecordingMessageBoxes boxes;
  ScopedMessageBoxSink boxesGuard{boxes};
  BoxesAtRepaint host{boxes};
  PluginState state;
};

TEST_F(BatteryReportTest, ShowsEveryFieldThenRequestsARepaint) {
  EXPECT_EQ(Report(), kPowerStatusLines);
  ASSERT_EQ(host.repaints.size(), 1u);
  EXPECT_EQ(host.repaints[0].handle, kHandle);
  EXPECT_EQ(host.repaints[0].argument, 0u);
  EXPECT_EQ(host.seen, std::vector<size_t>{1});  // after the report was shown
}

// A row's change to the baseline record.
#define SET(field, value) [](SYSTEM_POWER_STATUS_EX2& r) { r.field = value; }

TEST_F(BatteryReportTest, CodesAreNamedAsWholeValuesAndUndeterminedFieldsReadUnknown) {
  const struct {
    void (*set)(SYSTEM_POWER_STATUS_EX2&);
    size_t line;  // 0-based
    const char* expected;
  } cases[] = {
      {SET(ACLineStatus, 1), 4, "ACLineStatus: Online"},
      {SET(ACLineStatus, 2), 4, "ACLineStatus: Backup power"},
      {SET(ACLineStatus, 255), 4, "ACLineStatus: Unknown"},
      {SET(BatteryFlag, 9), 5, "BatteryFlag: Unknown"},  // high and charging
      {SET(BatteryFlag, 8), 5, "BatteryFlag: Charging"},
      {SET(BackupBatteryFlag, 2), 9, "BackupBatteryFlag: Low"},
      {SET(BatteryLifePercent, 255), 6, "BatteryLifePercent: Unknown"},
      {SET(BatteryLifePercent, 100), 6, "BatteryLifePercent: 100%"},
      {SET(BatteryLifeTime, 0xFFFFFFFF), 7, "BatteryLifeTime: Unknown"},
      {SET(BatteryFullLifeTime, 3600), 8, "BatteryFullLifeTime: 3600 s"},
      // Other values are signed decimals, as the record's 32-bit fields always print.
      {SET(BackupBatteryLifeTime, 0xFFFFFFFE), 11, "BackupBatteryLifeTime: -2 s"},
      {SET(BatteryVoltage, 0x80000000), 13, "BatteryVoltage: -2147483648 mV"},
      {SET(BatteryTemperature, 0), 18, "BatteryTemperature: 0.0\u00B0C"},
      {SET(BatteryTemperature, 0xFFFFFFFF), 18, "BatteryTemperature: 429496729.6\u00B0C"},
      {SET(BatteryChemistry, 0), 20, "BatteryChemistry: Unknown"},
      {SET(BatteryChemistry, 1), 20, "BatteryChemistry: Alcaline"},
      {SET(BatteryChemistry, 255), 20, "BatteryChemistry: Unknown"},
  };
#undef SET
  const SYSTEM_POWER_STATUS_EX2 baseline = power.record;
  for (const auto& c : cases) {
    power.record = baseline;
    c.set(power.record);
    const std::vector<std::string> lines = Lines(Report());
    ASSERT_EQ(lines.size(), 21u) << c.expected;
    EXPECT_EQ(lines[c.line], c.expected);
  }
}

TEST_F(BatteryReportTest, EveryCodeOfEveryByteFieldHasItsWord) {
  const std::map<int, std::string> acLine = {{0, "Offline"}, {1, "Online"}, {2, "Backup power"}};
  const std::map<int, std::string> flags = {
      {1, "High"}, {2, "Low"}, {4, "Critical"}, {8, "Charging"}, {128, "No battery"}};
  const std::map<int, std::string> chemistry = {
      {1, "Alcaline"},        {2, "NiCd"},   {3, "NiMh"}, {4, "Lithium-Ion"},
      {5, "Lithium-Polymer"}, {6, "Zincair"}};
  const auto word = [](const std::map<int, std::string>& words, int code) {
    const auto found = words.find(code);
    return found == words.end() ? std::string("Unknown") : found->second;
  };
  const auto percent = [](int code) {
    return code == 255 ? std::string("Unknown") : std::to_string(code) + "%";
  };
  const SYSTEM_POWER_STATUS_EX2 baseline = power.record;
  for (int code = 0; code <= 255; ++code) {
    const auto b = static_cast<BYTE>(code);
    power.record = baseline;
    power.record.ACLineStatus = b;
    power.record.BatteryFlag = b;
    power.record.BatteryLifePercent = b;
    power.record.BackupBatteryFlag = b;
    power.record.BackupBatteryLifePercent = b;
    power.record.BatteryChemistry = b;
    const std::vector<std::string> lines = Lines(Report());
    ASSERT_EQ(lines.size(), 21u) << code;
    EXPECT_EQ(lines[4], "ACLineStatus: " + word(acLine, code));
    EXPECT_EQ(lines[5], "BatteryFlag: " + word(flags, code));
    EXPECT_EQ(lines[6], "BatteryLifePercent: " + percent(code));
    EXPECT_EQ(lines[9], "BackupBatteryFlag: " + word(flags, code));
    EXPECT_EQ(lines[10], "BackupBatteryLifePercent: " + percent(code));
    EXPECT_EQ(lines[20], "BatteryChemistry: " + word(chemistry, code));
  }
}

TEST_F(BatteryReportTest, ExpertModeAppendsPaintCountAndEmptySeries) {
  state.settings.ExpertMode = -1;  // any non-zero value
  EXPECT_EQ(Report(), kPowerStatusLines + kExpertHead +
                          "No stats at the moment\n"
                          "Cumulative stats:\n"
                          "No stats");
}

TEST_F(BatteryReportTest, ExpertModeShowsPendingDropsAndHourlyAveragesWithoutChangingState) {
  state.settings.ExpertMode = 1;
  state.PercentSeries = {5, 3};
  state.table.AddSample(0, 2, 50, false);
  state.table.AddSample(0, 4, 50, false);
  state.table.AddSample(13, 1, 50, false);
  state.table.AddSample(23, 5, 50, true);
  EXPECT_EQ(Report(), kPowerStatusLines + kExpertHead +
                          "5 3 \n"
                          "Cumulative stats:\n"
                          "(0-2) 3.0 0.0 0.0\n"
                          "(3-5) 0.0 0.0 0.0\n"
                          "(6-8) 0.0 0.0 0.0\n"
                          "(9-11) 0.0 0.0 0.0\n"
                          "(12-14) 0.0 1.0 0.0\n"
                          "(15-17) 0.0 0.0 0.0\n"
                          "(18-20) 0.0 0.0 0.0\n"
                          "(21-23) 0.0 0.0 5.0\n");
  EXPECT_EQ(state.OnPaintCalled, 42);
  EXPECT_EQ(state.PercentSeries, (std::vector<BYTE>{5, 3}));
  EXPECT_EQ(state.seriesStartTime, FileTimeOf(Utc(2026, 12, 6, 6, 5, 9)));
  EXPECT_EQ(state.nextSampleTime, FileTimeOf(Utc(2026, 12, 31, 23)));
  EXPECT_EQ(state.table.EstimateHours(0, 3), 1.0);
}

TEST_F(BatteryReportTest, PercentStatsAppendToWhatTheOutputHolds) {
  state.PercentSeries = {7};
  WString output = TEXT("before");
  EXPECT_EQ(FormatPercentStats(state, output), 0);
  EXPECT_EQ(NarrowUtf8(output),
            "before\n6.12.2026 7.05.09 - 1.01.2027 0.00.00\n7 \nCumulative stats:\nNo stats");
}

TEST_F(BatteryReportTest, LongSeriesIsShownWhole) {
  state.settings.ExpertMode = 1;
  std::string seriesLine;
  for (int i = 0; i < 500; ++i) {
    state.PercentSeries.push_back(static_cast<BYTE>(i % 101));
    seriesLine += std::to_string(i % 101) + " ";
  }
  const std::string report = Report();
  EXPECT_EQ(report, kPowerStatusLines + kExpertHead + seriesLine + "\nCumulative stats:\nNo stats");
  EXPECT_GT(report.size(), 2000u);
}

TEST_F(BatteryReportTest, UnreadablePowerStatusShowsOnlyTheFailureAndStillRepaints) {
  state.settings.ExpertMode = 1;
  state.PercentSeries = {5, 3};
  power.failing = true;
  ShowBatteryReport(state);
  ASSERT_EQ(boxes.messages.size(), 1u);
  EXPECT_EQ(boxes.TextOf(0), "Battery status unknown");
  EXPECT_EQ(boxes.messages[0].caption, u"CZelvarPlugin");
  EXPECT_EQ(boxes.messages[0].type, static_cast<UINT>(MB_ICONERROR));
  ASSERT_EQ(host.seen, std::vector<size_t>{1});
  EXPECT_EQ(host.repaints[0].handle, kHandle);
}

TEST_F(BatteryReportTest, WithoutAHostTheReportIsShownAndNoRepaintIsAsked) {
  state.hostEnvironment = nullptr;
  EXPECT_EQ(Report(), kPowerStatusLines);
  power.failing = true;
  ShowBatteryReport(state);
  ASSERT_EQ(boxes.messages.size(), 2u);
  EXPECT_EQ(boxes.TextOf(1), "Battery status unknown");
  EXPECT_TRUE(host.repaints.empty());
}

}  // namespace
