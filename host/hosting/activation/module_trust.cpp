#include "host/hosting/activation/module_trust.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <vector>

namespace {

std::string ModeText(mode_t mode) {
  char text[8];
  std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
  return text;
}

// IsUsersOwnGroup, with the owner and the group looked up in the password and group databases.
bool IsOwnersOwnGroup(uid_t owner, gid_t group) {
  std::vector<char> buffer(16384);
  passwd user{};
  passwd* foundUser = nullptr;
  if (getpwuid_r(owner, &user, buffer.data(), buffer.size() / 2, &foundUser) != 0 ||
      foundUser == nullptr)
    return false;
  ::group entry{};
  ::group* foundGroup = nullptr;
  char* groupBuffer = buffer.data() + buffer.size() / 2;
  return getgrgid_r(group, &entry, groupBuffer, buffer.size() / 2, &foundGroup) == 0 &&
         foundGroup != nullptr && IsUsersOwnGroup(user, entry);
}

std::optional<std::string> ElementProblem(const std::filesystem::path& element,
                                          const struct stat& status, uid_t user) {
  const bool folder = S_ISDIR(status.st_mode);
  const std::string what = (folder ? "the folder " : "the file ") + element.string();
  if (status.st_uid != user && status.st_uid != 0) {
    return what + " belongs to user " + std::to_string(status.st_uid) +
           ", who could run code as you through it; the module and its folders must belong to you "
           "or root";
  }
  // A link's own mode means nothing: what it names is looked at in its turn.
  if (S_ISLNK(status.st_mode)) return std::nullopt;
  const bool othersWrite = (status.st_mode & S_IWOTH) != 0;
  const bool groupWrites =
      (status.st_mode & S_IWGRP) != 0 && !IsOwnersOwnGroup(status.st_uid, status.st_gid);
  if (!othersWrite && !groupWrites) return std::nullopt;
  if (folder && (status.st_mode & S_ISVTX) != 0) return std::nullopt;
  return what + " can be written by other users (mode " + ModeText(status.st_mode) +
         "), who could run code as you through it; make it writable by its owner only: chmod go-w "
         "'" +
         element.string() + "'";
}

// The file, then each folder above it up to the root.
std::optional<std::string> PathProblem(const std::filesystem::path& file, uid_t user) {
  for (std::filesystem::path element = file;; element = element.parent_path()) {
    struct stat status {};
    if (lstat(element.c_str(), &status) != 0)
      return "cannot look at " + element.string() + ": " + std::strerror(errno);
    if (std::optional<std::string> problem = ElementProblem(element, status, user)) return problem;
    if (element == element.root_path()) return std::nullopt;
  }
}

}  // namespace

bool IsUsersOwnGroup(const passwd& user, const group& entry) {
  if (user.pw_gid != entry.gr_gid) return false;
  for (char** member = entry.gr_mem; *member != nullptr; ++member) {
    if (std::strcmp(*member, user.pw_name) != 0) return false;
  }
  return true;
}

std::optional<std::string> ModuleTrustProblem(const std::filesystem::path& file, uid_t user) {
  std::error_code error;
  const std::filesystem::path named = std::filesystem::absolute(file, error).lexically_normal();
  const std::filesystem::path resolved = std::filesystem::canonical(file, error);
  if (error) return "cannot resolve " + file.string() + ": " + error.message();
  std::optional<std::string> problem = PathProblem(resolved, user);
  // The folders of the name as given too: whoever can write one of them can point a link elsewhere.
  if (!problem && named != resolved) problem = PathProblem(named.parent_path(), user);
  if (!problem) return std::nullopt;
  return "refusing to load the module " + file.string() + ": " + *problem;
}
