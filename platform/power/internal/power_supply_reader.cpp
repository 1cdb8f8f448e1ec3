#include "platform/power/internal/power_supply_reader.h"

#include <algorithm>
#include <array>

#include "platform/power/internal/sysfs_attribute.h"

namespace {

// Reads the attributes one supply's listing names, each into one small buffer.
class SupplyReader {
 public:
  SupplyReader(PowerSupplySource& source, const SupplyListing& listing)
      : source_(source), listing_(listing) {}

  std::string_view Word(SupplyAttribute attribute) { return Text(attribute).value_or(""); }
  std::optional<int64_t> Number(SupplyAttribute attribute) {
    const std::optional<std::string_view> text = Text(attribute);
    return text ? ParseStrictInteger(*text) : std::nullopt;
  }

 private:
  // Valid until the next read.
  std::optional<std::string_view> Text(SupplyAttribute attribute) {
    if (!listing_.attributes.Has(attribute)) return std::nullopt;
    const std::optional<size_t> count = source_.ReadAttribute(listing_.name, attribute, buffer_);
    if (!count || *count > kLongestAttribute) return std::nullopt;
    return TrimAttribute(std::string_view(buffer_.data(), *count));
  }

  PowerSupplySource& source_;
  const SupplyListing& listing_;
  // One byte more than the longest text taken, to tell a longer file.
  std::array<char, kLongestAttribute + 1> buffer_;
};

PowerSupplyReading ReadPowerSupply(PowerSupplySource& source, const SupplyListing& listing) {
  using enum SupplyAttribute;
  SupplyReader read(source, listing);
  PowerSupplyReading supply;
  supply.name = listing.name;
  supply.type = ParseSupplyType(read.Word(Type));
  supply.scope = ParseSupplyScope(read.Word(Scope));
  supply.status = ParseSupplyStatus(read.Word(Status));
  supply.technology = ParseBatteryTechnology(read.Word(Technology));
  for (const auto& [attribute, field] : kSupplyNumberFields) supply.*field = read.Number(attribute);
  return supply;
}

}  // namespace

std::optional<std::vector<PowerSupplyReading>> ReadPowerSupplies(PowerSupplySource& source) {
  std::optional<std::vector<SupplyListing>> listings = source.ListSupplies();
  if (!listings) return std::nullopt;
  std::sort(listings->begin(), listings->end(),
            [](const SupplyListing& a, const SupplyListing& b) { return a.name < b.name; });
  std::vector<PowerSupplyReading> supplies;
  supplies.reserve(listings->size());
  for (const SupplyListing& listing : *listings)
    supplies.push_back(ReadPowerSupply(source, listing));
  return supplies;
}
