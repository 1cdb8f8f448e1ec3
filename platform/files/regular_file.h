// Opening and reading the files the programs keep, without waiting on anything that is not a file:
// opening a FIFO waits for a writer for ever, and a device such as /dev/zero never ends. Every
// file is opened non-blocking and close-on-exec, kept only when the open descriptor is a regular
// file, and read up to a byte limit that each reader sets with room above its largest real file.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

inline constexpr size_t kKibibyte = 1024;
inline constexpr size_t kMebibyte = 1024 * kKibibyte;

// Opens path with the open(2) flags given plus O_NONBLOCK and O_CLOEXEC (mode for a created file),
// and keeps the descriptor only when it is a regular file, on which O_NONBLOCK changes nothing.
// Answers the descriptor, or -1 with errno set and cause saying why in words, to follow the file's
// name in a message: the system's text for a failed open ("No such file or directory" with ENOENT),
// "Is a directory" (EISDIR) for a folder, "not a regular file (a FIFO)" (EINVAL) and the like.
int OpenRegularFile(const std::string& path, int flags, mode_t mode, std::string& cause);

struct FileRead {
  enum class Outcome { kRead, kMissing, kFailed };
  Outcome outcome;
  std::string text;   // the whole file, when read
  std::string cause;  // when not read: why, as OpenRegularFile words it, or "larger than 1 MiB"
};

// The whole of a regular file of at most byteLimit bytes. A file that does not exist is kMissing;
// anything else that keeps it from being read whole (not a regular file, larger than the limit, a
// failed read) is kFailed with its cause.
FileRead ReadRegularFile(const std::string& path, size_t byteLimit);

// The same for a file that only this user can have written: a symbolic link in its place is not
// followed (its cause the system's "Too many levels of symbolic links"), and a file owned by
// another user ("owned by user N") or writable by its group or others ("writable by other users")
// is kFailed unread.
FileRead ReadOwnFile(const std::string& path, size_t byteLimit);

// "4 MiB", "64 KiB" or "100 bytes": a byte limit as a message gives it.
std::string ByteCountText(size_t bytes);
