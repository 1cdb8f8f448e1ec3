#include "host/wait/file_changes.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "host/hosting/host_error.h"

namespace {

[[noreturn]] void CannotWatch(const std::filesystem::path& path, int error) {
  throw HostError("cannot watch " + path.string() + " for changes: " + std::strerror(error));
}

}  // namespace

FileChanges::FileChanges(const std::filesystem::path& written)
    : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
  if (fd_ < 0)
    throw HostError(std::string("cannot watch files for changes: ") + std::strerror(errno));
  writtenWatch_ = inotify_add_watch(fd_, written.c_str(), IN_MODIFY);
  if (writtenWatch_ < 0) {
    const int error = errno;
    close(fd_);
    CannotWatch(written, error);
  }
}

void FileChanges::WatchReplaced(const std::filesystem::path& replaced) {
  const int watch = inotify_add_watch(fd_, replaced.parent_path().c_str(), IN_MOVED_TO);
  if (watch < 0) CannotWatch(replaced.parent_path(), errno);
  // A file in the same folder keeps the folder's watch.
  if (folderWatch_ >= 0 && folderWatch_ != watch) inotify_rm_watch(fd_, folderWatch_);
  folderWatch_ = watch;
  replacedName_ = replaced.filename().string();
}

FileChanges::~FileChanges() { close(fd_); }

FileChanges::Seen FileChanges::Read() {
  Seen seen;
  alignas(inotify_event) char buffer[4096];
  for (;;) {
    const ssize_t n = read(fd_, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return seen;
    for (ssize_t at = 0; at < n;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      if ((event->mask & IN_Q_OVERFLOW) != 0) seen = {true, true};
      if (event->wd == writtenWatch_) seen.written = true;
      // The folder holds other files too: the temporary ones, other homes' lines.
      if (event->wd == folderWatch_ && event->len > 0 && replacedName_ == event->name)
        seen.replaced = true;
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
}
