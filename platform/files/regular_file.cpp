#include "platform/files/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

const char* KindOf(mode_t mode) {
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a file";
}

// Why a file of this type is refused, with the errno that goes with it.
int Refusal(mode_t mode, std::string& cause) {
  if (S_ISDIR(mode)) {
    cause = std::strerror(EISDIR);
    return EISDIR;
  }
  cause = std::string("not a regular file (") + KindOf(mode) + ")";
  return EINVAL;
}

}  // namespace

int OpenRegularFile(const std::string& path, int flags, mode_t mode, std::string& cause) {
  const int descriptor = open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, mode);
  struct stat status {};
  if (descriptor < 0) {
    int error = errno;
    cause = std::strerror(error);
    // A FIFO without a reader refuses a non-blocking open for writing (ENXIO): name it for what it
    // is.
    if (error == ENXIO && stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
      error = Refusal(status.st_mode, cause);
    }
    errno = error;
    return -1;
  }
  if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
    int error = errno;
    cause = std::strerror(error);
    if (status.st_mode != 0) error = Refusal(status.st_mode, cause);
    close(descriptor);
    errno = error;
    return -1;
  }
  return descriptor;
}

namespace {

// The whole of an open regular file of at most byteLimit bytes; closes it.
FileRead ReadOpenFile(int descriptor, size_t byteLimit) {
  FileRead read{FileRead::Outcome::kFailed, {}, {}};
  const std::string tooLarge = "larger than " + ByteCountText(byteLimit);
  struct stat status {};
  if (fstat(descriptor, &status) == 0 &&
      static_cast<unsigned long long>(status.st_size) > byteLimit) {
    close(descriptor);
    read.cause = tooLarge;
    return read;
  }
  // Read until the end, or one byte past the limit for a file that grew beyond it since.
  char buffer[64 * kKibibyte];
  for (;;) {
    const ssize_t count = ::read(descriptor, buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) {
      if (count < 0) read.cause = std::strerror(errno);
      break;
    }
    read.text.append(buffer, static_cast<size_t>(count));
    if (read.text.size() > byteLimit) {
      read.cause = tooLarge;
      break;
    }
  }
  close(descriptor);
  if (!read.cause.empty()) {
    read.text.clear();
    return read;
  }
  read.outcome = FileRead::Outcome::kRead;
  return read;
}

// Opens path for reading with the flags given; a failure is the FileRead to answer.
int OpenForReading(const std::string& path, int flags, FileRead& failure) {
  failure = {FileRead::Outcome::kFailed, {}, {}};
  const int descriptor = OpenRegularFile(path, O_RDONLY | flags, 0, failure.cause);
  if (descriptor < 0 && errno == ENOENT) failure.outcome = FileRead::Outcome::kMissing;
  return descriptor;
}

}  // namespace

FileRead ReadRegularFile(const std::string& path, size_t byteLimit) {
  FileRead failure;
  const int descriptor = OpenForReading(path, 0, failure);
  return descriptor < 0 ? failure : ReadOpenFile(descriptor, byteLimit);
}

FileRead ReadOwnFile(const std::string& path, size_t byteLimit) {
  FileRead failure;
  const int descriptor = OpenForReading(path, O_NOFOLLOW, failure);
  if (descriptor < 0) return failure;
  struct stat status {};
  if (fstat(descriptor, &status) != 0) {
    failure.cause = std::strerror(errno);
  } else if (status.st_uid != geteuid()) {
    failure.cause = "owned by user " + std::to_string(status.st_uid);
  } else if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    failure.cause = "writable by other users";
  } else {
    return ReadOpenFile(descriptor, byteLimit);
  }
  close(descriptor);
  return failure;
}

std::string ByteCountText(size_t bytes) {
  if (bytes >= kMebibyte && bytes % kMebibyte == 0)
    return std::to_string(bytes / kMebibyte) + " MiB";
  if (bytes >= kKibibyte && bytes % kKibibyte == 0)
    return std::to_string(bytes / kKibibyte) + " KiB";
  return std::to_string(bytes) + " bytes";
}
