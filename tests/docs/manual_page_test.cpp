// The manual page and `zelvar-home --help` name the same options. Both are read as a reader sees
// them, so an option added to one and not the other fails here, whoever adds it:
// - in --help, an option line starts with at most three spaces and a dash, and its options stand
//   before the first gap of two spaces ("  -h, --help   show this help");
// - in the page, an option is a line of the OPTIONS section that starts with "*-"
//   ("*--home* _FILE_").
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "tests/fakes/temp_folder.h"
#include "tests/fakes/host_program.h"

namespace {

using OptionNames = std::set<std::string>;

// An option name starts the text or follows a blank, a comma, a bracket or the page's bold "*";
// "H-H" holds none.
const std::regex kOptionName(R"((?:^|[\s,\[*])(--?[A-Za-z][A-Za-z0-9-]*))");

void AddNames(const std::string& text, OptionNames& names) {
  for (auto match = std::sregex_iterator(text.begin(), text.end(), kOptionName);
       match != std::sregex_iterator(); ++match) {
    names.insert((*match)[1].str());
  }
}

OptionNames HelpOptions(const std::string& help) {
  static const std::regex optionLine(R"(^ {0,3}(-\S.*?)( {2,}.*)?$)");
  OptionNames names;
  std::istringstream lines(help);
  std::smatch match;
  for (std::string line; std::getline(lines, line);) {
    if (std::regex_match(line, match, optionLine)) AddNames(match[1].str(), names);
  }
  return names;
}

OptionNames PageOptions(const std::string& page) {
  OptionNames names;
  std::istringstream lines(page);
  bool inOptions = false;
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("# ")) inOptions = line == "# OPTIONS";
    if (inOptions && line.starts_with("*-")) AddNames(line, names);
  }
  return names;
}

std::string Missing(const OptionNames& from, const OptionNames& in) {
  std::string missing;
  for (const std::string& name : from) {
    if (!in.contains(name)) missing += " " + name;
  }
  return missing;
}

TEST(ManualPageTest, ReadsTheOptionsOfEitherForm) {
  EXPECT_EQ(
      HelpOptions(
          "Usage: x [OPTION]...\n  --once     print once\n                 --not-an-option here\n"
          "  --sysfs DIR  read -x here\n  -h, --help  show\n  --simulate[=SPEED]  run\n"
          "  --night H-H  charge\n  --bar [--json]  lines\n"),
      (OptionNames{"--once", "--sysfs", "-h", "--help", "--simulate", "--night", "--bar",
                   "--json"}));
  EXPECT_EQ(
      PageOptions("x(1)\n\n# NAME\n\n*--name*\n\n# OPTIONS\n\n*--once*\n\tPrint *--not* this.\n"
                  "*--home* _FILE_\n*-h*, *--help*\n\n# KEYS\n\n*-q*\n"),
      (OptionNames{"--once", "--home", "-h", "--help"}));
}

TEST(ManualPageTest, ThePageAndHelpNameTheSameOptions) {
  std::ifstream source(ZELVAR_MANUAL_PAGE_SOURCE);
  ASSERT_TRUE(source) << ZELVAR_MANUAL_PAGE_SOURCE;
  std::stringstream page;
  page << source.rdbuf();

  const TempFolder home;
  const OptionNames help =
      HelpOptions(RunHostProgram(home.path(), "--help", home.path() / "stderr").out);
  const OptionNames manual = PageOptions(page.str());
  ASSERT_TRUE(help.contains("--help"));
  EXPECT_EQ(Missing(help, manual), "") << "in --help but not in " << ZELVAR_MANUAL_PAGE_SOURCE;
  EXPECT_EQ(Missing(manual, help), "")
      << "in " << ZELVAR_MANUAL_PAGE_SOURCE << " but not in --help";
}

}  // namespace
