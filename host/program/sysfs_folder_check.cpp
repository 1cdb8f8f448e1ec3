#include "host/program/sysfs_folder_check.h"

#include <fstream>
#include <system_error>

namespace {

bool NamesASupply(const std::filesystem::path& uevent) {
  std::ifstream in(uevent);
  std::string line;
  // A supply's uevent is a few hundred bytes; a few lines tell.
  for (int lines = 0; lines < 64 && std::getline(in, line); ++lines) {
    if (line.starts_with("POWER_SUPPLY_NAME=")) return true;
  }
  return false;
}

bool IsOneSupplysFolder(const std::filesystem::path& folder) {
  std::error_code error;
  return std::filesystem::is_regular_file(folder / "type", error) ||
         (std::filesystem::is_regular_file(folder / "uevent", error) &&
          NamesASupply(folder / "uevent"));
}

}  // namespace

std::optional<std::string> SysfsFolderProblem(const std::filesystem::path& folder) {
  const std::string named = "--sysfs " + folder.string();
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(folder, error);
  if (status.type() == std::filesystem::file_type::not_found) return named + ": no such folder";
  if (error) return named + ": " + error.message();
  if (status.type() != std::filesystem::file_type::directory) return named + ": not a folder";
  if (IsOneSupplysFolder(folder)) {
    std::filesystem::path supply = std::filesystem::absolute(folder, error).lexically_normal();
    if (!supply.has_filename()) supply = supply.parent_path();
    return named +
           " is one power supply's folder; name the folder that holds the supplies: --sysfs " +
           supply.parent_path().string();
  }
  return std::nullopt;
}
