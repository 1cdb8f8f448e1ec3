// The Windows build's conformance checks run against the stand-in platform: every answer that the
// real runtime gives under Wine must come from the stand-in too.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "tests/conformance/standin_host_driver.h"
#include "windows/conformance/conformance_checks.h"

namespace {

// The zone scripts/test-windows gives Wine: central European, with daylight-saving switches that
// the time-zone checks cross.
constexpr const char* kZoneWithSwitches = "CET-1CEST,M3.5.0,M10.5.0/3";

}  // namespace

TEST(ConformanceTest, StandInGivesTheRuntimesAnswers) {
  const char* zone = getenv("TZ");
  const std::string previousZone = zone != nullptr ? zone : "";
  setenv("TZ", kZoneWithSwitches, 1);
  CheckReport report;
  {
    StandInHostDriver driver;
    RunConformanceChecks(driver, report);
  }
  zone != nullptr ? setenv("TZ", previousZone.c_str(), 1) : unsetenv("TZ");
  for (const std::string& failure : report.failures()) ADD_FAILURE() << failure;
  EXPECT_GT(report.passed(), 300);
}
