#include "platform/files/file_api.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "platform/files/user_folders.h"
#include "platform/text/wide_text.h"

namespace {

std::optional<std::string> configuredRoot;
bool writesAllowed = true;
WriteFailureReporter writeFailureReporter;
// The failures already reported: the host path and errno of each.
std::set<std::pair<std::string, int>> reportedFailures;

std::string DefaultDeviceRoot() {
  if (const char* root = std::getenv("ZELVAR_DEVICE_ROOT"); root != nullptr && *root != '\0') return root;
  const std::string data = UserFolder("XDG_DATA_HOME", ".local/share");
  return data.empty() ? "" : data + "/zelvar/device";
}

bool IsSeparator(WCHAR c) { return c == u'\\' || c == u'/'; }

// The components of a device path below the root. ".." never climbs above the root, as on the device,
// so no device path reaches host files outside the root folder.
std::vector<std::string> RootedComponents(WStringView path) {
  std::vector<std::string> components;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = start;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    const std::string part = NarrowUtf8(path.substr(start, end - start));
    if (part == "..") {
      if (!components.empty()) components.pop_back();
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

void ReportWriteFailure(const std::string& hostPath, int error) {
  if (!reportedFailures.emplace(hostPath, error).second) return;
  const std::string message = "cannot open " + hostPath + " for writing: " + std::strerror(error);
  if (writeFailureReporter) {
    writeFailureReporter(message);
  } else {
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, message.c_str());
  }
}

// A folder is no file on the device: opening one fails there, as writing one fails here.
FILE* OpenForReading(const std::string& hostPath, const std::string& mode) {
  FILE* file = std::fopen(hostPath.c_str(), mode.c_str());
  struct stat status {};
  if (file != nullptr && fstat(fileno(file), &status) == 0 && S_ISDIR(status.st_mode)) {
    std::fclose(file);
    errno = EISDIR;
    return nullptr;
  }
  return file;
}

}  // namespace

void SetFileWritesAllowed(bool allowed) { writesAllowed = allowed; }

void SetWriteFailureReporter(WriteFailureReporter reporter) { writeFailureReporter = std::move(reporter); }

void SetDeviceRoot(const std::string& hostFolder) { configuredRoot = hostFolder; }

std::string DeviceRoot() { return configuredRoot ? *configuredRoot : DefaultDeviceRoot(); }

std::string HostPathOf(LPCWSTR devicePath) {
  const WStringView path = devicePath != nullptr ? WStringView(devicePath) : WStringView();
  if (path.empty() || !IsSeparator(path.front())) {
    std::string relative = NarrowUtf8(path);
    for (char& c : relative) {
      if (c == '\\') c = '/';
    }
    return relative;
  }
  std::string host = DeviceRoot();
  while (host.size() > 1 && host.back() == '/') host.pop_back();
  for (const std::string& component : RootedComponents(path)) host += "/" + component;
  return host;
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
  const std::string hostPath = HostPathOf(path);
  const std::string narrowMode = NarrowUtf8(mode);
  if (!OpensForWriting(narrowMode)) return OpenForReading(hostPath, narrowMode);
  if (!writesAllowed) {
    errno = EROFS;
    return nullptr;
  }
  // The device has its standard folders ("\Storage\My Documents"...); the host root starts empty,
  // so a file opened for writing gets its folders on demand. When they cannot be made, that is the
  // cause to report, not the missing folder fopen would then find.
  if (IsSeparator(*path)) {
    std::error_code folderError;
    std::filesystem::create_directories(std::filesystem::path(hostPath).parent_path(), folderError);
    if (folderError) {
      ReportWriteFailure(hostPath, folderError.value());
      errno = folderError.value();
      return nullptr;
    }
  }
  FILE* file = std::fopen(hostPath.c_str(), narrowMode.c_str());
  if (file == nullptr) {
    const int error = errno;
    ReportWriteFailure(hostPath, error);
    errno = error;
  }
  return file;
}
