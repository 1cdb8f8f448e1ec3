#include "host/front/bar/home_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <limits>
#include <string_view>

#include "host/front/bar/published_line.h"
#include "host/hosting/checked_number.h"
#include "host/hosting/host_error.h"
#include "platform/files/user_folders.h"

namespace {

constexpr std::string_view kPublishesLine = "publishes its line\n";

std::optional<HomeLock::Holder> ReadHolderFrom(int descriptor) {
  // The id, what the keeper does beside keeping the files, and a path of the system's longest.
  char text[64 + PATH_MAX] = {};
  const ssize_t n = pread(descriptor, text, sizeof text, 0);
  if (n <= 0) return std::nullopt;
  const std::string_view content(text, static_cast<size_t>(n));
  const size_t end = content.find('\n');
  const std::optional<pid_t> id =
      CheckedNumber(content.substr(0, end), pid_t{1}, std::numeric_limits<pid_t>::max());
  if (!id) return std::nullopt;
  HomeLock::Holder holder{*id, false, std::nullopt};
  const std::string_view rest = content.substr(end + 1);
  holder.publishes =
      end != std::string_view::npos && rest.substr(0, kPublishesLine.size()) == kPublishesLine;
  // The line's file, to the file's last line break: a path may hold line breaks of its own.
  const std::string_view file = rest.substr(std::min(rest.size(), kPublishesLine.size()));
  const std::filesystem::path line(file.substr(0, file.size() - 1));
  if (holder.publishes && !file.empty() && file.back() == '\n' && line.is_absolute())
    holder.lineFile = line;
  return holder;
}

// Takes the exclusive lock without waiting; errno tells why not.
bool LockWithoutWaiting(int descriptor) {
  int locked;
  do {
    locked = flock(descriptor, LOCK_EX | LOCK_NB);
  } while (locked != 0 && errno == EINTR);
  return locked == 0;
}

// "DEV-INODE" of the open file: names what belongs to this home in a folder that several homes
// share.
std::string FileKey(int descriptor) {
  struct stat status {};
  fstat(descriptor, &status);
  return std::to_string(status.st_dev) + "-" + std::to_string(status.st_ino);
}

void WriteHolder(int descriptor, const std::filesystem::path& lineFile) {
  std::string text = std::to_string(getpid()) + "\n";
  if (!lineFile.empty()) text += std::string(kPublishesLine) + lineFile.string() + "\n";
  if (ftruncate(descriptor, 0) == 0) {
    // Only a help for the message of a second host and for its followers: the lock itself does
    // not depend on it.
    [[maybe_unused]] const ssize_t written = pwrite(descriptor, text.data(), text.size(), 0);
  }
}

}  // namespace

std::filesystem::path HomeLock::FileFor(const std::filesystem::path& streamFile) {
  return streamFile.parent_path() / "owner.lock";
}

HomeLock::HomeLock(std::filesystem::path file, std::optional<std::filesystem::path> publishesIn)
    : file_(std::move(file)), publishesIn_(std::move(publishesIn)) {
  const std::error_code folderError =
      file_.has_parent_path() ? CreateUserFolders(file_.parent_path()) : std::error_code();
  // Never through a link: the process id written below would truncate whatever file it names.
  descriptor_ = open(file_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (descriptor_ < 0 && errno == ELOOP) {
    throw HostError("the lock file " + file_.string() +
                    " is a symbolic link; remove it and start again");
  }
  if (descriptor_ < 0) {
    openFailure_ = "cannot open the lock file " + file_.string() + ": " +
                   (folderError ? folderError.message() : std::strerror(errno));
    return;
  }
  if (LockWithoutWaiting(descriptor_)) {
    owned_ = true;
    WriteHolder(descriptor_, LineFile());
  } else if (errno == EWOULDBLOCK) {
    ReadHolder();
  } else {
    const int error = errno;
    close(descriptor_);
    throw HostError("cannot lock " + file_.string() + ": " + std::strerror(error));
  }
}

HomeLock::~HomeLock() {
  if (descriptor_ >= 0) close(descriptor_);
}

bool HomeLock::TakeOverIfFree() {
  if (owned_ || !LockWithoutWaiting(descriptor_)) return false;
  owned_ = true;
  WriteHolder(descriptor_, LineFile());
  return true;
}

int HomeLock::FreedFd() {
  if (!opened()) return -1;
  if (!freed_) freed_ = std::make_unique<LockWait>(descriptor_);
  return freed_->fd();
}

const std::optional<HomeLock::Holder>& HomeLock::ReadHolder() {
  holder_ = ReadHolderFrom(descriptor_);
  return holder_;
}

std::filesystem::path HomeLock::LineFile() const {
  return publishesIn_ ? PublishedLineFile(*publishesIn_, FileKey(descriptor_))
                      : std::filesystem::path();
}

std::string HomeLock::TakeOverNotice() const {
  const std::string who =
      holder_ ? "process " + std::to_string(holder_->pid) : "the process that kept them";
  return who + " no longer keeps the plug-in's files; this one keeps them from now on (it holds " +
         file_.string() + ")";
}

std::string HomeLock::KeeperNotice() const {
  if (!opened()) return openFailure_ + "; this one ";
  const std::string who = holder_ ? "process " + std::to_string(holder_->pid) : "another process";
  return who + " keeps the plug-in's files (it holds " + file_.string() + "); this one ";
}

std::string HomeLock::ViewerNotice() const {
  return KeeperNotice() +
         "runs as a viewer: it shows the line but writes neither the stat file nor the saved state";
}

std::string HomeLock::FollowerNotice() const {
  return KeeperNotice() +
         "follows it: it shows the line that process publishes and writes neither the stat file "
         "nor the saved state";
}
