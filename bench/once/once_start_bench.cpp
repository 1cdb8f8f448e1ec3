// A whole `zelvar-home --once` process against a minimal C reader of the same sysfs files
// (battery_reader.c), side by side on one fixture tree: the median CPU time (user + system, from
// wait4) of many runs of each, alternating, and where valgrind is installed the instructions of one
// run of each, the loader included. Goals: at most twice the reader's CPU time, at most 1.5
// million instructions.
#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kRuns = 201;
constexpr double kMostTimesTheReader = 2.0;
constexpr long kMostInstructions = 1'500'000;

// A laptop discharging on its battery, its adapter unplugged (what a Dell's sysfs lists).
void BuildTree(const fs::path& root) {
  const std::vector<std::pair<std::string, std::string>> files = {{"BAT0/type", "Battery"},
                                                                  {"BAT0/status", "Discharging"},
                                                                  {"BAT0/present", "1"},
                                                                  {"BAT0/technology", "Li-poly"},
                                                                  {"BAT0/voltage_now", "12600000"},
                                                                  {"BAT0/current_now", "756000"},
                                                                  {"BAT0/charge_full", "4804000"},
                                                                  {"BAT0/charge_now", "4723000"},
                                                                  {"BAT0/capacity", "98"},
                                                                  {"BAT0/capacity_level", "Normal"},
                                                                  {"BAT0/manufacturer", "SMP"},
                                                                  {"BAT0/uevent", ""},
                                                                  {"AC/type", "Mains"},
                                                                  {"AC/online", "0"},
                                                                  {"AC/uevent", ""}};
  for (const auto& [file, text] : files) {
    fs::create_directories((root / file).parent_path());
    std::ofstream(root / file) << text << '\n';
  }
}

// Runs the command with standard output and error to `output` (or /dev/null); its CPU time in µs.
long RunForCpuTime(const std::vector<std::string>& command, const char* output = "/dev/null") {
  const pid_t child = fork();
  if (child == 0) {
    const int fd = open(output, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(fd, STDOUT_FILENO);
    dup2(fd, STDERR_FILENO);
    std::vector<char*> arguments;
    arguments.reserve(command.size() + 1);
    for (const std::string& argument : command)
      arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);
    execvp(arguments[0], arguments.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "once_start_bench: %s failed\n", command[0].c_str());
    std::exit(1);
  }
  const auto micros = [](const timeval& time) { return time.tv_sec * 1'000'000L + time.tv_usec; };
  return micros(usage.ru_utime) + micros(usage.ru_stime);
}

long Median(std::vector<long> values) {
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2),
                   values.end());
  return values[values.size() / 2];
}

// One run under callgrind, children not traced: every instruction of the process, loader included.
std::optional<long> Instructions(const std::vector<std::string>& command, const fs::path& scratch) {
  if (std::system("command -v valgrind >/dev/null 2>&1") != 0) return std::nullopt;
  std::vector<std::string> traced = {"valgrind", "--tool=callgrind", "--trace-children=no",
                                     "--callgrind-out-file=/dev/null"};
  traced.insert(traced.end(), command.begin(), command.end());
  const fs::path log = scratch / "callgrind.log";
  RunForCpuTime(traced, log.c_str());
  std::ifstream in(log);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::smatch match;
  if (!std::regex_search(text, match, std::regex("Collected : ([0-9]+)"))) return std::nullopt;
  return std::stol(match[1]);
}

std::string ReadText(const fs::path& file) {
  std::ifstream in(file);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

int main() {
  char pattern[] = "/tmp/zelvar-once-bench-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return 1;
  const fs::path scratch = pattern;
  const fs::path tree = scratch / "power_supply";
  BuildTree(tree);
  // A home of its own: the first run registers the module and writes the home-screen file.
  setenv("HOME", (scratch / "home").c_str(), 1);
  for (const char* name : {"XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_DATA_HOME", "ZELVAR_REGISTRY",
                           "ZELVAR_DEVICE_ROOT"}) {
    unsetenv(name);
  }
  const std::vector<std::string> once = {ZELVAR_HOME_PROGRAM, "--once", "--sysfs", tree.string()};
  const std::vector<std::string> reader = {BATTERY_READER_PROGRAM, tree.string()};
  RunForCpuTime(once);

  // Both must have read the battery before their times mean anything.
  RunForCpuTime(once, (scratch / "once.txt").c_str());
  RunForCpuTime(reader, (scratch / "reader.txt").c_str());
  const std::string line = ReadText(scratch / "once.txt");
  if (line.rfind("98%", 0) != 0 ||
      ReadText(scratch / "reader.txt").find("BAT0: 98%") == std::string::npos) {
    std::fprintf(stderr, "once_start_bench: the two programs did not read the battery alike: %s",
                 line.c_str());
    return 1;
  }

  std::vector<long> onceTimes, readerTimes;
  for (int run = 0; run < kRuns; ++run) {
    onceTimes.push_back(RunForCpuTime(once));
    readerTimes.push_back(RunForCpuTime(reader));
  }
  const long onceMedian = Median(onceTimes);
  const long readerMedian = Median(readerTimes);
  const double ratio =
      static_cast<double>(onceMedian) / static_cast<double>(std::max(readerMedian, 1L));
  std::printf(
      "CPU time, median of %d runs each: zelvar-home --once %ld us, C reader %ld us: %.2f times "
      "(goal: at most %.1f)\n",
      kRuns, onceMedian, readerMedian, ratio, kMostTimesTheReader);

  const std::optional<long> onceInstructions = Instructions(once, scratch);
  const std::optional<long> readerInstructions = Instructions(reader, scratch);
  if (onceInstructions && readerInstructions) {
    std::printf(
        "instructions (callgrind, one run each): zelvar-home --once %ld, C reader %ld (goal: at "
        "most %ld)\n",
        *onceInstructions, *readerInstructions, kMostInstructions);
  } else {
    std::printf("instructions: valgrind not installed\n");
  }
  fs::remove_all(scratch);
  const bool met =
      ratio <= kMostTimesTheReader && (!onceInstructions || *onceInstructions <= kMostInstructions);
  std::printf("%s\n", met ? "within both limits" : "OUTSIDE a limit");
  return 0;
}
