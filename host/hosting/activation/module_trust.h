// Whether a module file may be loaded into this process: loading runs its code as the user, so the
// file and every folder on its path must be out of other users' reach, as a careful shell refuses a
// key file others can write.
#pragma once

#include <grp.h>
#include <pwd.h>
#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>

// Why another user could change what the module file holds, with how to fix it; nullopt when only
// `user` and root can. Each of the file and the folders above it (as named, and with links
// resolved) must belong to `user` or root and be writable by nobody else: not by others, and by
// its group only when that is the owner's own group with no other member. A folder others may
// write is accepted when its sticky bit is set, since then they can neither remove nor rename what
// belongs to `user` or root in it.
std::optional<std::string> ModuleTrustProblem(const std::filesystem::path& file, uid_t user);

// Whether the group is the user's own: the user's primary group, with no other member listed.
bool IsUsersOwnGroup(const passwd& user, const group& entry);
