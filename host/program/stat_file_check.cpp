#include "host/program/stat_file_check.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/files/regular_file.h"
#include "stats/stat_file.h"

namespace {

constexpr const char* kLost = ": the plug-in's hourly drops will be lost";

std::string Cannot(const std::string& hostPath, const std::string& cause) {
  return "cannot write the stat file " + hostPath + " (" + cause + ")" + kLost;
}

// The folder that would hold a new file at path: the nearest one above it that exists.
std::filesystem::path NearestExistingFolder(const std::filesystem::path& path) {
  std::filesystem::path folder = path.parent_path();
  std::error_code error;
  while (!folder.empty() && !std::filesystem::exists(folder, error) &&
         folder != folder.parent_path()) {
    folder = folder.parent_path();
  }
  return folder.empty() ? "." : folder;
}

}  // namespace

std::optional<std::string> StatFileProblem(const std::string& hostPath) {
  if (hostPath.empty()) return std::string("the plug-in's StatFilename is empty") + kLost;
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(hostPath, error);
  if (std::filesystem::is_directory(status)) {
    return "the stat file " + hostPath + " is a directory, not a file" + kLost;
  }
  if (std::filesystem::exists(status)) {
    if (!std::filesystem::is_regular_file(status))
      return "the stat file " + hostPath + " is not a regular file" + kLost;
    if (access(hostPath.c_str(), W_OK) != 0) return Cannot(hostPath, std::strerror(errno));
    return std::nullopt;
  }
  const std::filesystem::path folder = NearestExistingFolder(hostPath);
  if (!std::filesystem::is_directory(folder, error))
    return Cannot(hostPath, folder.string() + " is not a folder");
  if (access(folder.c_str(), W_OK | X_OK) != 0)
    return Cannot(hostPath, folder.string() + ": " + std::strerror(errno));
  return std::nullopt;
}

std::optional<std::string> StatFileReadProblem(const std::string& hostPath) {
  if (hostPath.empty()) return std::nullopt;
  std::string cause;
  const int descriptor = OpenRegularFile(hostPath, O_RDONLY, 0, cause);
  if (descriptor < 0 && errno == ENOENT) return std::nullopt;
  if (descriptor >= 0) {
    struct stat status {};
    const bool tooLarge =
        fstat(descriptor, &status) == 0 && static_cast<size_t>(status.st_size) > kLargestStatFile;
    close(descriptor);
    if (!tooLarge) return std::nullopt;
    cause = "larger than " + ByteCountText(kLargestStatFile);
  }
  return "cannot read the stat file " + hostPath + ": " + cause + ": its samples are not used";
}
