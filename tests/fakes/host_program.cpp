#include "tests/fakes/host_program.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <sstream>

namespace {

constexpr uid_t kNobody = 65534;

std::string ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

int ExitCodeOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

// The program, its module and the platform library copied, in the build tree's layout, into a
// temporary folder that the user nobody can read: the build tree may lie in a folder that only root
// can enter (root's home, a mktemp -d folder). Made once per test process, removed at its end.
class CopyForNobody {
 public:
  CopyForNobody() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "zelvar-nobody-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
      throw std::runtime_error("cannot create a folder for nobody's copy");
    root_ = pattern;
    std::filesystem::permissions(root_, std::filesystem::perms(0755));
    std::filesystem::create_directories(root_ / "host");
    std::filesystem::create_directories(libraries());
    std::filesystem::copy_file(ZELVAR_HOME_FILE, program());
    std::filesystem::copy_file(ZELVARPLUG_FILE, libraries() / "zelvarplug.so");
    std::filesystem::copy_file(
        ZELVAR_PLATFORM_FILE, libraries() / std::filesystem::path(ZELVAR_PLATFORM_FILE).filename());
  }
  ~CopyForNobody() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  CopyForNobody(const CopyForNobody&) = delete;
  CopyForNobody& operator=(const CopyForNobody&) = delete;

  std::filesystem::path program() const { return root_ / "host" / "zelvar-home"; }
  // Where the program's search path, relative to its own folder, finds the libraries.
  std::filesystem::path libraries() const { return root_ / "lib" / "zelvar"; }

 private:
  std::filesystem::path root_;
};

const CopyForNobody& NobodysCopy() {
  static const CopyForNobody copy;
  return copy;
}

}  // namespace

std::string HostCommand(const std::filesystem::path& home, const std::string& arguments,
                        bool asNobody) {
  std::string environment =
      "env -u ZELVAR_REGISTRY -u ZELVAR_DEVICE_ROOT -u XDG_CONFIG_HOME -u XDG_STATE_HOME HOME='" +
      home.string() + "' XDG_DATA_HOME='" + home.string() + "/data' XDG_RUNTIME_DIR='" +
      home.string() + "' ";
  // Never the machine's own system bus, whose logind would act: the test's private one, or none.
  if (std::getenv("DBUS_SYSTEM_BUS_ADDRESS") == nullptr) {
    environment += "DBUS_SYSTEM_BUS_ADDRESS='unix:path=";
    environment += home.string();
    environment += "/no-system-bus' ";
  }
  if (!asNobody || geteuid() != 0) return environment + "'" + ZELVAR_HOME_FILE + "' " + arguments;
  const CopyForNobody& copy = NobodysCopy();
  return environment + "setpriv --reuid=" + std::to_string(kNobody) +
         " --regid=" + std::to_string(kNobody) + " --clear-groups '" + copy.program().string() +
         "' " + arguments;
}

ProgramRun RunHostProgram(const std::filesystem::path& home, const std::string& arguments,
                          const std::filesystem::path& errFile, bool asNobody) {
  const std::string command =
      HostCommand(home, arguments, asNobody) + " </dev/null 2>'" + errFile.string() + "'";
  FILE* pipe = popen(command.c_str(), "r");
  std::string out;
  char buffer[256];
  while (pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
  const int status = pipe != nullptr ? pclose(pipe) : -1;
  return {ExitCodeOf(status), out, ReadFile(errFile)};
}

HostOnTerminal::HostOnTerminal(const std::filesystem::path& home, const std::string& arguments,
                               const std::filesystem::path& errFile) {
  winsize size{};
  size.ws_row = 24;
  size.ws_col = 80;
  const std::string command =
      "exec " + HostCommand(home, arguments) + " 2>'" + errFile.string() + "'";
  pid_ = forkpty(&master_, nullptr, nullptr, &size);
  if (pid_ == 0) {
    execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    std::_Exit(127);
  }
}

HostOnTerminal::~HostOnTerminal() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (master_ >= 0) close(master_);
}

void HostOnTerminal::ReadFor(std::chrono::milliseconds limit) {
  pollfd output{master_, POLLIN, 0};
  if (poll(&output, 1, static_cast<int>(limit.count())) <= 0) return;
  char buffer[4096];
  const ssize_t n = read(master_, buffer, sizeof buffer);
  if (n > 0) {
    screen_.append(buffer, static_cast<size_t>(n));
  } else {
    usleep(10'000);  // the program has closed the terminal
  }
}

bool HostOnTerminal::WaitForScreen(const std::string& text, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (screen_.find(text) == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        end - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    ReadFor(std::min(left, std::chrono::milliseconds(100)));
  }
  return true;
}

void HostOnTerminal::Type(const std::string& keys) const {
  if (write(master_, keys.data(), keys.size()) < 0) std::perror("typing into the terminal");
}

int HostOnTerminal::Quit() {
  Type("q");
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  int status = 0;
  while (waitpid(pid_, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > end) return -1;
    ReadFor(std::chrono::milliseconds(50));
  }
  pid_ = -1;
  return ExitCodeOf(status);
}
