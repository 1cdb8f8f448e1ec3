// One host per home keeps the plug-in's files. The keeper holds an exclusive flock on owner.lock in
// the state folder (beside the saved stream), which the system releases when the process ends,
// however it ends, and writes its process id into the file so that a second host can name it. A
// second host runs as a viewer: it shows the line but writes neither the stat file nor the saved
// state, so every hourly drop is filed once. A viewer takes the lock over once the keeper has let
// it go: whether it can is the lock's to say, not the process id's. A keeper that publishes its
// line for the bars that follow it (LinePublisher) says so, and where, on the next lines of the
// file: "PID\npublishes its line\nFILE\n" (a keeper of an older version wrote no FILE).
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "host/wait/lock_wait.h"

class HomeLock {
 public:
  // The lock file in the folder that holds the saved stream.
  static std::filesystem::path FileFor(const std::filesystem::path& streamFile);

  // Takes the lock when no other process holds it. `publishesIn`: the folder this host publishes
  // its line in once it keeps the files (PublishingFolder), nullopt when it publishes none. A file
  // that cannot be opened (a read-only state folder) leaves the host a viewer without a lock, as
  // ViewerNotice says; a symbolic link in its place throws HostError.
  HomeLock(std::filesystem::path file, std::optional<std::filesystem::path> publishesIn);
  ~HomeLock();
  HomeLock(const HomeLock&) = delete;
  HomeLock& operator=(const HomeLock&) = delete;

  bool owned() const { return owned_; }
  // Whether the lock file is open: a host without one can neither keep the files nor follow.
  bool opened() const { return descriptor_ >= 0; }
  // For a viewer: takes the lock when its keeper has let it go. True only on the call that took
  // it; costs one system call and no wait.
  bool TakeOverIfFree();
  // For a viewer: readable for poll() once the lock is free and this host holds it (a LockWait,
  // started on the first call), after which TakeOverIfFree takes the files over; -1 without a lock
  // file.
  int FreedFd();
  // The process that holds the lock, as it wrote itself into the file, whether it publishes its
  // line and where; nullopt when this one holds it or the holder has not written its id yet.
  struct Holder {
    pid_t pid;
    bool publishes;
    std::optional<std::filesystem::path> lineFile;  // nullopt: an older keeper, which did not say
  };
  const std::optional<Holder>& holder() const { return holder_; }
  // Reads the holder again: a new keeper writes itself into the file just after it took the lock.
  const std::optional<Holder>& ReadHolder();
  const std::filesystem::path& file() const { return file_; }
  // Where this host publishes its line once it keeps the files; empty when it publishes none.
  std::filesystem::path LineFile() const;
  // For a viewer: who keeps the files and what this host will not do.
  std::string ViewerNotice() const;
  // For a status bar or the service beside a keeper that publishes its line: who keeps the files
  // and that this host follows it.
  std::string FollowerNotice() const;
  // For a viewer that took the lock over: that it keeps the files from now on.
  std::string TakeOverNotice() const;

 private:
  // "process N keeps the plug-in's files (it holds FILE); this one ", or why there is no lock.
  std::string KeeperNotice() const;

  std::filesystem::path file_;
  int descriptor_ = -1;
  // Why the file could not be opened.
  std::string openFailure_;
  std::optional<std::filesystem::path> publishesIn_;
  bool owned_ = false;
  std::optional<Holder> holder_;
  std::unique_ptr<LockWait> freed_;
};
