// The built zelvar-home run as a user runs it, with HOME and the XDG folders inside a test's
// folder: plainly with its output captured, or on a terminal of its own, keys typed into it. It
// reaches the test's private system bus (PrivateSystemBus) if there is one, else none: never the
// machine's own.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>

struct ProgramRun {
  int exitCode;
  std::string out;
  std::string err;
};

// The shell command that runs the program with the arguments in that home; the runner adds the
// redirections. With asNobody (and the test running as root) it runs as the user nobody, for whom
// permissions hold, from a copy of the program that the user nobody can read.
std::string HostCommand(const std::filesystem::path& home, const std::string& arguments,
                        bool asNobody = false);

// Runs the program with standard input from /dev/null; standard error goes to errFile.
ProgramRun RunHostProgram(const std::filesystem::path& home, const std::string& arguments,
                          const std::filesystem::path& errFile, bool asNobody = false);

// The program on a terminal (a pty of 80x24); its standard error goes to errFile.
class HostOnTerminal {
 public:
  HostOnTerminal(const std::filesystem::path& home, const std::string& arguments,
                 const std::filesystem::path& errFile);
  // Kills the program if it still runs.
  ~HostOnTerminal();
  HostOnTerminal(const HostOnTerminal&) = delete;
  HostOnTerminal& operator=(const HostOnTerminal&) = delete;

  // Reads what the program writes until the screen holds the text or the time is up; answers
  // whether it appeared.
  bool WaitForScreen(const std::string& text,
                     std::chrono::milliseconds limit = std::chrono::seconds(20));
  // Reads what the program writes for a while: a program that paints often blocks on a terminal
  // nobody reads.
  void ReadFor(std::chrono::milliseconds limit);
  void Type(const std::string& keys) const;
  // Types q and waits for the program to end; answers its exit code (-1 when it had to be killed).
  int Quit();
  const std::string& screen() const { return screen_; }
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  int master_ = -1;
  std::string screen_;
};
