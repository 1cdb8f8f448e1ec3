// Builds a power_supply class folder in memory from arbitrary text, reads it as the sysfs power
// source does and maps it onto the power status record: whatever the folder holds, every code of
// the record must be one the record defines. (The tests read the same reader's trees through real
// files.)
//
// Input: one file per line, "<supply>/<attribute>=<content>"; lines of any other shape, and names
// that are no plain file names, are skipped. The content is added with a line feed after it, as
// the kernel writes it; a file named twice holds both contents.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "platform/power/internal/power_status_mapping.h"
#include "platform/power/internal/power_supply_reader.h"

namespace {

// Supply folders and their files in memory, listed and read as the sysfs source does.
class MemorySupplySource : public PowerSupplySource {
 public:
  void Append(std::string_view supply, std::string_view file, std::string_view content) {
    auto folder = folders_.try_emplace(std::string(supply)).first;
    std::string& text = folder->second.try_emplace(std::string(file)).first->second;
    text.append(content);
    text.push_back('\n');
  }

  std::optional<std::vector<SupplyListing>> ListSupplies() override {
    std::vector<SupplyListing> supplies;
    for (const auto& [name, files] : folders_) {
      SupplyListing listing{name, {}};
      for (const auto& [file, content] : files) {
        if (const auto attribute = SupplyAttributeOfFile(file)) listing.attributes.Add(*attribute);
      }
      supplies.push_back(std::move(listing));
    }
    return supplies;
  }

  std::optional<size_t> ReadAttribute(std::string_view supply, SupplyAttribute attribute,
                                      std::span<char> buffer) override {
    const auto folder = folders_.find(supply);
    if (folder == folders_.end()) return std::nullopt;
    const auto file = folder->second.find(kSupplyAttributeFiles[static_cast<size_t>(attribute)]);
    if (file == folder->second.end()) return std::nullopt;
    const size_t count = std::min(buffer.size(), file->second.size());
    std::memcpy(buffer.data(), file->second.data(), count);
    return count;
  }

 private:
  std::map<std::string, std::map<std::string, std::string, std::less<>>, std::less<>> folders_;
};

constexpr size_t kMostFiles = 64;

bool PlainName(std::string_view name) {
  if (name.empty() || name.size() > 64 || name == "." || name == "..") return false;
  for (char c : name) {
    const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                         (c >= '0' && c <= '9') || c == '_' || c == '-' || c == '.' || c == ':';
    if (!allowed) return false;
  }
  return true;
}

void AddFile(MemorySupplySource& source, std::string_view line) {
  const size_t slash = line.find('/');
  const size_t equals = line.find('=');
  if (slash == std::string_view::npos || equals == std::string_view::npos || equals < slash) return;
  const std::string_view supply = line.substr(0, slash);
  const std::string_view attribute = line.substr(slash + 1, equals - slash - 1);
  if (!PlainName(supply) || !PlainName(attribute)) return;
  source.Append(supply, attribute, line.substr(equals + 1));
}

bool OneOf(unsigned value, std::initializer_list<unsigned> codes) {
  for (unsigned code : codes) {
    if (value == code) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemorySupplySource source;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  for (size_t files = 0; !text.empty() && files < kMostFiles; ++files) {
    const size_t end = text.find('\n');
    AddFile(source, text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }

  const auto supplies = ReadPowerSupplies(source);
  if (!supplies) std::abort();  // the source always lists
  const SYSTEM_POWER_STATUS_EX2 status = MapPowerStatus(*supplies);
  if (status.BatteryLifePercent > 100 && status.BatteryLifePercent != BATTERY_PERCENTAGE_UNKNOWN)
    std::abort();
  if (!OneOf(status.BatteryFlag,
             {BATTERY_FLAG_HIGH, BATTERY_FLAG_LOW, BATTERY_FLAG_CRITICAL, BATTERY_FLAG_CHARGING,
              BATTERY_FLAG_NO_BATTERY, BATTERY_FLAG_UNKNOWN})) {
    std::abort();
  }
  if (!OneOf(status.ACLineStatus,
             {AC_LINE_OFFLINE, AC_LINE_ONLINE, AC_LINE_BACKUP_POWER, AC_LINE_UNKNOWN}))
    std::abort();
  // A percent and its flag agree: a known percent never leaves the flag undetermined.
  if (status.BatteryLifePercent <= 100 && status.BatteryFlag == BATTERY_FLAG_UNKNOWN) std::abort();
  // A charge limit is a percent that holds the batteries below full.
  const std::optional<int> limit = ChargeEndOf(*supplies).limit;
  if (limit && (*limit < 1 || *limit > 99)) std::abort();
  return 0;
}
