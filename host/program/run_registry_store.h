// The user's registry for one run of the home screen: read from its file and saved back to it.
// Where the file cannot be read (a FIFO or a device in its place, a file its user may not read),
// written (a read-only home) or held (another process keeps its folder locked), the registry is
// kept in memory for the rest of the run, so that a first run still registers its module and shows
// the line, and the failure is told once. A file that cannot be read is never written over: it may
// hold registrations this run could not see.
#pragma once

#include <optional>
#include <string>

#include "platform/registry/registry_store.h"

class RunRegistryStore : public RegistryStore {
 public:
  explicit RunRegistryStore(RegistryStore& file) : file_(file) {}

  RegistryStoreResult Load(RegistryTree& tree) override;
  RegistryStoreResult Save(const RegistryTree& tree) override;
  // The file's hold, until the registry is kept in memory. Where another process keeps holding
  // the file, the registry is kept in memory from then on, from the file as it stands.
  RegistryStoreResult HoldChanges(std::unique_ptr<RegistryChangeHold>& hold) override;

  // Why the registry is kept in memory, for standard error; nullopt while the file takes every
  // load and save.
  const std::optional<std::string>& unsavedNotice() const { return unsavedNotice_; }

 private:
  // From now on the run's registry is `tree`, in memory.
  void KeepInMemory(const RegistryTree& tree, const std::string& why);

  RegistryStore& file_;
  std::optional<RegistryTree> unsaved_;
  std::optional<std::string> unsavedNotice_;
};
