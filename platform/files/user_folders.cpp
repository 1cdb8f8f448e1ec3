#include "platform/files/user_folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/files/regular_file.h"

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
  const long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(suggested > 0 ? static_cast<size_t>(suggested) : 4096);
  passwd entry{};
  passwd* found = nullptr;
  int error;
  while ((error = getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found)) == ERANGE &&
         buffer.size() < kMebibyte) {
    buffer.resize(buffer.size() * 2);
  }
  if (error != 0 || found == nullptr || entry.pw_dir == nullptr || entry.pw_dir[0] != '/')
    return "";
  return entry.pw_dir;
}

std::string UserFolder(const char* variable, const char* belowHome) {
  if (const char* folder = std::getenv(variable); folder != nullptr && folder[0] == '/')
    return folder;
  const std::string home = HomeFolder();
  return home.empty() ? "" : home + "/" + belowHome;
}

std::error_code CreateUserFolders(const std::filesystem::path& folder) {
  std::error_code error;
  if (std::filesystem::is_directory(folder, error)) return {};
  const std::filesystem::path above = folder.parent_path();
  if (!above.empty() && above != folder) {
    if (const std::error_code aboveError = CreateUserFolders(above)) return aboveError;
  }
  if (::mkdir(folder.c_str(), 0700) == 0) return {};
  const int cause = errno;
  // Made meanwhile by another process, or named with a trailing separator.
  if (std::filesystem::is_directory(folder, error)) return {};
  return {cause == EEXIST ? ENOTDIR : cause, std::generic_category()};
}
