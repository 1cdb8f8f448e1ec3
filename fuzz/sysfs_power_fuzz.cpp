// Builds a power_supply class folder from arbitrary text, reads it as the sysfs power source does
// and maps it onto the power status record: whatever the folder holds, every code of the record
// must be one the record defines.
//
// Input: one file per line, "<supply>/<attribute>=<content>"; lines of any other shape, and names
// that are no plain file names, are skipped. The content is written with a line feed after it, as
// the kernel writes it.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>

#include "fuzz/scratch_folder.h"
#include "platform/power/internal/power_status_mapping.h"
#include "platform/power/internal/power_supply_reader.h"

namespace {

constexpr size_t kMostFiles = 64;

bool PlainName(std::string_view name) {
  if (name.empty() || name.size() > 64 || name == "." || name == "..") return false;
  for (char c : name) {
    const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                         c == '_' || c == '-' || c == '.' || c == ':';
    if (!allowed) return false;
  }
  return true;
}

void WriteFile(const std::filesystem::path& root, std::string_view line) {
  const size_t slash = line.find('/');
  const size_t equals = line.find('=');
  if (slash == std::string_view::npos || equals == std::string_view::npos || equals < slash) return;
  const std::string_view supply = line.substr(0, slash);
  const std::string_view attribute = line.substr(slash + 1, equals - slash - 1);
  if (!PlainName(supply) || !PlainName(attribute)) return;
  std::error_code error;
  std::filesystem::create_directories(root / supply, error);
  std::ofstream file(root / supply / attribute, std::ios::binary | std::ios::app);
  file << line.substr(equals + 1) << '\n';
}

bool OneOf(unsigned value, std::initializer_list<unsigned> codes) {
  for (unsigned code : codes) {
    if (value == code) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::filesystem::path root = ScratchFolder() / "power_supply";
  std::error_code error;
  std::filesystem::remove_all(root, error);
  std::filesystem::create_directories(root, error);
  std::string_view text(reinterpret_cast<const char*>(data), size);
  for (size_t files = 0; !text.empty() && files < kMostFiles; ++files) {
    const size_t end = text.find('\n');
    WriteFile(root, text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }

  const auto supplies = ReadPowerSupplies(root);
  if (!supplies) std::abort();  // the folder exists: it must list
  const SYSTEM_POWER_STATUS_EX2 status = MapPowerStatus(*supplies);
  if (status.BatteryLifePercent > 100 && status.BatteryLifePercent != BATTERY_PERCENTAGE_UNKNOWN) std::abort();
  if (!OneOf(status.BatteryFlag, {BATTERY_FLAG_HIGH, BATTERY_FLAG_LOW, BATTERY_FLAG_CRITICAL, BATTERY_FLAG_CHARGING,
                                  BATTERY_FLAG_NO_BATTERY, BATTERY_FLAG_UNKNOWN})) {
    std::abort();
  }
  if (!OneOf(status.ACLineStatus, {AC_LINE_OFFLINE, AC_LINE_ONLINE, AC_LINE_BACKUP_POWER, AC_LINE_UNKNOWN})) std::abort();
  // A percent and its flag agree: a known percent never leaves the flag undetermined.
  if (status.BatteryLifePercent <= 100 && status.BatteryFlag == BATTERY_FLAG_UNKNOWN) std::abort();
  return 0;
}
