#include "platform/power/internal/sysfs_supply_source.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <utility>

namespace {

bool IsDotEntry(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// The attributes among the folder's files; closes the folder.
SupplyAttributes ListAttributes(int supplyFolder) {
  SupplyAttributes attributes;
  DIR* listing = ::fdopendir(supplyFolder);
  if (listing == nullptr) {
    ::close(supplyFolder);
    return attributes;
  }
  while (const dirent* entry = ::readdir(listing)) {
    if (const auto attribute = SupplyAttributeOfFile(entry->d_name)) attributes.Add(*attribute);
  }
  ::closedir(listing);
  return attributes;
}

}  // namespace

SysfsSupplySource::SysfsSupplySource(std::filesystem::path root) : root_(std::move(root)) {}

SysfsSupplySource::~SysfsSupplySource() {
  if (folder_ >= 0) ::close(folder_);
}

std::optional<std::vector<SupplyListing>> SysfsSupplySource::ListSupplies() {
  if (folder_ < 0) folder_ = ::open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder_ < 0) return std::nullopt;
  // The listing's own descriptor: closedir closes it, the class folder stays open for the reads.
  const int listed = ::dup(folder_);
  DIR* listing = listed < 0 ? nullptr : ::fdopendir(listed);
  if (listing == nullptr) {
    if (listed >= 0) ::close(listed);
    return std::nullopt;
  }
  std::vector<SupplyListing> supplies;
  while (const dirent* entry = ::readdir(listing)) {
    if (IsDotEntry(entry->d_name)) continue;
    const int supplyFolder = ::openat(folder_, entry->d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (supplyFolder < 0) continue;
    supplies.push_back({entry->d_name, ListAttributes(supplyFolder)});
  }
  ::closedir(listing);
  return supplies;
}

std::optional<size_t> SysfsSupplySource::ReadAttribute(std::string_view supply,
                                                       SupplyAttribute attribute,
                                                       std::span<char> buffer) {
  const std::string_view file = kSupplyAttributeFiles[static_cast<size_t>(attribute)];
  char path[NAME_MAX + 1 + 16];
  if (folder_ < 0 || supply.size() > NAME_MAX || supply.size() + 1 + file.size() >= sizeof path)
    return std::nullopt;
  std::memcpy(path, supply.data(), supply.size());
  path[supply.size()] = '/';
  std::memcpy(path + supply.size() + 1, file.data(), file.size());
  path[supply.size() + 1 + file.size()] = '\0';

  const int fd = ::openat(folder_, path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return std::nullopt;
  size_t count = 0;
  bool failed = false;
  while (count < buffer.size()) {
    const ssize_t got = ::read(fd, buffer.data() + count, buffer.size() - count);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) failed = true;
    if (got <= 0) break;
    count += static_cast<size_t>(got);
  }
  ::close(fd);
  if (failed) return std::nullopt;
  return count;
}
