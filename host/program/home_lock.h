// One host per home keeps the plug-in's files. The keeper holds an exclusive flock on owner.lock in
// the state folder (beside the saved stream), which the system releases when the process ends,
// however it ends, and writes its process id into the file so that a second host can name it. A
// second host runs as a viewer: it shows the line but writes neither the stat file nor the saved
// state, so every hourly drop is filed once. A viewer takes the lock over once the keeper has
// ended. A keeper that publishes its line for the bars that follow it (LinePublisher) says so on a
// second line of the file: "PID\npublishes its line\n".
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>

class HomeLock {
 public:
  // The lock file in the folder that holds the saved stream.
  static std::filesystem::path FileFor(const std::filesystem::path& streamFile);

  // Whether this host, once it keeps the files, publishes its line.
  enum class Publishes { No, Line };

  // Takes the lock when no other process holds it. Throws HostError when the file cannot be opened.
  HomeLock(std::filesystem::path file, Publishes publishes);
  ~HomeLock();
  HomeLock(const HomeLock&) = delete;
  HomeLock& operator=(const HomeLock&) = delete;

  bool owned() const { return owned_; }
  // For a viewer: takes the lock when its keeper has ended since (the system released it). True
  // only on the call that took it; costs one system call and no wait.
  bool TakeOverIfFree();
  // The process that holds the lock, as it wrote itself into the file, and whether it publishes its
  // line; nullopt when this one holds it or the holder has not written its id yet.
  struct Holder {
    pid_t pid;
    bool publishes;
  };
  const std::optional<Holder>& holder() const { return holder_; }
  // Reads the holder again: a new keeper writes itself into the file just after it took the lock.
  const std::optional<Holder>& ReadHolder();
  const std::filesystem::path& file() const { return file_; }
  // The lock file's device and inode numbers, "DEV-INODE": names what belongs to this home in a
  // folder that several homes share.
  std::string FileKey() const;
  // For a viewer: who keeps the files and what this host will not do.
  std::string ViewerNotice() const;
  // For a status bar or the service beside a keeper that publishes its line: who keeps the files
  // and that this host follows it.
  std::string FollowerNotice() const;
  // For a viewer that took the lock over: that it keeps the files from now on.
  std::string TakeOverNotice() const;

 private:
  // "process N keeps the plug-in's files (it holds FILE); this one ".
  std::string KeeperNotice() const;

  std::filesystem::path file_;
  int descriptor_ = -1;
  Publishes publishes_;
  bool owned_ = false;
  std::optional<Holder> holder_;
};
