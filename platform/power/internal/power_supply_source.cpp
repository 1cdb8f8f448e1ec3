#include "platform/power/internal/power_supply_source.h"

std::optional<SupplyAttribute> SupplyAttributeOfFile(std::string_view file) {
  for (size_t i = 0; i < std::size(kSupplyAttributeFiles); ++i) {
    if (kSupplyAttributeFiles[i] == file) return static_cast<SupplyAttribute>(i);
  }
  return std::nullopt;
}
