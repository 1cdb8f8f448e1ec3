#include "host/hosting/damaged_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

std::filesystem::path SetAsideName(const std::filesystem::path& file) {
  return file.string() + ".bad";
}

std::optional<std::string> SetAside(const std::filesystem::path& file) {
  if (std::rename(file.c_str(), SetAsideName(file).c_str()) == 0) return std::nullopt;
  return std::strerror(errno);
}
