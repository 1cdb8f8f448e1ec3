// The decisions at start: what the run does, settings that will behave badly, and a stat file that
// cannot take the drops.
#include <gtest/gtest.h>

#include "host/program/run_mode.h"
#include "host/program/setting_warnings.h"
#include "host/program/stat_file_check.h"
#include "tests/fakes/temp_folder.h"

namespace {

TEST(SettingWarnings, ZeroOrNegativeTimeoutsAndHistoryAndAMinPercentNoChargeReaches) {
  const SavedConfiguration defaults{1, 600000, 30, 20, 8, 20, 0, u"x"};
  const struct {
    LONG refreshTimeout, minPercent, flushTimeoutHours, maxHistoryDays;
    const char* warning;  // nullptr: none
  } cases[] = {
      {600000, 20, 8, 30, nullptr},
      {1, 0, 1, 1, nullptr},
      {600000, 100, 8, 30, nullptr},
      {0, 20, 8, 30,
       "RefreshTimeout=\"0\" asks for a refresh without pause; the line is refreshed every 1 s "
       "instead"},
      {-5, 20, 8, 30, "RefreshTimeout=\"-5\" is negative"},
      {600000, -1, 8, 30, "MinPercent=\"-1\" is negative"},
      {600000, 101, 8, 30, "MinPercent=\"101\" is above 100: the charge is always below it"},
      {600000, 20, 0, 30, "FlushTimeoutHours=\"0\": each hourly drop"},
      {600000, 20, -2, 30, "FlushTimeoutHours=\"-2\" is negative"},
      {600000, 20, 8, 0, "MaxHistoryDays=\"0\": every record of the stat file is too old"},
      {600000, 20, 8, -1, "MaxHistoryDays=\"-1\" is negative"},
  };
  for (const auto& c : cases) {
    SavedConfiguration settings = defaults;
    settings.RefreshTimeout = c.refreshTimeout;
    settings.MinPercent = c.minPercent;
    settings.FlushTimeoutHours = c.flushTimeoutHours;
    settings.MaxHistoryDays = c.maxHistoryDays;
    const std::vector<std::string> warnings = SettingWarnings(settings);
    if (c.warning == nullptr) {
      EXPECT_TRUE(warnings.empty()) << warnings.front();
      continue;
    }
    ASSERT_EQ(warnings.size(), 1u) << c.warning;
    EXPECT_EQ(warnings[0].rfind(c.warning, 0), 0u) << warnings[0];
  }
  SavedConfiguration all = defaults;
  all.RefreshTimeout = 0;
  all.MinPercent = -1;
  all.FlushTimeoutHours = 0;
  all.MaxHistoryDays = 0;
  EXPECT_EQ(SettingWarnings(all).size(), 4u);
}

TEST(StatFileCheck, NamesWhatKeepsTheDropsFromTheFile) {
  TempFolder folder;
  folder.Write("kept.dat", "[version 1]\n");
  folder.Write("folder.dat/inside", "");
  folder.Write("blocker", "");
  const std::string base = folder.path().string() + "/";
  EXPECT_EQ(StatFileProblem(base + "kept.dat"), std::nullopt);
  EXPECT_EQ(StatFileProblem(base + "new/deeper/stat.dat"), std::nullopt);
  EXPECT_EQ(StatFileProblem(base + "folder.dat"),
            "the stat file " + base +
                "folder.dat is a directory, not a file: the plug-in's hourly drops will be lost");
  EXPECT_EQ(StatFileProblem(base + "blocker/stat.dat"),
            "cannot write the stat file " + base + "blocker/stat.dat (" + base +
                "blocker is not a folder): the plug-in's hourly drops will be lost");
  EXPECT_EQ(StatFileProblem(""),
            "the plug-in's StatFilename is empty: the plug-in's hourly drops will be lost");
}

TEST(RunMode, CommandsFirstThenFullSpeedThenTheBarAndTheScreenOnlyOnATerminal) {
  const auto with = [](auto change) {
    HostOptions options;
    change(options);
    return options;
  };
  const struct {
    HostOptions options;
    bool onTerminal;
    RunMode mode;
  } cases[] = {
      {with([](HostOptions& o) { o.command = ProgramCommand::Register; }),
       true,
       {RunKind::Register, {}}},
      {with([](HostOptions& o) { o.command = ProgramCommand::Unregister; }),
       true,
       {RunKind::Unregister, {}}},
      {with([](HostOptions& o) {
         o.command = ProgramCommand::Report;
         o.bar = true;
       }),
       true,
       {RunKind::Report, {}}},
      {with([](HostOptions& o) { o.command = ProgramCommand::Stats; }),
       false,
       {RunKind::Stats, {}}},
      {with([](HostOptions& o) {
         o.simulation.days = 3;
         o.bar = true;
       }),
       true,
       {RunKind::FullSpeed, {}}},
      {with([](HostOptions& o) { o.bar = true; }),
       true,
       {RunKind::Lines, {false, BarFormat::Text}}},
      {with([](HostOptions& o) {
         o.bar = true;
         o.json = true;
       }),
       false,
       {RunKind::Lines, {false, BarFormat::Json}}},
      {with([](HostOptions& o) { o.service = true; }), true, {RunKind::Lines, {true}}},
      {with([](HostOptions& o) { o.once = true; }), true, {RunKind::Once, {}}},
      {HostOptions{}, false, {RunKind::Once, {}}},
      {HostOptions{}, true, {RunKind::Screen, {}}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DecideRunMode(c.options, c.onTerminal), c.mode) << static_cast<int>(c.mode.kind);
}

}  // namespace
