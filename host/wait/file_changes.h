// Two files watched through one inotify descriptor, readable for poll() once either changed: one
// written in place, and one replaced whole by a rename into its folder (as ReplaceFileWhole
// replaces it), which may not exist yet. Nothing wakes a waiter while neither changes.
#pragma once

#include <filesystem>
#include <string>

class FileChanges {
 public:
  // Throws HostError when inotify or the watch cannot be had.
  explicit FileChanges(const std::filesystem::path& written);
  ~FileChanges();
  FileChanges(const FileChanges&) = delete;
  FileChanges& operator=(const FileChanges&) = delete;

  // From now on `replaced` instead of the file replaced before (none at first). Its folder must
  // exist: throws HostError when it cannot be watched.
  void WatchReplaced(const std::filesystem::path& replaced);

  int fd() const { return fd_; }

  struct Seen {
    bool replaced = false;
    bool written = false;
  };
  // Reads every event that waits, without waiting; a lost event (the queue overflowed) counts as
  // a change of both.
  Seen Read();

 private:
  int fd_;
  int writtenWatch_ = -1;
  int folderWatch_ = -1;
  std::string replacedName_;
};
