// A damaged file of the user's is never deleted: it is set aside under another name, so that a
// fresh one can take its place and the old bytes stay there to be looked at.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

// <file>.bad
std::filesystem::path SetAsideName(const std::filesystem::path& file);

// Renames the file to SetAsideName(file), replacing a file set aside before; answers why it could
// not, nullopt when it did.
std::optional<std::string> SetAside(const std::filesystem::path& file);
