// The Windows build's conformance checks run against the stand-in platform: every answer that the
// real runtime gives under Wine must come from the stand-in too.
#include <gtest/gtest.h>

#include "tests/conformance/standin_host_driver.h"
#include "windows/conformance/conformance_checks.h"

TEST(ConformanceTest, StandInGivesTheRuntimesAnswers) {
  CheckReport report;
  {
    StandInHostDriver driver;
    RunConformanceChecks(driver, report);
  }
  for (const std::string& failure : report.failures()) ADD_FAILURE() << failure;
  EXPECT_GT(report.passed(), 300);
}
