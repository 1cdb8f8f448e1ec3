// The power_supply class folder of sysfs (or a tree of the same shape): one sub-folder per supply,
// one file per attribute. Each supply's folder is listed once; an attribute is read with one open
// and one read into the caller's buffer.
#pragma once

#ifndef ZELVAR_POWER_INTERNALS
#error \
    "internal to the platform's power family: only platform_power and its tests (platform_power_internals) include it"
#endif

#include <filesystem>

#include "platform/power/internal/power_supply_source.h"

class SysfsSupplySource : public PowerSupplySource {
 public:
  explicit SysfsSupplySource(std::filesystem::path root);
  ~SysfsSupplySource() override;
  SysfsSupplySource(const SysfsSupplySource&) = delete;
  SysfsSupplySource& operator=(const SysfsSupplySource&) = delete;

  // The class folder holds symbolic links to the devices' folders: they are followed, and entries
  // that are no folders skipped.
  std::optional<std::vector<SupplyListing>> ListSupplies() override;
  // Opens without blocking, so that a special file put in a tree does not hang the reader.
  std::optional<size_t> ReadAttribute(std::string_view supply, SupplyAttribute attribute,
                                      std::span<char> buffer) override;

 private:
  std::filesystem::path root_;
  // The class folder, open from the listing on; the attributes are opened relative to it.
  int folder_ = -1;
};
