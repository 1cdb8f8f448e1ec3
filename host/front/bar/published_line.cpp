#include "host/front/bar/published_line.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "host/front/bar/bar_line.h"
#include "host/hosting/host_error.h"
#include "host/hosting/printable_text.h"
#include "host/hosting/whole_file.h"
#include "platform/files/regular_file.h"

namespace {

// A real line with its tooltip takes a few KiB.
constexpr size_t kLargestPublishedFile = 64 * kKibibyte;

// Why the folder is no place for the line; nullopt when it belongs to this user and no one else
// can write it. A link in its place is followed only when asked.
std::optional<std::string> FolderProblem(const std::filesystem::path& folder, bool followLink) {
  struct stat status {};
  if ((followLink ? stat(folder.c_str(), &status) : lstat(folder.c_str(), &status)) != 0)
    return folder.string() + ": " + std::strerror(errno);
  if (!S_ISDIR(status.st_mode)) return folder.string() + " is not a folder";
  if (status.st_uid != geteuid())
    return folder.string() + " belongs to user " + std::to_string(status.st_uid);
  if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0)
    return folder.string() + " can be written by other users";
  return std::nullopt;
}

// The runtime folder's zelvar folder, or why it is no place for the line.
Outcome<std::filesystem::path> RuntimeFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime == nullptr || !std::filesystem::path(runtime).is_absolute())
    return Problem{"XDG_RUNTIME_DIR is not set to an absolute path"};
  if (std::optional<std::string> problem = FolderProblem(runtime, true))
    return Problem{std::move(*problem)};
  std::filesystem::path folder = std::filesystem::path(runtime) / "zelvar";
  mkdir(folder.c_str(), 0700);
  if (std::optional<std::string> problem = FolderProblem(folder, false))
    return Problem{std::move(*problem)};
  return folder;
}

}  // namespace

std::string PublishedFileText(const PublishedLine& line) {
  return line.text + "\n" + line.json + "\n";
}

std::optional<PublishedLine> ParsePublishedFile(std::string_view content) {
  const size_t first = content.find('\n');
  if (first == std::string_view::npos) return std::nullopt;
  const std::string_view json = content.substr(first + 1);
  if (json.find('\n') != json.size() - 1) return std::nullopt;
  std::optional<std::string> checked = CheckedJsonLine(json.substr(0, json.size() - 1));
  if (!checked) return std::nullopt;
  return PublishedLine{EncodeUtf8(ScreenCharactersOfUtf8(content.substr(0, first))),
                       std::move(*checked)};
}

Outcome<std::optional<PublishedLine>> ReadPublishedFile(const std::filesystem::path& file) {
  const FileRead read = ReadOwnFile(file, kLargestPublishedFile);
  if (read.outcome == FileRead::Outcome::kMissing) return std::optional<PublishedLine>();
  if (read.outcome == FileRead::Outcome::kFailed) return Problem{file.string() + ": " + read.cause};
  std::optional<PublishedLine> line = ParsePublishedFile(read.text);
  if (!line) return Problem{file.string() + " does not hold a line and its JSON object"};
  return line;
}

Noted<std::filesystem::path> PublishingFolder(const std::filesystem::path& fallbackFolder) {
  Outcome<std::filesystem::path> runtime = RuntimeFolder();
  if (runtime.ok()) return {std::move(runtime.value()), std::nullopt};
  return {fallbackFolder, runtime.problem() +
                              "; the line for the bars that follow this one is in " +
                              fallbackFolder.string()};
}

std::filesystem::path PublishedLineFile(const std::filesystem::path& folder,
                                        const std::string& lockKey) {
  return folder / ("bar-" + lockKey + ".line");
}

LinePublisher::LinePublisher(std::filesystem::path file, Report report)
    : file_(std::move(file)), report_(std::move(report)) {
  std::error_code ignored;
  std::filesystem::remove(file_, ignored);
}

LinePublisher::~LinePublisher() {
  std::error_code ignored;
  std::filesystem::remove(file_, ignored);
}

void LinePublisher::Publish(const PublishedLine& line) {
  try {
    ReplaceFileWhole(file_, PublishedFileText(line), "the line for the following bars");
  } catch (const HostError& failure) {
    if (!reported_) report_(failure.what());
    reported_ = true;
  }
}
