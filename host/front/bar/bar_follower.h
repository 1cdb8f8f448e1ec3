// A status bar (or the service) whose home another host keeps and publishes its line from: instead
// of running the plug-in it prints the published line at each change, in its own form, and writes
// nothing. It sleeps without any timer: inotify tells of a new line and of a new keeper writing
// itself into the lock file, a pidfd of the keeper's end, after which it takes the lock if it is
// still free. Of several followers the lock lets one take over; the others follow the new keeper.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "host/front/bar/bar_loop.h"
#include "host/front/bar/published_line.h"
#include "host/wait/poll_waiter.h"
#include "host/wait/process_end.h"

class BarFollower {
 public:
  struct Keeper {
    pid_t pid;
    bool publishes;  // its line, for the bars that follow it
  };
  // The home's lock as a follower sees it.
  struct Lock {
    std::filesystem::path file;
    // True when this host has just taken the lock.
    std::function<bool()> takeOverIfFree;
    // The keeper as the lock file names it now; nullopt while a new keeper has not written itself
    // yet.
    std::function<std::optional<Keeper>()> keeper;
  };
  // Given one line for standard error, without the program's prefix.
  using Report = std::function<void(const std::string& message)>;

  BarFollower(std::filesystem::path published, Lock lock, PollWaiter& waiter, BarFormat format,
              BarLoop::Output output, BarLoop::StopRequested stopRequested, Report report);

  // Told of each line's text before it is written.
  void OnLine(BarLoop::LineObserver observer) { observer_ = std::move(observer); }

  // Stopped, OutputGone, TookOver, or CannotFollow when the keeper publishes no line (a terminal
  // screen, a full-speed run) or its end cannot be watched (said through the report).
  BarEnd Run();

 private:
  enum class Watch { Followed, TookOver, Unfollowable };
  // Takes the lock when it is free, else watches the end of the keeper the lock file names.
  Watch WatchKeeper();
  // Writes the published line when it changed; false when the output failed.
  bool ShowPublished();

  std::filesystem::path published_;
  Lock lock_;
  PollWaiter& waiter_;
  BarFormat format_;
  BarLoop::Output output_;
  BarLoop::StopRequested stopRequested_;
  Report report_;
  BarLoop::LineObserver observer_;
  std::unique_ptr<ProcessEnd> keeperEnd_;
  // A keeper whose end was seen, while the lock file still names it.
  std::optional<pid_t> ended_;
  std::optional<std::string> shownLine_;
};
