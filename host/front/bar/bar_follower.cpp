#include "host/front/bar/bar_follower.h"

#include "host/hosting/host_error.h"

BarFollower::BarFollower(Lock lock, PollWaiter& waiter, BarFormat format, BarLoop::Output output,
                         BarLoop::StopRequested stopRequested, Report report)
    : lock_(std::move(lock)),
      waiter_(waiter),
      format_(format),
      output_(std::move(output)),
      stopRequested_(std::move(stopRequested)),
      report_(std::move(report)) {}

BarEnd BarFollower::Run() {
  // Watched before the first look, so that no keeper or line that comes meanwhile goes unseen.
  changes_.emplace(lock_.file);
  waiter_.WatchReadable(WakeReason::FileChanged, changes_->fd());
  const auto ended = [this](BarEnd end) {
    waiter_.WatchReadable(WakeReason::FileChanged, -1);
    changes_.reset();
    published_.clear();
    return end;
  };
  bool keeperChanged = true;
  bool lineChanged = true;
  while (!stopRequested_()) {
    if (lock_.takeOverIfFree()) return ended(BarEnd::TookOver);
    if (keeperChanged && !FollowKeeper(lineChanged)) return ended(BarEnd::CannotFollow);
    if (lineChanged && !ShowPublished()) return ended(BarEnd::OutputGone);
    const WakeReason woken = waiter_.Wait(std::nullopt, -1, -1);
    if (woken == WakeReason::OutputGone) return ended(BarEnd::OutputGone);
    const FileChanges::Seen seen =
        woken == WakeReason::FileChanged ? changes_->Read() : FileChanges::Seen{};
    keeperChanged = seen.written;
    lineChanged = seen.replaced;
  }
  return ended(BarEnd::Stopped);
}

bool BarFollower::FollowKeeper(bool& lineChanged) {
  const std::optional<Keeper> keeper = lock_.keeper();
  // A new keeper writes itself into the lock file next: its write wakes the follower.
  if (!keeper) return true;
  if (!keeper->publishes) return false;
  if (keeper->lineFile == published_) return true;
  try {
    changes_->WatchReplaced(keeper->lineFile);
  } catch (const HostError& failure) {
    report_(failure.what());
    return false;
  }
  published_ = keeper->lineFile;
  lineChanged = true;
  return true;
}

bool BarFollower::ShowPublished() {
  const Outcome<std::optional<PublishedLine>> read = ReadPublishedFile(published_);
  if (!read.ok() && !reported_) report_("cannot show the keeper's line: " + read.problem());
  reported_ = reported_ || !read.ok();
  if (!read.ok() || !read.value()) return true;
  const std::optional<PublishedLine>& line = read.value();
  std::string shown = format_ == BarFormat::Json ? line->json : line->text;
  if (shown == shownLine_) return true;
  if (observer_) observer_(line->text);
  if (!output_(shown)) return false;
  shownLine_ = std::move(shown);
  return true;
}
