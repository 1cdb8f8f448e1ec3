// The user's registry for one run of the home screen: read from its file and saved back to it. Where
// the file cannot be written (a read-only home), the changes are kept in memory for the rest of the
// run, so that a first run still registers its module and shows the line, and the failure is told
// once.
#pragma once

#include <optional>
#include <string>

#include "platform/registry/registry_store.h"

class RunRegistryStore : public RegistryStore {
 public:
  explicit RunRegistryStore(RegistryStore& file) : file_(file) {}

  RegistryStoreResult Load(RegistryTree& tree) override;
  RegistryStoreResult Save(const RegistryTree& tree) override;

  // Why the registry is kept in memory, for standard error; empty while the file takes every save.
  const std::string& unsavedNotice() const { return unsavedNotice_; }

 private:
  RegistryStore& file_;
  std::optional<RegistryTree> unsaved_;
  std::string unsavedNotice_;
};
