#include "platform/registry/registry_store_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/files/bounded_lock.h"
#include "platform/files/regular_file.h"
#include "platform/files/user_folders.h"
#include "platform/registry/internal/registry_file_format.h"

namespace {

RegistryStoreResult IoFailure(const std::string& what, const std::string& path, int error) {
  return {ERROR_REGISTRY_IO_FAILED, what + " registry file " + path + ": " + std::strerror(error)};
}

// A registration takes milliseconds: a lock held longer is not one.
constexpr std::chrono::milliseconds kLongestHoldWait(3000);

// A registry holds a few keys; the limit leaves room for thousands.
constexpr size_t kLargestRegistryFile = 4 * kMebibyte;

bool WriteAll(int fd, const std::string& text) {
  size_t written = 0;
  while (written < text.size()) {
    const ssize_t count = ::write(fd, text.data() + written, text.size() - written);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return false;
    written += static_cast<size_t>(count);
  }
  return true;
}

// An exclusive flock on the registry's folder, released when its descriptor closes.
class FolderLock final : public RegistryChangeHold {
 public:
  explicit FolderLock(int fd) : fd_(fd) {}
  ~FolderLock() override { ::close(fd_); }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  int fd_;
};

// Makes the rename itself durable; a failure here loses nothing already in place, so it is ignored.
void SyncFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

RegistryStoreResult FileRegistryStore::HoldChanges(std::unique_ptr<RegistryChangeHold>& hold) {
  hold.reset();
  const std::filesystem::path folder = std::filesystem::path(path_).parent_path();
  if (!folder.empty()) CreateUserFolders(folder);
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return {};
  if (LockWithin(fd, kLongestHoldWait)) {
    hold = std::make_unique<FolderLock>(fd);
    return {};
  }
  const pid_t holder = FlockHolder(fd);
  ::close(fd);
  return {ERROR_REGISTRY_IO_FAILED,
          "the folder of registry file " + path_ + " stayed locked for " +
              std::to_string(kLongestHoldWait.count() / 1000) + " s (" +
              (holder > 0 ? "by process " + std::to_string(holder) : "by another process") + ")"};
}

RegistryStoreResult FileRegistryStore::Check() {
  RegistryTree tree;
  return Load(tree);
}

RegistryStoreResult FileRegistryStore::Load(RegistryTree& tree) {
  FileRead read = ReadRegularFile(path_, kLargestRegistryFile);
  if (read.outcome == FileRead::Outcome::kMissing) {
    tree = RegistryTree();
    return {};
  }
  if (read.outcome == FileRead::Outcome::kFailed) {
    return {ERROR_REGISTRY_IO_FAILED, "cannot read registry file " + path_ + ": " + read.cause};
  }
  std::string& text = read.text;
  if (remembered_ && text == lastText_) {
    tree = lastTree_;
    return {};
  }
  RegistryTree loaded;
  std::string problem;
  if (!ParseRegistryFile(text, loaded, problem)) {
    return {ERROR_BADDB, "registry file " + path_ + " is damaged (" + problem + ")"};
  }
  Remember(std::move(text), loaded);
  tree = std::move(loaded);
  return {};
}

void FileRegistryStore::Remember(std::string text, const RegistryTree& tree) {
  lastText_ = std::move(text);
  lastTree_ = tree;
  remembered_ = true;
}

RegistryStoreResult FileRegistryStore::Save(const RegistryTree& tree) {
  const std::filesystem::path folder = std::filesystem::path(path_).parent_path();
  const std::error_code folderError =
      folder.empty() ? std::error_code() : CreateUserFolders(folder);
  if (folderError) return IoFailure("cannot create the folder of", path_, folderError.value());

  std::string temporary = path_ + ".new-XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return IoFailure("cannot write", path_, errno);
  std::string text = FormatRegistryFile(tree);
  const bool written = WriteAll(fd, text) && ::fsync(fd) == 0;
  const int writeError = errno;
  const bool closed = ::close(fd) == 0;
  if (!written || !closed || std::rename(temporary.c_str(), path_.c_str()) != 0) {
    const int error = !written ? writeError : errno;
    ::unlink(temporary.c_str());
    return IoFailure("cannot write", path_, error);
  }
  SyncFolder(folder);
  Remember(std::move(text), tree);
  return {};
}

std::string DefaultRegistryFile() {
  if (const char* file = std::getenv("ZELVAR_REGISTRY"); file != nullptr && *file != '\0') {
    return file;
  }
  const std::string state = UserFolder("XDG_STATE_HOME", ".local/state");
  return state.empty() ? "" : state + "/zelvar/registry";
}
