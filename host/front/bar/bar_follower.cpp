#include "host/front/bar/bar_follower.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "host/wait/file_changes.h"

BarFollower::BarFollower(std::filesystem::path published, Lock lock, PollWaiter& waiter,
                         BarFormat format, BarLoop::Output output,
                         BarLoop::StopRequested stopRequested, Report report)
    : published_(std::move(published)),
      lock_(std::move(lock)),
      waiter_(waiter),
      format_(format),
      output_(std::move(output)),
      stopRequested_(std::move(stopRequested)),
      report_(std::move(report)) {}

BarEnd BarFollower::Run() {
  std::error_code ignored;
  std::filesystem::create_directories(published_.parent_path(), ignored);
  // Watched before the first look, so that no line published meanwhile goes unseen.
  FileChanges changes(published_, lock_.file);
  waiter_.WatchReadable(WakeReason::FileChanged, changes.fd());
  const auto ended = [this](BarEnd end) {
    waiter_.WatchReadable(WakeReason::FileChanged, -1);
    waiter_.WatchReadable(WakeReason::ProcessEnded, -1);
    return end;
  };
  bool keeperChanged = true;
  bool lineChanged = true;
  while (!stopRequested_()) {
    if (keeperChanged) {
      const Watch watch = WatchKeeper();
      if (watch == Watch::TookOver) return ended(BarEnd::TookOver);
      if (watch == Watch::Unfollowable) return ended(BarEnd::CannotFollow);
    }
    if (lineChanged && !ShowPublished()) return ended(BarEnd::OutputGone);
    const WakeReason woken = waiter_.Wait(std::nullopt, -1, -1);
    if (woken == WakeReason::OutputGone) return ended(BarEnd::OutputGone);
    if (woken == WakeReason::ProcessEnded) {
      ended_ = keeperEnd_->pid();
      keeperEnd_.reset();
      waiter_.WatchReadable(WakeReason::ProcessEnded, -1);
    }
    const FileChanges::Seen seen =
        woken == WakeReason::FileChanged ? changes.Read() : FileChanges::Seen{};
    keeperChanged = woken == WakeReason::ProcessEnded || seen.written;
    lineChanged = seen.replaced;
  }
  return ended(BarEnd::Stopped);
}

BarFollower::Watch BarFollower::WatchKeeper() {
  for (;;) {
    if (lock_.takeOverIfFree()) return Watch::TookOver;
    const std::optional<Keeper> keeper = lock_.keeper();
    // A new keeper writes itself into the lock file next: its write wakes the follower.
    if (!keeper || keeper->pid == ended_) return Watch::Followed;
    if (!keeper->publishes) return Watch::Unfollowable;
    if (keeperEnd_ && keeperEnd_->pid() == keeper->pid) return Watch::Followed;
    int error = 0;
    keeperEnd_ = ProcessEnd::Open(keeper->pid, error);
    if (keeperEnd_) {
      waiter_.WatchReadable(WakeReason::ProcessEnded, keeperEnd_->fd());
      return Watch::Followed;
    }
    if (error != ESRCH) {
      report_("cannot watch for the end of process " + std::to_string(keeper->pid) +
              ", which keeps the files: " + std::strerror(error));
      return Watch::Unfollowable;
    }
    // Ended meanwhile: its lock is free now, unless a new keeper has taken it.
    ended_ = keeper->pid;
  }
}

bool BarFollower::ShowPublished() {
  std::ifstream file(published_, std::ios::binary);
  const std::string content(std::istreambuf_iterator<char>(file), {});
  const std::optional<PublishedLine> line = ParsePublishedFile(content);
  if (!line) return true;
  std::string shown = format_ == BarFormat::Json ? line->json : line->text;
  if (shown == shownLine_) return true;
  if (observer_) observer_(line->text);
  if (!output_(shown)) return false;
  shownLine_ = std::move(shown);
  return true;
}
