// What one status-bar line holds: its JSON (read back with a JSON parser), the battery's class, the
// tooltip's head and the figures in it, the reading it is built from, and the options that ask for
// it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>

#include <nlohmann/json.hpp>

#include "host/estimate/day_drain_line.h"
#include "host/estimate/discharge_follower.h"
#include "host/estimate/estimate_follower.h"
#include "host/estimate/estimate_notes.h"
#include "host/estimate/notify_thresholds.h"
#include "host/estimate/shown_estimate.h"
#include "host/front/bar/bar_follower.h"
#include "host/front/bar/bar_line.h"
#include "host/front/bar/bar_report.h"
#include "host/front/bar/bar_text_format.h"
#include "host/front/bar/battery_class.h"
#include "host/front/bar/published_line.h"
#include "host/wait/clock_pacer.h"
#include "host/wait/poll_waiter.h"
#include "platform/time/simulated_clock.h"
#include "tests/fakes/fixed_power_source.h"
#include "tests/fakes/temp_folder.h"
#include "tests/fakes/time_builders.h"

namespace {

TEST(BarJson, EveryTextSurvivesTheRoundTrip) {
  const std::string texts[] = {
      "",         "62%, hrs: 9.1 (3.5)", "say \"hi\"", "back\\slash", "a\nb\r\tc",
      "\x01\x1f", "25.3\u00b0C",         "/ and \x7f"};
  for (const std::string& text : texts) {
    const std::string line = JsonLine({text, text, {"full"}, std::nullopt, "full"});
    EXPECT_EQ(line.find('\n'), std::string::npos) << line;
    const nlohmann::json object = nlohmann::json::parse(line);
    EXPECT_EQ(object.at("text"), text) << line;
    EXPECT_EQ(object.at("tooltip"), text) << line;
  }
}

TEST(BarJson, OneClassIsAWordMoreAreAnArrayAndThePercentageOnlyWhenKnown) {
  BarContent content{"62%, hrs: 1.0/-?-", "report", {"low"}, 62, "low"};
  EXPECT_EQ(nlohmann::json::parse(JsonLine(content)), nlohmann::json({{"text", content.text},
                                                                      {"alt", "low"},
                                                                      {"tooltip", "report"},
                                                                      {"class", "low"},
                                                                      {"percentage", 62}}));

  content.classes.emplace_back("learning");
  content.percentage.reset();
  EXPECT_EQ(nlohmann::json::parse(JsonLine(content)),
            nlohmann::json({{"text", content.text},
                            {"alt", "low"},
                            {"tooltip", "report"},
                            {"class", {"low", "learning"}}}));
}

// A line from another process: written again as the bar writes it, nothing in it a control
// character but the tooltip's line breaks, and nothing but the bar's form.
TEST(BarJson, AnotherProcesssLineIsCheckedAndMadePrintable) {
  const std::string kept = JsonLine({"62%, hrs: 9.1 (3.5)",
                                     "Charge 62%\nreport",
                                     {"discharging", "learning"},
                                     62,
                                     "discharging"});
  const std::string replacement = "\xef\xbf\xbd";
  const struct {
    std::string line;
    std::optional<std::string> checked;
  } rows[] = {
      {kept, kept},
      {R"({"percentage":62,"on":true,"f":1.5})", R"({"percentage":62,"on":true,"f":1.5})"},
      {R"( {"text" : "x"} )", R"({"text":"x"})"},
      {R"({"text":"\u001b]0;owned\u0007 12%","class":["a\u009b"]})",
       R"({"text":")" + replacement + "]0;owned" + replacement + R"( 12%","class":["a)" +
           replacement + R"("]})"},
      {R"({"tooltip":"a\nb\tc","\u0007":1})", R"({"tooltip":"a\nb c",")" + replacement + R"(":1})"},
      {"not json", std::nullopt},
      {R"({"text":"x"} more)", std::nullopt},
      {"[1,2]", std::nullopt},
      {R"({"text":{"a":1}})", std::nullopt},
      {R"({"class":["a",1]})", std::nullopt},
      {R"({"text":null})", std::nullopt},
      {R"({"percentage":1e999})", std::nullopt},
  };
  for (const auto& row : rows) EXPECT_EQ(CheckedJsonLine(row.line), row.checked) << row.line;
}

TEST(PublishedLine, AFollowerPrintsTwoWholeLinesAndNoControlCharacter) {
  const PublishedLine kept{"62%, hrs: 9.1 (3.5)", R"j({"text":"62%, hrs: 9.1 (3.5)"})j"};
  const struct {
    std::string content;
    std::optional<std::string> text;
  } rows[] = {
      {PublishedFileText(kept), kept.text},
      {"\x1b]0;owned\x07 12%\n{}\n", "\xef\xbf\xbd]0;owned\xef\xbf\xbd 12%"},
      {"\xff\n{}\n", "\xef\xbf\xbd"},
      {"one line only\n", std::nullopt},
      {"a\n{}", std::nullopt},
      {"a\n{}\nmore\n", std::nullopt},
      {"a\nnot json\n", std::nullopt},
  };
  for (const auto& row : rows) {
    const std::optional<PublishedLine> line = ParsePublishedFile(row.content);
    EXPECT_EQ(line ? std::optional(line->text) : std::nullopt, row.text) << row.content;
  }
  EXPECT_EQ(ParsePublishedFile(PublishedFileText(kept))->json, kept.json);
}

// Only a file of this user's that nobody else can write is read, never waiting and never more
// than a real line's size.
TEST(PublishedLine, IsReadOnlyFromAFileOfTheUsersOwn) {
  TempFolder folder;
  const std::string good = "62%\n{}\n";
  const std::filesystem::path file = folder.path() / "bar.line";
  const auto goodWith = [&](const std::function<int()>& change) {
    folder.Write("bar.line", good);
    ASSERT_EQ(change(), 0);
  };
  const uid_t other = geteuid() == 0 ? 65534 : geteuid();
  const struct {
    std::function<void()> make;
    bool read;
    std::string problem;
  } rows[] = {
      {[&] { goodWith([] { return 0; }); }, true, ""},
      {[] {}, false, ""},
      {[&] { goodWith([&] { return chmod(file.c_str(), 0620); }); }, false,
       ": writable by other users"},
      {[&] { goodWith([&] { return chmod(file.c_str(), 0602); }); }, false,
       ": writable by other users"},
      {[&] { ASSERT_EQ(mkfifo(file.c_str(), 0600), 0); }, false, ": not a regular file (a FIFO)"},
      {[&] { std::filesystem::create_symlink(folder.path() / "good", file); }, false,
       ": Too many levels of symbolic links"},
      {[&] { folder.Write("bar.line", std::string(64 * 1024 - 4, 'x') + good); }, false,
       ": larger than 64 KiB"},
      {[&] { folder.Write("bar.line", "x\n"); }, false,
       " does not hold a line and its JSON object"},
      {[&] { goodWith([&] { return chown(file.c_str(), other, -1); }); }, other == geteuid(),
       other == geteuid() ? "" : ": owned by user 65534"},
  };
  folder.Write("good", good);
  for (const auto& row : rows) {
    std::filesystem::remove(file);
    row.make();
    const Outcome<std::optional<PublishedLine>> read = ReadPublishedFile(file);
    EXPECT_EQ(read.ok() && read.value().has_value(), row.read) << row.problem;
    EXPECT_EQ(read.problem(), row.problem.empty() ? "" : file.string() + row.problem);
  }
}

// The runtime folder is used only when it and the zelvar folder in it are the user's alone.
TEST(PublishedLine, IsPublishedInTheRuntimeFolderOnlyWhenNoOneElseCanWriteIt) {
  TempFolder folder;
  const std::filesystem::path runtime = folder.path() / "run";
  const std::filesystem::path own = runtime / "zelvar";
  const std::filesystem::path fallback = folder.path() / "state";
  const char* const saved = std::getenv("XDG_RUNTIME_DIR");
  const std::string savedValue = saved != nullptr ? saved : "";
  const struct {
    std::function<void()> make;
    std::optional<std::string> runtimeDir;
    std::string problem;  // empty: the runtime folder is used
  } rows[] = {
      {[] {}, std::nullopt, "XDG_RUNTIME_DIR is not set to an absolute path"},
      {[] {}, "run", "XDG_RUNTIME_DIR is not set to an absolute path"},
      {[] {}, runtime.string(), ""},
      {[&] { chmod(runtime.c_str(), 0777); }, runtime.string(),
       runtime.string() + " can be written by other users"},
      {[&] { std::filesystem::create_directory(own, runtime), chmod(own.c_str(), 0770); },
       runtime.string(), own.string() + " can be written by other users"},
      {[&] { std::filesystem::create_directory_symlink(fallback, own); }, runtime.string(),
       own.string() + " is not a folder"},
      // A runtime folder may be a link to the user's own.
      {[&] { std::filesystem::create_directory_symlink(runtime, folder.path() / "link"); },
       (folder.path() / "link").string(), ""},
      {[&] { ASSERT_EQ(chown(runtime.c_str(), geteuid() == 0 ? 65534 : geteuid(), -1), 0); },
       runtime.string(), geteuid() == 0 ? runtime.string() + " belongs to user 65534" : ""},
  };
  std::filesystem::create_directories(fallback);
  for (const auto& row : rows) {
    std::filesystem::remove_all(runtime);
    std::filesystem::remove(folder.path() / "link");
    std::filesystem::create_directory(runtime);
    chmod(runtime.c_str(), 0700);
    row.make();
    if (row.runtimeDir) {
      setenv("XDG_RUNTIME_DIR", row.runtimeDir->c_str(), 1);
    } else {
      unsetenv("XDG_RUNTIME_DIR");
    }
    const Noted<std::filesystem::path> chosen = PublishingFolder(fallback);
    if (row.problem.empty()) {
      EXPECT_EQ(chosen.value, std::filesystem::path(*row.runtimeDir) / "zelvar");
      EXPECT_EQ(chosen.note, std::nullopt);
      struct stat status {};
      EXPECT_EQ(lstat(own.c_str(), &status), 0);
      EXPECT_EQ(status.st_mode & 0777, 0700u);
    } else {
      EXPECT_EQ(chosen.value, fallback) << row.problem;
      EXPECT_EQ(chosen.note, row.problem + "; the line for the bars that follow this one is in " +
                                 fallback.string());
    }
  }
  if (saved != nullptr) {
    setenv("XDG_RUNTIME_DIR", savedValue.c_str(), 1);
  } else {
    unsetenv("XDG_RUNTIME_DIR");
  }
  EXPECT_EQ(PublishedLineFile("/run/zelvar", "5-7"), "/run/zelvar/bar-5-7.line");
}

// A follower goes where the lock file sends it: a keeper that publishes elsewhere is followed
// there, and one that publishes nothing (a terminal screen that took the files over) ends the
// following.
TEST(BarFollowerTest, FollowsEachKeeperTheLockNamesUntilOneThatPublishesNothing) {
  TempFolder folder;
  folder.Write("owner.lock", "1\n");
  folder.Write("a.line", "first\n{}\n");
  folder.Write("b/b.line", "second\n{}\n");
  std::optional<BarFollower::Keeper> keeper = BarFollower::Keeper{true, folder.path() / "a.line"};
  std::vector<std::string> shown;
  const auto output = [&](const std::string& line) {
    shown.push_back(line);
    keeper = shown.size() == 1 ? BarFollower::Keeper{true, folder.path() / "b" / "b.line"}
                               : BarFollower::Keeper{false, {}};
    folder.Write("owner.lock", std::to_string(shown.size() + 1) + "\n");
    return true;
  };
  ClockPacer realTime;
  PollWaiter waiter(realTime);
  BarFollower follower(
      {folder.path() / "owner.lock", [] { return false; }, [&] { return keeper; }}, waiter,
      BarFormat::Text, output, [] { return false; }, [](const std::string&) {});
  EXPECT_EQ(follower.Run(), BarEnd::CannotFollow);
  EXPECT_EQ(shown, (std::vector<std::string>{"first", "second"}));
}

TEST(BatteryClass, FollowsTheFlagTheMainsAndTheCriticalWarningsLevel) {
  const struct {
    BYTE acLine;
    BYTE flag;
    BYTE percent;
    int criticalLevel;
    const char* batteryClass;
  } cases[] = {
      {AC_LINE_OFFLINE, BATTERY_FLAG_HIGH, 50, 5, "discharging"},
      {AC_LINE_OFFLINE, BATTERY_FLAG_LOW, 20, 5, "low"},
      {AC_LINE_OFFLINE, BATTERY_FLAG_LOW, 6, 5, "low"},
      {AC_LINE_OFFLINE, BATTERY_FLAG_CRITICAL, 5, 5, "critical"},  // as the critical warning
      {AC_LINE_OFFLINE, BATTERY_FLAG_CRITICAL, 4, 3, "low"},
      {AC_LINE_OFFLINE, BATTERY_FLAG_LOW, 10, 10, "critical"},
      {AC_LINE_OFFLINE, BATTERY_FLAG_LOW, 11, 10, "low"},
      {AC_LINE_OFFLINE, 0, BATTERY_PERCENTAGE_UNKNOWN, 5, "discharging"},
      {AC_LINE_ONLINE, BATTERY_FLAG_CHARGING, 3, 5, "charging"},
      {AC_LINE_UNKNOWN, BATTERY_FLAG_CHARGING, 3, 5, "charging"},
      {AC_LINE_ONLINE, BATTERY_FLAG_HIGH, 3, 5, "full"},
      {AC_LINE_ONLINE, BATTERY_FLAG_NO_BATTERY, 3, 5, "unknown"},
      {AC_LINE_OFFLINE, BATTERY_FLAG_UNKNOWN, 3, 5, "unknown"},
      {AC_LINE_UNKNOWN, 0, 50, 5, "discharging"},
  };
  for (const auto& c : cases) {
    SYSTEM_POWER_STATUS_EX2 status{};
    status.ACLineStatus = c.acLine;
    status.BatteryFlag = c.flag;
    status.BatteryLifePercent = c.percent;
    EXPECT_STREQ(BatteryClass(status, c.criticalLevel), c.batteryClass)
        << int{c.acLine} << " " << int{c.flag} << " " << int{c.percent};
  }
  EXPECT_STREQ(BatteryClass(std::nullopt, 5), "unknown");
  EXPECT_EQ(CriticalLevel(kDefaultNotifyThresholds), 5);
  EXPECT_EQ(CriticalLevel(*ParseNotifyThresholds("3,25,10")), 3);
}

TEST(EstimateNotes, NameTheHoursWithDrainAndTheWindow) {
  EXPECT_EQ(CoverageLine(12, 30),
            "Drain measured for 12 of the 24 hours of the day (last 30 days)");
  EXPECT_EQ(CoverageLine(24, 1), "Drain measured for 24 of the 24 hours of the day (last day)");
  EXPECT_EQ(CoverageLine(0, -1), "Drain measured for 0 of the 24 hours of the day (any age)");
  EXPECT_EQ(BatteryLifeTimeLine(BATTERY_LIFE_UNKNOWN), std::nullopt);
  EXPECT_EQ(BatteryLifeTimeLine(5 * 3600 + 720), "The battery reports 5.2 hours left");
  EXPECT_EQ(LinearEstimateLine(17.94, 4, 0.76),
            "Linear estimate: 17.9 hours left (4 points in 0.7 hours on battery)");
  EXPECT_EQ(LinearEstimateLine(30, 1, 0.5),
            "Linear estimate: 30.0 hours left (1 point in 0.5 hours on battery)");
}

// Each hour's glyph in the line: "1" to "8" the eighths U+2581 to U+2588, "." the "·" of an hour
// never sampled.
std::string Glyphs(const std::string& hours) {
  const char* const eighths[] = {"\u2581", "\u2582", "\u2583", "\u2584",
                                 "\u2585", "\u2586", "\u2587", "\u2588"};
  std::string glyphs;
  for (const char hour : hours) glyphs += hour == '.' ? "\u00B7" : eighths[hour - '1'];
  return glyphs;
}

TEST(DayDrainLines, BlocksScaledToTheHighestHourTheCurrentOneInBrackets) {
  const std::string prefix = "Drain by hour from 0:00: ";
  const std::string now = "; now in brackets";
  const std::string never = "; \u00B7 never sampled";
  DayDrain equal;
  equal.fill(2.0);
  DayDrain peak;
  peak.fill(1.0);
  peak[14] = 7.0;
  // Zero drops, then 0.1 to 7 points an hour; the rest never sampled.
  DayDrain levels;
  const double averages[] = {0.0, 0.1, 2.0, 3.2, 3.5, 5.0, 6.0, 6.6, 7.0};
  std::copy(std::begin(averages), std::end(averages), levels.begin());
  DayDrain idle;
  idle[0] = idle[23] = 0.0;
  const struct {
    const char* what;
    const DayDrain& drain;
    UINT hour;
    std::optional<std::string> lines;
  } rows[] = {
      {"all hours equal, now midnight", equal, 0,
       prefix + "[" + Glyphs("8") + "]" + Glyphs("88888888888888888888888") +
           "\nHighest 2.0 points an hour at 00:00" + now},
      {"one peak, now 23:00", peak, 23,
       prefix + Glyphs("22222222222222822222222") + "[" + Glyphs("2") + "]" +
           "\nHighest 7.0 points an hour at 14:00" + now},
      {"a zero hour, a small drain, each level, never sampled", levels, 9,
       prefix + Glyphs("123456788") + "[" + Glyphs(".") + "]" + Glyphs("..............") +
           "\nHighest 7.0 points an hour at 08:00" + now + never},
      {"only zero drops", idle, 12,
       prefix + Glyphs("1...........") + "[" + Glyphs(".") + "]" + Glyphs("..........1") +
           "\nNo drain measured yet" + now + never},
      {"no records at all", DayDrain{}, 5, std::nullopt},
  };
  for (const auto& row : rows) EXPECT_EQ(DayDrainLines(row.drain, row.hour), row.lines) << row.what;
}

// The drops of `hours` hours from a local hour, as a record line of the stat file.
std::string Record(const char* head, int hours, int drop) {
  std::string line = std::string(head) + ":";
  for (int hour = 0; hour < hours; ++hour)
    line += std::to_string(drop) + (hour + 1 < hours ? "," : "\n");
  return line;
}

TEST(LearningRule, LearnsUntilTheDayIsCoveredAndTheStatisticsForeseeTheLatestDischarges) {
  const SYSTEMTIME now = Utc(2024, 3, 9, 18, 20);
  const std::string coverage =
      "Still learning: the statistics' hours left read long until drain is measured "
      "for 12 hours of the day";
  const struct {
    const char* what;
    std::string records;
    UINT hoursWithDrain;
    std::optional<double> agreement;
    std::optional<std::string> note;  // nullopt: learned
  } cases[] = {
      {"11 hours with drain, and no other record to foresee them", Record("2024.3.9.6", 11, 2), 11,
       0.0, coverage},
      {"two days alike", Record("2024.3.8.6", 12, 2) + Record("2024.3.9.6", 12, 2), 12, 1.0,
       std::nullopt},
      // The latest day (24 hours) drains 4 an hour where the days before drained 1.
      {"a latest day that drains four times as fast",
       Record("2024.3.1.0", 24, 1) + Record("2024.3.2.0", 24, 1) + Record("2024.3.8.18", 24, 4), 24,
       0.25,
       "Still learning: the statistics foresee 25 % of the drain of the last discharges, so their "
       "hours left read long"},
      {"only zero drops lately, and a record beyond the window",
       Record("2024.1.2.0", 24, 9) + Record("2024.3.1.0", 24, 1) + Record("2024.3.8.18", 24, 0), 24,
       std::nullopt, std::nullopt},
      {"a record cut short: its last drop is not read",
       Record("2024.3.8.6", 12, 2) + Record("2024.3.9.6", 12, 2).replace(34, 1, ",8"), 12, 1.0,
       std::nullopt},
  };
  for (const auto& c : cases) {
    const StatisticsCheck check =
        CheckStatistics(StatRecords("[version 1]\n" + c.records, now, 30));
    EXPECT_EQ(check.hoursWithDrain, c.hoursWithDrain) << c.what;
    EXPECT_EQ(check.agreement, c.agreement) << c.what;
    EXPECT_EQ(StillLearning(check), c.note.has_value()) << c.what;
    if (c.note) {
      EXPECT_EQ(LearningNote(check), *c.note) << c.what;
    }
  }
  EXPECT_TRUE(StatRecords("[version 2]\n" + Record("2024.3.9.6", 12, 2), now, 30).empty());
  // Each hour's average drop over all the records.
  const DayDrain day = CheckStatistics(StatRecords("[version 1]\n" + Record("2024.3.8.6", 2, 1) +
                                                       Record("2024.3.9.6", 1, 4),
                                                   now, 30))
                           .day;
  EXPECT_EQ(day[6], 2.5);
  EXPECT_EQ(day[7], 1.0);
  EXPECT_EQ(day[5], std::nullopt);
}

SYSTEM_POWER_STATUS_EX2 Reading(BYTE acLine, BYTE flag, BYTE percent,
                                DWORD lifeTime = BATTERY_LIFE_UNKNOWN) {
  SYSTEM_POWER_STATUS_EX2 status{};
  status.ACLineStatus = acLine;
  status.BatteryFlag = flag;
  status.BatteryLifePercent = percent;
  status.BatteryLifeTime = lifeTime;
  return status;
}

TEST(BarTextFormat, PlaceholdersFiguresAndFaults) {
  EstimateView view;
  view.status = Reading(AC_LINE_OFFLINE, BATTERY_FLAG_LOW, 30);
  view.linear = LinearFigure{2.25, 4, 0.3};
  // Every figure rounds down: 1.499 h reads 1.4, 1:29.
  view.hours = HoursToShow{1.499, HoursSource::RecentRate};
  EstimateView none;
  const struct {
    const char* format;
    const char* line;
    const EstimateView& view;
    const char* text;
  } rows[] = {
      {"{line}", "30%, hrs: 9.1 (3.5)", view, "30%, hrs: 9.1 (3.5)"},
      {"{percent}% {hours} h", "30%, hrs: 9.1 (3.5)", view, "30% 1.4 h"},
      {"{hours:hm} {linear} {linear:hm}", "30%, hrs: 9.1 (3.5)", view, "1:29 2.2 2:15"},
      {"{statistics}/{on_battery}/{on_battery:hm}", "30%, hrs: 9.1 (3.5)", view, "9.1/3.5/3:30"},
      {"{on_battery} {statistics}", "30%, hrs: 3.5/9.4", view, "3.5 ?"},
      {"<{state}>", "30%, hrs: 9.1 (3.5)", view, "<low>"},
      {"{{{percent}}}", "?%, hrs: N/A (online)", none, "{?}"},
      {"{hours}|{hours:hm}|{linear}|{on_battery}", "100%, hrs: N/A (online)", none, "?|?|?|?"},
      {"plain", "30%, hrs: 9.1 (3.5)", view, "plain"},
  };
  for (const auto& row : rows) {
    const Outcome<BarTextFormat> format = BarTextFormat::Parse(row.format);
    ASSERT_TRUE(format.ok()) << row.format << ": " << format.problem();
    EXPECT_EQ(format.value().Render(row.line, row.view, BatteryClass(row.view.status, 5)), row.text)
        << row.format;
    EXPECT_EQ(format.value().LineAlone(), std::string(row.format) == "{line}") << row.format;
  }
  for (const char* wrong : {"{hour}", "{line", "line}", "{}", "{hours:hms}"}) {
    const Outcome<BarTextFormat> refused = BarTextFormat::Parse(wrong);
    EXPECT_FALSE(refused.ok()) << wrong;
    EXPECT_FALSE(refused.problem().empty()) << wrong;
  }
}

TEST(TooltipHead, StartsWithTheHoursToShowChargeStateFiguresAndCoverageAndSaysWhileLearning) {
  // Appended: GCC 12 optimising warns falsely (-Wrestrict) about "\n" + a returned string.
  const std::string learning =
      std::string("\n").append(LearningNote({})).append("\n").append(LineExplanation());
  const struct {
    EstimateView view;
    LONG maxHistoryDays;
    std::string head;
  } cases[] = {
      {{Reading(AC_LINE_OFFLINE, BATTERY_FLAG_HIGH, 62, 7200), LinearFigure{17.94, 4, 0.76},
        StatisticsCheck{11, std::nullopt}, true, HoursToShow{17.94, HoursSource::RecentRate}},
       30,
       "About 17.9 h left at your recent rate\nCharge 62%, on battery\nLinear estimate: 17.9 "
       "hours left (4 points in 0.7 hours on battery)\n"
       "The battery reports 2.0 hours left\nDrain measured for 11 of the 24 hours of the day (last "
       "30 days)" +
           learning},
      {{Reading(AC_LINE_OFFLINE, BATTERY_FLAG_LOW, 30), std::nullopt,
        StatisticsCheck{12, 0.5, DayDrain{0.0, 4.0}}, false,
        HoursToShow{3.0, HoursSource::TimeOfDay}, 1},
       30,
       "About 3.0 h left at this time of day\nCharge 30%, on battery, low\nDrain measured for 12 "
       "of the 24 hours of the day (last 30 days)\nDrain by hour from 0:00: " +
           Glyphs("1") + "[" + Glyphs("8") + "]" + Glyphs("......................") +
           "\nHighest 4.0 points an hour at 01:00; now in brackets; \u00B7 never sampled"},
      {{Reading(AC_LINE_OFFLINE, BATTERY_FLAG_HIGH, 40), std::nullopt, StatisticsCheck{20, 0.25},
        true, std::nullopt},
       30,
       "Charge 40%, on battery\nDrain measured for 20 of the 24 hours of the day (last 30 days)\n"
       "Still learning: the statistics foresee 25 % of the drain of the last discharges, so their "
       "hours left read long\n" +
           LineExplanation()},
      {{Reading(AC_LINE_ONLINE, BATTERY_FLAG_CHARGING, 50), std::nullopt, std::nullopt, true,
        std::nullopt},
       30,
       "Charge 50%, charging"},
      {{Reading(AC_LINE_ONLINE, BATTERY_FLAG_HIGH, 100), std::nullopt, std::nullopt, true,
        std::nullopt},
       30,
       "Charge 100%, on mains, not charging"},
      {{Reading(AC_LINE_OFFLINE, BATTERY_FLAG_CRITICAL, 3), std::nullopt, std::nullopt, true,
        std::nullopt},
       30,
       "Charge 3%, on battery, critical"},
      {{Reading(AC_LINE_UNKNOWN, BATTERY_FLAG_UNKNOWN, BATTERY_PERCENTAGE_UNKNOWN), std::nullopt,
        std::nullopt, true, std::nullopt},
       30,
       "Charge not known, battery state unknown"},
      {{std::nullopt, std::nullopt, StatisticsCheck{}, true, std::nullopt},
       1,
       "Charge not known, battery state unknown\nDrain measured for 0 of the 24 hours of the day "
       "(last day)" +
           learning},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TooltipHead(c.view, BatteryClass(c.view.status, 5), c.maxHistoryDays), c.head);
}

constexpr ULONGLONG kMinute = 600'000'000ull;
constexpr ULONGLONG kHour = 60 * kMinute;

SYSTEM_POWER_STATUS_EX2 OnBattery(BYTE percent) {
  return Reading(AC_LINE_OFFLINE, BATTERY_FLAG_HIGH, percent);
}

TEST(DischargeFollower, FiguresTheDropSinceTheChargeLastStoppedFallingWhileAwake) {
  const SYSTEM_POWER_STATUS_EX2 mains = Reading(AC_LINE_ONLINE, BATTERY_FLAG_HIGH, 90);
  const auto battery = OnBattery;
  const struct {
    const char* what;
    std::vector<std::optional<SYSTEM_POWER_STATUS_EX2>> readings;  // one an hour
    std::optional<double> hoursLeft;
  } cases[] = {
      {"80 to 70 in 2 hours", {battery(80), battery(75), battery(70)}, 14.0},
      {"a failed read changes nothing", {battery(80), std::nullopt, battery(70)}, 14.0},
      {"no drop yet", {battery(80), battery(80)}, std::nullopt},
      {"on mains", {battery(80), battery(70), mains}, std::nullopt},
      {"charging counts as mains",
       {battery(80), battery(70), Reading(AC_LINE_UNKNOWN, BATTERY_FLAG_CHARGING, 69)},
       std::nullopt},
      {"starts again after mains", {battery(90), mains, battery(80), battery(70)}, 7.0},
      {"starts again after a rise", {battery(60), battery(50), battery(80), battery(70)}, 7.0},
      {"unknown charge starts again",
       {battery(80), battery(BATTERY_PERCENTAGE_UNKNOWN), battery(70), battery(65)},
       13.0},
      {"an unknown battery starts again",
       {battery(80), Reading(AC_LINE_OFFLINE, BATTERY_FLAG_UNKNOWN, 75), battery(70), battery(65)},
       13.0},
      {"no battery starts again",
       {battery(80), Reading(AC_LINE_OFFLINE, BATTERY_FLAG_NO_BATTERY, 75), battery(70),
        battery(65)},
       13.0},
  };
  for (const auto& c : cases) {
    DischargeFollower follower(3'600'000);
    ULONGLONG utc = 100 * kHour;
    for (const auto& reading : c.readings) follower.Observe(utc += kHour, reading);
    const std::optional<LinearFigure> figure = follower.Figure();
    ASSERT_EQ(figure.has_value(), c.hoursLeft.has_value()) << c.what;
    if (figure) {
      EXPECT_DOUBLE_EQ(figure->hoursLeft, *c.hoursLeft) << c.what;
    }
  }
}

TEST(DischargeFollower, ABatteryThatAppearsOrGoesStartsTheBaseAgain) {
  using Pack = std::optional<BatteryPack>;
  const struct {
    const char* what;
    std::vector<std::pair<BYTE, Pack>> readings;  // one an hour
    double hoursLeft;
  } cases[] = {
      {"a second, emptier battery beside the first",
       {{80, BatteryPack{1, 1000}},
        {75, BatteryPack{1, 1000}},
        {40, BatteryPack{2, 2000}},
        {35, BatteryPack{2, 2000}}},
       35 * 1.0 / 5},
      {"a battery removed",
       {{80, BatteryPack{2, 1000}}, {40, BatteryPack{1, 1000}}, {35, Pack{}}},
       35 * 1.0 / 5},
      {"another battery in its place",
       {{80, BatteryPack{1, 1000}}, {75, BatteryPack{1, 1060}}, {72, BatteryPack{1, 1060}}},
       72 * 1.0 / 3},
      {"a recalibrated capacity",
       {{80, BatteryPack{1, 1000}}, {75, BatteryPack{1, 950}}, {72, BatteryPack{1, 950}}},
       72 * 2.0 / 8},
      {"a source that does not tell",
       {{80, BatteryPack{1, 1000}}, {75, Pack{}}, {72, BatteryPack{1, 1000}}},
       72 * 2.0 / 8},
  };
  for (const auto& c : cases) {
    DischargeFollower follower(3'600'000);
    ULONGLONG utc = 100 * kHour;
    for (const auto& [percent, pack] : c.readings)
      follower.Observe(utc += kHour, OnBattery(percent), pack);
    ASSERT_TRUE(follower.Figure().has_value()) << c.what;
    EXPECT_DOUBLE_EQ(follower.Figure()->hoursLeft, c.hoursLeft) << c.what;
  }
}

TEST(DischargeFollower, AResumeOrAClockSetBackStartsTheBaseAgain) {
  // Refreshes every ten minutes; 80 % at 0, 70 % after a gap, 65 % ten minutes later.
  const struct {
    ULONGLONG gap;
    bool clockBack;
    double hoursLeft;
  } cases[] = {
      {3 * (10 * kMinute), false, 65 * (3 * 10 + 10) / 60.0 / 15},  // within three refreshes
      {3 * (10 * kMinute) + 1, false, 65 * (10 / 60.0) / 5},        // a resume
      {8 * kHour, false, 65 * (10 / 60.0) / 5},
      {kHour, true, 65 * (10 / 60.0) / 5},
  };
  for (const auto& c : cases) {
    DischargeFollower follower(600'000);
    const ULONGLONG start = 100 * kHour;
    const ULONGLONG after = c.clockBack ? start - c.gap : start + c.gap;
    follower.Observe(start, OnBattery(80));
    follower.Observe(after, OnBattery(70));
    follower.Observe(after + 10 * kMinute, OnBattery(65));
    ASSERT_TRUE(follower.Figure().has_value());
    EXPECT_DOUBLE_EQ(follower.Figure()->hoursLeft, c.hoursLeft) << c.gap;
  }
}

TEST(DischargeFollower, AFasterRecentDrainShortensTheHoursLeftASlowerOneDoesNotLengthenThem) {
  constexpr int mains = -1;
  const struct {
    const char* what;
    std::vector<std::pair<ULONGLONG, int>> readings;  // minute, percent on battery or mains
    double hoursLeft;
  } cases[] = {
      {"faster lately: from the latest reading half an hour old",
       {{0, 90}, {10, 89}, {20, 88}, {30, 87}, {40, 86}, {50, 80}, {60, 74}},
       74 * 0.5 / 13},
      {"a reading exactly half an hour old starts the window, a younger one not",
       {{0, 90}, {10, 89}, {20, 88}, {30, 87}, {31, 86}, {60, 80}},
       80 * 0.5 / 7},
      {"quiet lately: the drain since the base",
       {{0, 90}, {10, 86}, {20, 82}, {30, 78}, {40, 78}, {50, 78}, {60, 78}},
       78 / 12.0},
      {"under three points since the base: the drain since the base",
       {{0, 80}, {10, 80}, {20, 80}, {30, 79}, {40, 79}, {50, 78}},
       78 * (50 / 60.0) / 2},
      {"a charge held: from its latest reading half an hour old",
       {{0, 81},
        {30, 81},
        {60, 81},
        {90, 81},
        {120, 81},
        {130, 80},
        {140, 78},
        {150, 78},
        {160, 78},
        {170, 78},
        {180, 77}},
       77 * (50 / 60.0) / 3},
      {"a resume starts the window again",
       {{0, 90}, {10, 80}, {20, 70}, {30, 60}, {100, 59}, {110, 59}, {120, 58}},
       58 * (20 / 60.0)},
      {"so does the charger",
       {{0, 90}, {10, 80}, {20, 70}, {30, 60}, {40, mains}, {50, 59}, {60, 59}, {70, 58}},
       58 * (20 / 60.0)},
  };
  for (const auto& c : cases) {
    DischargeFollower follower(600'000);
    for (const auto& [minute, percent] : c.readings) {
      follower.Observe(100 * kHour + minute * kMinute,
                       percent == mains ? Reading(AC_LINE_ONLINE, BATTERY_FLAG_HIGH, 90)
                                        : OnBattery(static_cast<BYTE>(percent)));
    }
    ASSERT_TRUE(follower.HoursLeft().has_value()) << c.what;
    EXPECT_DOUBLE_EQ(*follower.HoursLeft(), c.hoursLeft) << c.what;
  }
  // A charge held all day keeps the readings of half an hour and the one before them.
  DischargeFollower held(600'000);
  for (ULONGLONG minute = 0; minute <= 24 * 60ull; minute += 10)
    held.Observe(100 * kHour + minute * kMinute, OnBattery(50));
  EXPECT_EQ(held.keptReadings(), 4u);
}

TEST(HoursToShow, TheShorterFigureTheStatisticsNeverWhileLearningElseTheBatterysOwn) {
  constexpr double inf = INFINITY;
  using enum HoursSource;
  const struct {
    const char* what;
    EstimateFigures figures;  // statistics, linear, battery's own, learning
    std::optional<HoursToShow> shown;
  } cases[] = {
      {"learning, statistics shorter", {2.0, 3.0, 1.0, true}, HoursToShow{3.0, RecentRate}},
      {"learning, statistics longer", {9.0, 3.0, 1.0, true}, HoursToShow{3.0, RecentRate}},
      {"learning, no linear yet", {2.0, std::nullopt, 5.8, true}, HoursToShow{5.8, BatteryReports}},
      {"learning, nothing else", {2.0, std::nullopt, std::nullopt, true}, std::nullopt},
      {"agreeing", {3.0, 3.0, 1.0, false}, HoursToShow{3.0, RecentRate}},
      {"statistics shorter", {2.0, 3.0, 1.0, false}, HoursToShow{2.0, TimeOfDay}},
      {"linear shorter", {4.0, 3.0, 1.0, false}, HoursToShow{3.0, RecentRate}},
      {"statistics alone", {4.0, std::nullopt, 1.0, false}, HoursToShow{4.0, TimeOfDay}},
      {"linear alone", {std::nullopt, 3.0, 1.0, false}, HoursToShow{3.0, RecentRate}},
      {"the battery's own",
       {std::nullopt, std::nullopt, 5.8, false},
       HoursToShow{5.8, BatteryReports}},
      {"none", {std::nullopt, std::nullopt, std::nullopt, false}, std::nullopt},
      {"no number counts as none", {inf, -1.0, NAN, false}, std::nullopt},
      {"zero hours is a figure", {0.0, 3.0, 1.0, false}, HoursToShow{0.0, TimeOfDay}},
  };
  for (const auto& c : cases) EXPECT_EQ(ChooseHoursToShow(c.figures), c.shown) << c.what;
}

// A made-up history: readings every ten minutes from 80 %, the plug-in's line, and a stat file
// whose statistics have learned (12 hours of the day with drain) or not (11).
TEST(EstimateFollower, ShowsTheHoursToShowOfAHistory) {
  SimulatedClock clock(Utc(2024, 3, 9, 18, 20), 0);
  const ScopedClock clockGuard(clock);
  const TempFolder folder;
  const ScopedDeviceRoot root(folder);
  using enum HoursSource;
  const auto battery = [](BYTE percent, DWORD lifeTime = BATTERY_LIFE_UNKNOWN) {
    return Reading(AC_LINE_OFFLINE, BATTERY_FLAG_HIGH, percent, lifeTime);
  };
  const std::optional<SYSTEM_POWER_STATUS_EX2> unknown = battery(BATTERY_PERCENTAGE_UNKNOWN);
  const struct {
    const char* what;
    UINT hoursWithDrain;
    std::vector<std::pair<ULONGLONG, std::optional<SYSTEM_POWER_STATUS_EX2>>> readings;
    const char* line;
    std::optional<HoursToShow> shown;
  } cases[] = {
      {"the battery's own before any drop",
       12,
       {{0, battery(80, 20880)}},
       "80%, hrs: 0.0/-?-",
       HoursToShow{5.8, BatteryReports}},
      {"nothing at all", 12, {{0, battery(80)}}, "80%, hrs: 0.0/-?-", std::nullopt},
      {"learning: linear though the statistics are shorter",
       11,
       {{0, battery(80)}, {30, battery(79)}, {60, battery(78)}},
       "78%, hrs: 2.0 (1.0)",
       HoursToShow{39.0, RecentRate}},
      {"learned: the statistics when shorter",
       12,
       {{0, battery(80)}, {30, battery(79)}, {60, battery(78)}},
       "78%, hrs: 2.0 (1.0)",
       HoursToShow{2.0, TimeOfDay}},
      {"learned: the linear figure when shorter",
       12,
       {{0, battery(80)}, {30, battery(79)}, {60, battery(78)}},
       "78%, hrs: 50.0 (1.0)",
       HoursToShow{39.0, RecentRate}},
      {"learned: the recent drain when faster",
       12,
       {{0, battery(80)},
        {30, battery(79)},
        {60, battery(78)},
        {70, battery(75)},
        {80, battery(72)},
        {90, battery(70)}},
       "70%, hrs: 50.0 (1.5)",
       HoursToShow{70 * 0.5 / 8, RecentRate}},
      {"a resume starts the base again",
       11,
       {{0, battery(80)}, {10, battery(79)}, {600, battery(60)}, {610, battery(59)}},
       "59%, hrs: 0.2/1.0",
       HoursToShow{59 / 6.0, RecentRate}},
      {"an unknown reading starts the base again",
       11,
       {{0, battery(80)}, {10, unknown}, {20, battery(78)}, {30, battery(77)}},
       "77%, hrs: 0.2/1.0",
       HoursToShow{77 / 6.0, RecentRate}},
  };
  const std::string file = "Storage/My Documents/ZelvarPlugin.dat";
  for (const auto& c : cases) {
    std::string records = "[version 1]\n";
    // The same hours on two days: the statistics foresee each day's drop from the other's.
    for (const char* day : {"2024.3.8.", "2024.3.9."}) {
      for (UINT hour = 0; hour < c.hoursWithDrain; ++hour)
        records += day + std::to_string(hour) + ":1\n";
    }
    folder.Write(file, records);
    SavedConfiguration settings;
    settings.RefreshTimeout = 600'000;
    settings.MaxHistoryDays = 30;
    settings.StatFilename = TEXT("\\Storage\\My Documents\\ZelvarPlugin.dat");
    EstimateFollower follower(settings);
    for (const auto& [minute, reading] : c.readings)
      follower.Observe(100 * kHour + minute * kMinute, reading);
    const EstimateView view = follower.For(c.line);
    EXPECT_EQ(view.localHour, 18u) << c.what;
    EXPECT_EQ(view.learning, c.hoursWithDrain < 12) << c.what;
    ASSERT_EQ(view.hours.has_value(), c.shown.has_value()) << c.what;
    if (view.hours) {
      EXPECT_EQ(view.hours->source, c.shown->source) << c.what;
      EXPECT_NEAR(view.hours->hours, c.shown->hours, 1e-9) << c.what;
    }
  }
}

TEST(PowerReadingTap, PassesReadsOnAndWhileHeldAnswersTheLastReading) {
  FixedPowerSource source;
  const ScopedPowerSource installed(source);
  source.OnBattery(62);
  std::vector<int> observed;
  {
    PowerReadingTap tap([&](ULONGLONG, const std::optional<SYSTEM_POWER_STATUS_EX2>& status) {
      observed.push_back(status ? status->BatteryLifePercent : -1);
    });
    SYSTEM_POWER_STATUS_EX2 status{};
    ASSERT_NE(GetSystemPowerStatusEx2(&status, sizeof status, FALSE), 0u);
    source.OnBattery(61);
    {
      const PowerReadingTap::Hold held(tap);
      ASSERT_NE(GetSystemPowerStatusEx2(&status, sizeof status, FALSE), 0u);
      EXPECT_EQ(status.BatteryLifePercent, 62);
    }
    source.failing = true;
    EXPECT_EQ(GetSystemPowerStatusEx2(&status, sizeof status, FALSE), 0u);
    EXPECT_EQ(tap.last(), std::nullopt);
  }
  EXPECT_EQ(source.reads, 2);
  EXPECT_EQ(observed, (std::vector<int>{62, -1}));
  // Gone with the tap: reads reach the source again.
  SYSTEM_POWER_STATUS_EX2 status{};
  GetSystemPowerStatusEx2(&status, sizeof status, FALSE);
  EXPECT_EQ(source.reads, 3);
}

TEST(StatCoverage, CountsHoursWithDrainAndLoadsAgainOnlyWhenTheFileChangesOrTheHourMovesOn) {
  SimulatedClock clock(Utc(2024, 3, 9, 18, 20), 0);
  const ScopedClock clockGuard(clock);
  const TempFolder folder;
  const ScopedDeviceRoot root(folder);
  const std::string file = "Storage/My Documents/ZelvarPlugin.dat";
  // Hours 10 and 12 with drain, hour 11 with only a zero drop; a record 40 days old is outside the
  // window.
  folder.Write(file, "[version 1]\n2024.3.9.10:2,0,3\n2024.1.29.3:5,5\n");
  StatCoverage coverage(TEXT("\\Storage\\My Documents\\ZelvarPlugin.dat"), 30);
  EXPECT_EQ(coverage.Check().hoursWithDrain, 2u);
  EXPECT_EQ(coverage.Check().hoursWithDrain, 2u);
  EXPECT_EQ(coverage.loads(), 1u);

  folder.Write(file, "[version 1]\n2024.3.9.10:2,0,3\n2024.1.29.3:5,5\n2024.3.9.15:1\n");
  EXPECT_EQ(coverage.Check().hoursWithDrain, 3u);
  EXPECT_EQ(coverage.loads(), 2u);
  clock.SetUtc(Utc(2024, 3, 9, 18, 59));
  coverage.Check();
  EXPECT_EQ(coverage.loads(), 2u);
  clock.SetUtc(Utc(2024, 3, 9, 19, 0));
  coverage.Check();
  EXPECT_EQ(coverage.loads(), 3u);
}

TEST(ShownLineTest, TheChargeExternalPowerAndTheStatisticsAsTheLineShowsThem) {
  EXPECT_EQ(StatisticsShown("62%, hrs: 9.1 (3.5)"), 9.1);
  EXPECT_EQ(StatisticsShown("62%, hrs: 3.5/9.4"), std::nullopt);
  EXPECT_EQ(StatisticsShown("?%, hrs: 9.1 (3.5)"), std::nullopt);
  EXPECT_EQ(PercentShown(" 62%, hrs: 3.5/9.4"), 62);
  EXPECT_EQ(PercentShown(" 5%, -151 mA, hrs: 0.0/-?-"), 5);
  EXPECT_EQ(PercentShown(" ?%, hrs: N/A (online)"), std::nullopt);
  EXPECT_EQ(PercentShown("Battery status unknown"), std::nullopt);
  EXPECT_TRUE(OnlineShown(" 100%, hrs: N/A (online)"));
  EXPECT_FALSE(OnlineShown(" 62%, hrs: 9.1 (3.5)"));
}

}  // namespace
