// The host's one number parser: the whole text, decimal, within the range.
#include "host/hosting/checked_number.h"

#include <gtest/gtest.h>

namespace {

TEST(CheckedNumber, TheWholeTextOneDecimalNumberWithinTheRange) {
  const struct {
    const char* text;
    std::optional<int> whole;    // within 1..100
    std::optional<double> real;  // within 0.5..100
  } cases[] = {
      {"1", 1, 1.0},
      {"100", 100, 100.0},
      {"0", std::nullopt, std::nullopt},
      {"101", std::nullopt, std::nullopt},
      {"0.5", std::nullopt, 0.5},
      {"-1", std::nullopt, std::nullopt},
      {"+5", std::nullopt, std::nullopt},
      {" 5", std::nullopt, std::nullopt},
      {"5 ", std::nullopt, std::nullopt},
      {"5x", std::nullopt, std::nullopt},
      {"0x10", std::nullopt, std::nullopt},
      {"", std::nullopt, std::nullopt},
      {"1e2", std::nullopt, 100.0},
      {"inf", std::nullopt, std::nullopt},
      {"nan", std::nullopt, std::nullopt},
      {"99999999999999999999", std::nullopt, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CheckedNumber(c.text, 1, 100), c.whole) << c.text;
    EXPECT_EQ(CheckedNumber(c.text, 0.5, 100.0), c.real) << c.text;
  }
}

}  // namespace
