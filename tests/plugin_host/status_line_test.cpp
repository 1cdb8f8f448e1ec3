#include "plugin_host/status_line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include "platform/text/narrow_format.h"

namespace {

// The status line as the formatting routine writes it, one format call per piece: what the line
// writer must match character for character.
std::string FormattedLine(const StatusLineFigures& f) {
  const auto first = static_cast<double>(f.first), second = static_cast<double>(f.second);
  std::string estimate;
  switch (f.form) {
    case EstimateForm::Online:
      estimate = "N/A (online)";
      break;
    case EstimateForm::Estimate:
      estimate = NarrowFormat("%.1f (%.1f)", first, second);
      break;
    case EstimateForm::ElapsedOnly:
      estimate = NarrowFormat("%.1f/-?-", first);
      break;
    case EstimateForm::Extrapolation:
      estimate = NarrowFormat("%.1f/%.1f", first, second);
      break;
    case EstimateForm::UnknownEstimate:
      estimate = NarrowFormat("-?- (%.1f)", first);
      break;
  }
  const std::string current = NarrowFormat("%d mA, ", static_cast<int>(f.current));
  const std::string percent =
      f.percent <= 100 ? NarrowFormat("%d", static_cast<int>(f.percent)) : "?";
  return NarrowFormat(" %s%%, %shrs: %s", percent.c_str(), f.withCurrent ? current.c_str() : "",
                      estimate.c_str());
}

std::string Written(const StatusLineFigures& figures) {
  WString line = TEXT("an earlier, longer line that the new one replaces");
  FormatStatusLine(figures, line);
  return NarrowUtf8(line);
}

TEST(StatusLine, TheDocumentedLines) {
  const struct {
    StatusLineFigures figures;
    const char* line;
  } cases[] = {
      {{85, false, -151, EstimateForm::ElapsedOnly, 0.0f, 0.0f}, " 85%, hrs: 0.0/-?-"},
      {{62, false, -151, EstimateForm::Extrapolation, 3.5f, 9.4f}, " 62%, hrs: 3.5/9.4"},
      {{62, false, -151, EstimateForm::Estimate, 9.1f, 3.5f}, " 62%, hrs: 9.1 (3.5)"},
      {{62, true, -151, EstimateForm::Estimate, 9.1f, 3.5f}, " 62%, -151 mA, hrs: 9.1 (3.5)"},
      {{100, false, 900, EstimateForm::Online, 0.0f, 0.0f}, " 100%, hrs: N/A (online)"},
      {{255, false, 0, EstimateForm::UnknownEstimate, 1.75f, 0.0f}, " ?%, hrs: -?- (1.8)"},
      {{101, false, 0, EstimateForm::ElapsedOnly, -0.04f, 0.0f}, " ?%, hrs: -0.0/-?-"},
      {{0, true, 0, EstimateForm::Extrapolation, 0.25f, -2.0f},
       " 0%, 0 mA, hrs: 0.2/-2.0"},  // a tie rounds to even
  };
  for (const auto& c : cases) EXPECT_EQ(Written(c.figures), c.line);
}

// Every form the line takes, written and read back: the figures the writer took (to the tenth the
// line shows, with what a form does not show as 0) and the same text again.
TEST(StatusLine, EveryFormReadsBackAsTheFiguresItWasWrittenFrom) {
  const float inf = INFINITY;
  const StatusLineFigures rows[] = {
      {62, false, 0, EstimateForm::Estimate, 9.1f, 3.5f},
      {62, true, -151, EstimateForm::Estimate, 311.3f, 1.5f},
      {62, false, 0, EstimateForm::Extrapolation, 3.5f, 9.4f},
      {85, false, 0, EstimateForm::ElapsedOnly, 0.0f, 0.0f},
      {40, false, 0, EstimateForm::Extrapolation, 2.0f, inf},
      {40, true, 2147483647, EstimateForm::Estimate, -inf, 0.2f},
      {100, false, 0, EstimateForm::Online, 0.0f, 0.0f},
      {100, true, 900, EstimateForm::Online, 0.0f, 0.0f},
      {BATTERY_PERCENTAGE_UNKNOWN, false, 0, EstimateForm::UnknownEstimate, 1.8f, 0.0f},
      {BATTERY_PERCENTAGE_UNKNOWN, true, 0, EstimateForm::ElapsedOnly, 12.0f, 0.0f},
      {0, true, -2147483647 - 1, EstimateForm::Extrapolation, -0.1f, -2.0f},
      {-3, false, 0, EstimateForm::Estimate, 123456.7f, 0.0f},
  };
  for (const StatusLineFigures& figures : rows) {
    const std::string line = Written(figures);
    EXPECT_EQ(ParseStatusLine(line), figures) << line;
    EXPECT_EQ(ParseStatusLine(line.substr(1)), figures) << "without its blank: " << line;
    EXPECT_EQ(Written(*ParseStatusLine(line)), line);
  }
  // A sign that shows on nothing but zero, and a figure that is no number, come back as written.
  for (const char* line : {" 5%, hrs: -0.0/-?-", " 5%, hrs: nan (-nan)"})
    EXPECT_EQ(Written(*ParseStatusLine(line)), line);
}

TEST(StatusLine, OtherTextsHoldNoFigures) {
  for (const char* text :
       {"Battery status unknown", "", " 62%, hrs: 9.1", " 62%, hrs: 9.1 (3.5) ",
        " 62%, hrs: 9.1 (3.5", " 62%,  hrs: 9.1 (3.5)", " 101%, hrs: 9.1 (3.5)",
        " 62%, mA, hrs: 9.1 (3.5)", " 62%, hrs: 9.15 (3.5)", " 62%, hrs: 9 (3.5)",
        " 62%, hrs: .5/1.0", " 62%, hrs: N/A", " 62%, hrs: 3.5/-?- (1.0)"})
    EXPECT_EQ(ParseStatusLine(text), std::nullopt) << text;
}

// Hours of every kind: exact ties of the rounding, neighbours of the ties, ordinary values, both
// signs, and any bit pattern at all (huge values, infinities and NaN among them).
float RandomHours(std::mt19937& random) {
  switch (random() % 5) {
    case 0:
      return static_cast<float>(static_cast<int>(random() % 40001) - 20000) / 4.0f;
    case 1: {
      const float tie = static_cast<float>(static_cast<int>(random() % 200001) - 100000) * 0.05f;
      return std::nextafter(tie, random() % 2 == 0 ? 1e30f : -1e30f);
    }
    case 2:
      return std::uniform_real_distribution<float>(-5000.0f, 50000.0f)(random);
    case 3:
      return std::uniform_real_distribution<float>(-1.0f, 1.0f)(random);
    default: {
      const uint32_t bits = static_cast<uint32_t>(random());
      float any;
      std::memcpy(&any, &bits, sizeof any);
      return any;
    }
  }
}

TEST(StatusLine, WritesWhatTheFormattingRoutineWritesOver40000Lines) {
  std::mt19937 random(20261208);
  int differing = 0;
  for (int i = 0; i < 40000; ++i) {
    StatusLineFigures f;
    f.percent = static_cast<LONG>(random() % 256);
    f.withCurrent = random() % 2 == 0;
    f.current =
        random() % 4 == 0 ? static_cast<LONG>(random()) : static_cast<LONG>(random() % 4001) - 2000;
    f.form = static_cast<EstimateForm>(random() % 5);
    f.first = RandomHours(random);
    f.second = RandomHours(random);
    const std::string expected = FormattedLine(f);
    const std::string written = Written(f);
    if (written != expected && ++differing <= 10)
      ADD_FAILURE() << "expected \"" << expected << "\", wrote \"" << written << "\"";
  }
  EXPECT_EQ(differing, 0);
}

}  // namespace
