#include "host/hosting/whole_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "host/hosting/host_error.h"
#include "platform/files/file_replacement.h"
#include "platform/files/user_folders.h"

namespace {

bool WriteAll(int descriptor, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = write(descriptor, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
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

void ReplaceFileWhole(const std::filesystem::path& file, std::string_view bytes,
                      const std::string& what, FileSync sync) {
  const bool toDisk = sync == FileSync::ToDisk;
  const auto fail = [&](const std::string& step, int error) {
    throw HostError("cannot save " + what + " to " + file.string() + ": " + step + ": " +
                    std::strerror(error));
  };
  const std::error_code folderError =
      file.has_parent_path() ? CreateUserFolders(file.parent_path()) : std::error_code();
  if (folderError)
    fail("cannot create the folder " + file.parent_path().string(), folderError.value());

  std::string temporary = file.string() + ".XXXXXX";
  const int descriptor = mkstemp(temporary.data());
  if (descriptor < 0) fail("cannot create a temporary file", errno);
  const bool written = WriteAll(descriptor, bytes) && (!toDisk || fsync(descriptor) == 0);
  const int writeError = errno;
  const bool closed = close(descriptor) == 0;
  if (!written || !closed) {
    unlink(temporary.c_str());
    fail("cannot write " + temporary, written ? errno : writeError);
  }
  if (ReplaceFile(temporary.c_str(), file.c_str()) != 0) {
    const int renameError = errno;
    unlink(temporary.c_str());
    fail("cannot rename " + temporary, renameError);
  }
  if (toDisk && !SyncFolder(file.parent_path())) fail("cannot sync its folder", errno);
}
