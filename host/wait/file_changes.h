// Two files watched through one inotify descriptor, readable for poll() once either changed: one
// replaced whole by a rename into its folder (as ReplaceFileWhole replaces it), which may not
// exist yet, and one written in place. Nothing wakes a waiter while neither changes.
#pragma once

#include <filesystem>
#include <string>

class FileChanges {
 public:
  // The folder of `replaced` must exist. Throws HostError when inotify or a watch cannot be had.
  FileChanges(const std::filesystem::path& replaced, const std::filesystem::path& written);
  ~FileChanges();
  FileChanges(const FileChanges&) = delete;
  FileChanges& operator=(const FileChanges&) = delete;

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
  int folderWatch_;
  int writtenWatch_;
  std::string replacedName_;
};
