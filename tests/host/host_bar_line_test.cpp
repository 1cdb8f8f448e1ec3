// What one status-bar line holds: its JSON (read back with a JSON parser), the battery's class, the
// trust line, and the options that ask for it.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "host/bar/bar_line.h"
#include "host/bar/battery_class.h"
#include "host/bar/stat_coverage.h"
#include "host/options.h"

namespace {

TEST(BarJson, EveryTextSurvivesTheRoundTrip) {
  const std::string texts[] = {"",       "62%, hrs: 9.1 (3.5)", "say \"hi\"", "back\\slash", "a\nb\r\tc",
                               "\x01\x1f", "25.3\u00b0C",        "/ and \x7f"};
  for (const std::string& text : texts) {
    EXPECT_EQ(nlohmann::json::parse(JsonString(text)).get<std::string>(), text) << JsonString(text);
  }
}

TEST(BarJson, OneObjectOnOneLineWithThePercentageOnlyWhenKnown) {
  BarContent content{"62%, hrs: 1.0/-?-", "report\n\nStatistics: ...", "low", 62};
  const std::string line = JsonLine(content);
  EXPECT_EQ(line.find('\n'), std::string::npos);
  const nlohmann::json object = nlohmann::json::parse(line);
  EXPECT_EQ(object, nlohmann::json({{"text", content.text},
                                    {"tooltip", content.tooltip},
                                    {"class", "low"},
                                    {"percentage", 62}}));

  content.percentage.reset();
  EXPECT_FALSE(nlohmann::json::parse(JsonLine(content)).contains("percentage"));
}

TEST(BatteryClass, FollowsTheFlagAndTheMains) {
  const struct {
    BYTE acLine;
    BYTE flag;
    const char* batteryClass;
  } cases[] = {
      {AC_LINE_OFFLINE, BATTERY_FLAG_HIGH, "discharging"},   {AC_LINE_OFFLINE, BATTERY_FLAG_LOW, "low"},
      {AC_LINE_OFFLINE, BATTERY_FLAG_CRITICAL, "critical"},  {AC_LINE_ONLINE, BATTERY_FLAG_CHARGING, "charging"},
      {AC_LINE_UNKNOWN, BATTERY_FLAG_CHARGING, "charging"},  {AC_LINE_ONLINE, BATTERY_FLAG_HIGH, "full"},
      {AC_LINE_ONLINE, BATTERY_FLAG_NO_BATTERY, "unknown"},  {AC_LINE_OFFLINE, BATTERY_FLAG_UNKNOWN, "unknown"},
      {AC_LINE_UNKNOWN, 0, "discharging"},
  };
  for (const auto& c : cases) {
    SYSTEM_POWER_STATUS_EX2 status{};
    status.ACLineStatus = c.acLine;
    status.BatteryFlag = c.flag;
    EXPECT_STREQ(BatteryClass(status), c.batteryClass) << int{c.acLine} << " " << int{c.flag};
  }
  EXPECT_STREQ(BatteryClass(std::nullopt), "unknown");
}

TEST(StatCoverage, NamesTheHoursAndTheWindow) {
  EXPECT_EQ(CoverageLine(5, 30), "Statistics: samples for 5 of the 24 hours of the day (last 30 days)");
  EXPECT_EQ(CoverageLine(24, 1), "Statistics: samples for 24 of the 24 hours of the day (last day)");
  EXPECT_EQ(CoverageLine(0, -1), "Statistics: samples for 0 of the 24 hours of the day (any age)");
}

std::optional<HostOptions> Parse(std::vector<const char*> args, std::string& error) {
  args.insert(args.begin(), "zelvar-home");
  return ParseOptions(static_cast<int>(args.size()), args.data(), error);
}

TEST(BarOptions, JsonOnlyWithBarAndBarNotWithAOneOffRun) {
  std::string error;
  const auto plain = Parse({"--bar"}, error);
  ASSERT_TRUE(plain) << error;
  EXPECT_TRUE(plain->bar);
  EXPECT_FALSE(plain->json);
  const auto json = Parse({"--json", "--bar"}, error);
  ASSERT_TRUE(json) << error;
  EXPECT_TRUE(json->json);

  EXPECT_FALSE(Parse({"--json"}, error));
  EXPECT_EQ(error, "--json needs --bar");
  for (const std::vector<const char*>& wrong : {std::vector<const char*>{"--bar", "--once"},
                                                std::vector<const char*>{"--bar", "--simulate", "--days", "2"}}) {
    EXPECT_FALSE(Parse(wrong, error));
    EXPECT_EQ(error, "--bar does not go with --once, --days or --trace");
  }
}

}  // namespace
