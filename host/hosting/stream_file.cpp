#include "host/hosting/stream_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/hosting/host_error.h"
#include "host/hosting/damaged_file.h"
#include "platform/files/regular_file.h"
#include "platform/files/user_folders.h"
#include "plugin/host/saved_configuration.h"

namespace {

// Seven words and a stat file name of any length a home screen would give.
constexpr size_t kLargestStreamFile = 64 * kKibibyte;

[[noreturn]] void Fail(const std::filesystem::path& file, const std::string& what, int error) {
  throw HostError("cannot save the plug-in's state to " + file.string() + ": " + what + ": " + std::strerror(error));
}

bool WriteAll(int descriptor, const std::vector<BYTE>& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(descriptor, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// A rename is an entry of the folder: only a synced folder keeps it through a power cut.
bool SyncFolder(const std::filesystem::path& folder) {
  const int descriptor = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (descriptor < 0) return false;
  const bool synced = fsync(descriptor) == 0;
  close(descriptor);
  return synced;
}

}  // namespace

std::filesystem::path DefaultStreamFile() {
  return std::filesystem::path(UserFolder("XDG_STATE_HOME", ".local/state")) / "zelvar" / "plugin.stream";
}

std::optional<std::vector<BYTE>> ReadStreamFile(const std::filesystem::path& file) {
  std::error_code error;
  if (std::filesystem::is_directory(file, error)) {
    throw HostError("the plug-in's saved state " + file.string() + " is a directory, not a file; move it away");
  }
  const FileRead read = ReadRegularFile(file, kLargestStreamFile);
  if (read.outcome == FileRead::Outcome::kMissing) return std::nullopt;
  if (read.outcome == FileRead::Outcome::kFailed) {
    throw HostError("cannot read the plug-in's saved state " + file.string() + ": " + read.cause);
  }
  return std::vector<BYTE>(read.text.begin(), read.text.end());
}

std::optional<std::string> SetAsideDamagedStream(const std::filesystem::path& file) {
  const std::optional<std::vector<BYTE>> bytes = ReadStreamFile(file);
  if (!bytes || DecodeConfiguration(*bytes)) return std::nullopt;
  const std::string what = "the saved state " + file.string() + " cannot be the plug-in's (" +
                           std::to_string(bytes->size()) + " bytes, not its settings and their stat file's name)";
  const std::string aside = SetAsideName(file).string();
  const std::string starts = "; the plug-in starts from the home-screen file's settings";
  if (const std::optional<std::string> failure = SetAside(file)) {
    return what + " and cannot be set aside as " + aside + ": " + *failure + starts;
  }
  return what + ": set aside as " + aside + starts;
}

void WriteStreamFile(const std::filesystem::path& file, const std::vector<BYTE>& bytes) {
  std::error_code folderError;
  if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), folderError);
  if (folderError) Fail(file, "cannot create the folder " + file.parent_path().string(), folderError.value());

  std::string temporary = file.string() + ".XXXXXX";
  const int descriptor = mkstemp(temporary.data());
  if (descriptor < 0) Fail(file, "cannot create a temporary file", errno);
  const bool written = WriteAll(descriptor, bytes) && fsync(descriptor) == 0;
  const int writeError = errno;
  const bool closed = close(descriptor) == 0;
  if (!written || !closed) {
    unlink(temporary.c_str());
    Fail(file, "cannot write " + temporary, written ? errno : writeError);
  }
  if (rename(temporary.c_str(), file.c_str()) != 0) {
    const int renameError = errno;
    unlink(temporary.c_str());
    Fail(file, "cannot rename " + temporary, renameError);
  }
  if (!SyncFolder(file.parent_path())) Fail(file, "cannot sync its folder", errno);
}
