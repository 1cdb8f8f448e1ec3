// A status bar (or the service) whose home another host keeps and publishes its line from: instead
// of running the plug-in it prints the published line at each change, in its own form, and writes
// nothing. It sleeps without any timer: inotify tells of a new line and of a new keeper writing
// itself into the lock file, and a LockWait that the caller has the waiter watch (WakeReason::
// LockFreed) of the lock let go, after which it takes the files over. Of several followers the lock
// lets one take over; the others follow the new keeper.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "host/front/bar/bar_loop.h"
#include "host/front/bar/published_line.h"
#include "host/wait/file_changes.h"
#include "host/wait/poll_waiter.h"

class BarFollower {
 public:
  struct Keeper {
    bool publishes;                  // its line, for the bars that follow it
    std::filesystem::path lineFile;  // where it publishes it
  };
  // The home's lock as a follower sees it.
  struct Lock {
    std::filesystem::path file;
    // True when this host has just taken the lock; asked after every wait.
    std::function<bool()> takeOverIfFree;
    // The keeper as the lock file names it now; nullopt while a new keeper has not written itself
    // yet.
    std::function<std::optional<Keeper>()> keeper;
  };
  // Given one line for standard error, without the program's prefix.
  using Report = std::function<void(const std::string& message)>;

  BarFollower(Lock lock, PollWaiter& waiter, BarFormat format, BarLoop::Output output,
              BarLoop::StopRequested stopRequested, Report report);

  // Told of each line's text before it is written.
  void OnLine(BarLoop::LineObserver observer) { observer_ = std::move(observer); }

  // Stopped, OutputGone, TookOver, or CannotFollow when the keeper publishes no line (a terminal
  // screen, a full-speed run) or its line cannot be watched (said through the report).
  BarEnd Run();

 private:
  // Follows the keeper the lock file names now, and its line's file; false when it cannot.
  bool FollowKeeper(bool& lineChanged);
  // Writes the published line when it changed; false when the output failed.
  bool ShowPublished();

  Lock lock_;
  PollWaiter& waiter_;
  BarFormat format_;
  BarLoop::Output output_;
  BarLoop::StopRequested stopRequested_;
  Report report_;
  BarLoop::LineObserver observer_;
  std::optional<FileChanges> changes_;
  std::filesystem::path published_;
  std::optional<std::string> shownLine_;
  // A line that cannot be shown is said once.
  bool reported_ = false;
};
