#include "platform/files/file_api.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <utility>
#include <vector>

#include "platform/files/file_replacement.h"
#include "platform/files/regular_file.h"
#include "platform/files/user_folders.h"
#include "platform/text/wide_text.h"

namespace {

ServiceSlot<FileLayerState> slot;

FileLayerState& State() {
  static FileLayerState processState;
  return slot.Or(processState);
}

std::string DefaultDeviceRoot() {
  if (const char* root = std::getenv("ZELVAR_DEVICE_ROOT"); root != nullptr && *root != '\0')
    return root;
  const std::string data = UserFolder("XDG_DATA_HOME", ".local/share");
  return data.empty() ? "" : data + "/zelvar/device";
}

bool IsSeparator(WCHAR c) { return c == u'\\' || c == u'/'; }

// The components of a device path below the root, nothing for a path whose ".." would climb above
// the root: such a path names no file on the device, and so none of the host's outside the root.
std::optional<std::vector<std::string>> RootedComponents(WStringView path) {
  std::vector<std::string> components;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = start;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    const std::string part = NarrowUtf8(path.substr(start, end - start));
    if (part == "..") {
      if (components.empty()) return std::nullopt;
      components.pop_back();
    } else if (!part.empty() && part != ".") {
      components.push_back(part);
    }
    start = end + 1;
  }
  return components;
}

bool OpensForWriting(const std::string& mode) {
  return mode.find_first_of("wa+") != std::string::npos;
}

// The open(2) flags of a C stdio mode; -1 for a mode that is none.
int OpenFlagsOf(const std::string& mode) {
  const bool update = mode.find('+') != std::string::npos;
  switch (mode.front()) {
    case 'r':
      return update ? O_RDWR : O_RDONLY;
    case 'w':
      return (update ? O_RDWR : O_WRONLY) | O_CREAT | O_TRUNC;
    case 'a':
      return (update ? O_RDWR : O_WRONLY) | O_CREAT | O_APPEND;
    default:
      return -1;
  }
}

void ReportWriteFailure(const FileWriteFailure& failure) {
  const std::string description = DescribeWriteFailure(failure);
  FileLayerState& state = State();
  if (!state.reportedFailures.insert(description).second) return;
  if (state.failureReporter) {
    state.failureReporter(failure);
  } else {
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, description.c_str());
  }
}

// A stream opened for writing runs through these calls, so that each failed write, sync or close
// is seen and reported, and the bytes written are on the disk once the stream is closed.
struct WrittenFile {
  int descriptor;
  std::string hostPath;
  bool syncs;
  bool wrote = false;
};

void ReportCause(const WrittenFile& file, int error) {
  ReportWriteFailure({file.hostPath, std::strerror(error), false});
}

ssize_t ReadWrittenFile(void* cookie, char* buffer, size_t size) {
  const auto* file = static_cast<const WrittenFile*>(cookie);
  ssize_t count;
  do count = read(file->descriptor, buffer, size);
  while (count < 0 && errno == EINTR);
  return count;
}

ssize_t WriteWrittenFile(void* cookie, const char* buffer, size_t size) {
  auto* file = static_cast<WrittenFile*>(cookie);
  size_t done = 0;
  while (done < size) {
    const ssize_t count = write(file->descriptor, buffer + done, size - done);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) {
      const int error = count < 0 ? errno : EIO;
      ReportCause(*file, error);
      errno = error;
      return -1;
    }
    done += static_cast<size_t>(count);
    file->wrote = true;
  }
  return static_cast<ssize_t>(done);
}

int SeekWrittenFile(void* cookie, off64_t* offset, int whence) {
  const auto* file = static_cast<const WrittenFile*>(cookie);
  const off64_t at = lseek64(file->descriptor, *offset, whence);
  if (at < 0) return -1;
  *offset = at;
  return 0;
}

int CloseWrittenFile(void* cookie) {
  const std::unique_ptr<WrittenFile> file(static_cast<WrittenFile*>(cookie));
  const bool synced = !file->wrote || !file->syncs || fsync(file->descriptor) == 0;
  const int syncError = errno;
  const bool closed = close(file->descriptor) == 0;
  if (synced && closed) return 0;
  const int error = synced ? errno : syncError;
  ReportCause(*file, error);
  errno = error;
  return -1;
}

// Only a regular file opens: a folder is no file on the device, and a FIFO or a device in its place
// must neither hold the caller in open nor feed it without end.
FILE* OpenStream(const std::string& hostPath, const std::string& mode, std::string& cause) {
  const int descriptor = OpenRegularFile(hostPath, OpenFlagsOf(mode), 0666, cause);
  if (descriptor < 0) return nullptr;
  FILE* file = nullptr;
  if (OpensForWriting(mode)) {
    auto written =
        std::make_unique<WrittenFile>(WrittenFile{descriptor, hostPath, State().writesSynced});
    file = fopencookie(written.get(), mode.c_str(),
                       {ReadWrittenFile, WriteWrittenFile, SeekWrittenFile, CloseWrittenFile});
    if (file != nullptr) static_cast<void>(written.release());  // the stream's close deletes it
  } else {
    file = fdopen(descriptor, mode.c_str());
  }
  if (file == nullptr) {
    const int error = errno;
    cause = std::strerror(error);
    close(descriptor);
    errno = error;
  }
  return file;
}

}  // namespace

std::string DescribeWriteFailure(const FileWriteFailure& failure) {
  return failure.atOpen ? "cannot open " + failure.hostPath + " for writing: " + failure.cause
                        : "cannot write " + failure.hostPath + ": " + failure.cause;
}

FileLayerState* InstallFileLayerState(FileLayerState* state) { return slot.Install(state); }

void SetFileWritesAllowed(bool allowed) { State().writesAllowed = allowed; }

void SetFileWritesSynced(bool synced) { State().writesSynced = synced; }

void SetWriteFailureReporter(WriteFailureReporter reporter) {
  State().failureReporter = std::move(reporter);
}

void SetFileChangeObserver(FileChangeObserver observer) {
  State().changeObserver = std::move(observer);
}

void SetDeviceRoot(const std::string& hostFolder) { State().deviceRoot = hostFolder; }

std::string DeviceRoot() {
  const FileLayerState& state = State();
  return state.deviceRoot ? *state.deviceRoot : DefaultDeviceRoot();
}

std::optional<std::string> HostPathOf(LPCWSTR devicePath) {
  const WStringView path = devicePath != nullptr ? WStringView(devicePath) : WStringView();
  if (path.empty()) return std::string();
  const std::optional<std::vector<std::string>> components = RootedComponents(path);
  // The root itself ("\", ".") is a folder, no file.
  if (!components || components->empty()) return std::nullopt;
  std::string host = DeviceRoot();
  while (host.size() > 1 && host.back() == '/') host.pop_back();
  for (const std::string& component : *components) host += "/" + component;
  return host;
}

namespace {

void ObserveChange(const std::string& hostPath) {
  const FileLayerState& state = State();
  if (state.changeObserver) state.changeObserver(hostPath);
}

// The host path of a file about to be moved or removed; nothing, with errno set, for no name
// (ENOENT), a path that leaves the device root (EXDEV), or while writes are off (EROFS).
std::optional<std::string> ChangedHostPath(LPCWSTR path) {
  if (path == nullptr || *path == 0) {
    errno = ENOENT;
    return std::nullopt;
  }
  std::optional<std::string> hostPath = HostPathOf(path);
  if (!hostPath) {
    errno = EXDEV;
    return std::nullopt;
  }
  if (!State().writesAllowed) {
    errno = EROFS;
    return std::nullopt;
  }
  return hostPath;
}

// A move is an entry of the folder: only a synced folder keeps it through a power cut. A failure
// loses nothing already in place.
void SyncFolderOf(const std::string& hostPath) {
  const std::string folder = std::filesystem::path(hostPath).parent_path().string();
  const int descriptor = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (descriptor < 0) return;
  fsync(descriptor);
  close(descriptor);
}

// Reports a failed move or removal of hostPath, keeping errno.
BOOL ChangeFailed(const std::string& hostPath) {
  const int error = errno;
  ReportWriteFailure({hostPath, std::strerror(error), false});
  errno = error;
  return FALSE;
}

}  // namespace

BOOL MoveFileExW(LPCWSTR existing, LPCWSTR replacement, DWORD flags) {
  const std::optional<std::string> from = ChangedHostPath(existing);
  if (!from) return FALSE;
  const std::optional<std::string> to = ChangedHostPath(replacement);
  if (!to) return FALSE;
  ObserveChange(*to);
  const int moved =
      (flags & MOVEFILE_REPLACE_EXISTING) != 0
          ? ReplaceFile(from->c_str(), to->c_str())
          : renameat2(AT_FDCWD, from->c_str(), AT_FDCWD, to->c_str(), RENAME_NOREPLACE);
  if (moved != 0) return ChangeFailed(*to);
  if ((flags & MOVEFILE_WRITE_THROUGH) != 0 && State().writesSynced) SyncFolderOf(*to);
  return TRUE;
}

BOOL DeleteFileW(LPCWSTR path) {
  const std::optional<std::string> hostPath = ChangedHostPath(path);
  if (!hostPath) return FALSE;
  ObserveChange(*hostPath);
  if (unlink(hostPath->c_str()) == 0) return TRUE;
  if (errno == ENOENT) return FALSE;
  return ChangeFailed(*hostPath);
}

FILE* _wfopen(LPCWSTR path, LPCWSTR mode) {
  if (path == nullptr || *path == 0) {
    errno = ENOENT;
    return nullptr;
  }
  if (mode == nullptr || *mode == 0) {
    errno = EINVAL;
    return nullptr;
  }
  const std::string narrowMode = NarrowUtf8(mode);
  if (OpenFlagsOf(narrowMode) < 0) {
    errno = EINVAL;
    return nullptr;
  }
  const std::optional<std::string> rooted = HostPathOf(path);
  if (!rooted) {
    errno = EXDEV;
    return nullptr;
  }
  const std::string& hostPath = *rooted;
  std::string cause;
  if (!OpensForWriting(narrowMode)) return OpenStream(hostPath, narrowMode, cause);
  FileLayerState& state = State();
  if (!state.writesAllowed) {
    errno = EROFS;
    return nullptr;
  }
  // The device has its standard folders ("\Storage\My Documents"...); the host root starts empty,
  // so a file opened for writing gets its folders on demand. When they cannot be made, that is the
  // cause to report, not the missing folder the open would then find.
  const std::error_code folderError =
      CreateUserFolders(std::filesystem::path(hostPath).parent_path());
  if (folderError) {
    ReportWriteFailure({hostPath, folderError.message(), true});
    errno = folderError.value();
    return nullptr;
  }
  ObserveChange(hostPath);
  FILE* file = OpenStream(hostPath, narrowMode, cause);
  if (file == nullptr) {
    const int error = errno;
    ReportWriteFailure({hostPath, cause, true});
    errno = error;
  }
  return file;
}
