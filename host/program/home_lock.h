// One host per home keeps the plug-in's files. The keeper holds an exclusive flock on owner.lock in
// the state folder (beside the saved stream), which the system releases when the process ends,
// however it ends, and writes its process id into the file so that a second host can name it. A
// second host runs as a viewer: it shows the line but writes neither the stat file nor the saved
// state, so every hourly drop is filed once. A viewer takes the lock over once the keeper has ended.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>

class HomeLock {
 public:
  // The lock file in the folder that holds the saved stream.
  static std::filesystem::path FileFor(const std::filesystem::path& streamFile);

  // Takes the lock when no other process holds it. Throws HostError when the file cannot be opened.
  explicit HomeLock(std::filesystem::path file);
  ~HomeLock();
  HomeLock(const HomeLock&) = delete;
  HomeLock& operator=(const HomeLock&) = delete;

  bool owned() const { return owned_; }
  // For a viewer: takes the lock when its keeper has ended since (the system released it). True
  // only on the call that took it; costs one system call and no wait.
  bool TakeOverIfFree();
  // The process that holds the lock, as it wrote itself into the file; nullopt when this one holds
  // it or the holder has not written its id yet.
  std::optional<pid_t> holder() const { return holder_; }
  // For a viewer: who keeps the files and what this host will not do.
  std::string ViewerNotice() const;
  // For a viewer that took the lock over: that it keeps the files from now on.
  std::string TakeOverNotice() const;

 private:
  std::filesystem::path file_;
  int descriptor_ = -1;
  bool owned_ = false;
  std::optional<pid_t> holder_;
};
