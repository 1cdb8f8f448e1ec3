// The terminal screen of the built program, idle: it sleeps until the minute its clock shows
// changes (or the plug-in's timer), instead of waking every second.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <regex>

#include "tests/fakes/temp_folder.h"
#include "tests/host/host_program.h"

namespace {

// How often the process has gone to sleep and woken up again so far.
long VoluntarySwitches(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("voluntary_ctxt_switches:", 0) == 0) return std::stol(line.substr(line.find(':') + 1));
  }
  return -1;
}

TEST(HostIdle, TheTerminalScreenShowsMinutesAndSleepsBetweenThem) {
  TempFolder folder;
  for (const char* attribute : {"type=Battery", "status=Discharging", "present=1", "capacity=62"}) {
    const std::string text = attribute;
    folder.Write("sysfs/BAT0/" + text.substr(0, text.find('=')), text.substr(text.find('=') + 1) + "\n");
  }
  HostOnTerminal host(folder.path(), "--sysfs '" + (folder.path() / "sysfs").string() + "'", folder.path() / "stderr");
  ASSERT_TRUE(host.WaitForScreen("62%, hrs: ")) << host.screen();
  EXPECT_TRUE(std::regex_search(host.screen(), std::regex(R"(Zelvar home  \d{4}-\d\d-\d\d \d\d:\d\d  )"))) << host.screen();

  // After the plug-in's first refresh, a second after its start, three and a half idle seconds
  // hold at most a change of minute: a clock with seconds would have woken the program three
  // times at least.
  usleep(1'500'000);
  const long before = VoluntarySwitches(host.pid());
  ASSERT_GE(before, 0);
  usleep(3'500'000);
  EXPECT_LE(VoluntarySwitches(host.pid()) - before, 1);
  EXPECT_EQ(host.Quit(), 0);
}

}  // namespace
