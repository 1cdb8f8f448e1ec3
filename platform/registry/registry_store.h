// The registry store service: where the registry lives between calls. Each registry call loads the
// whole tree from the installed store, and a call that changes it saves the whole tree back.
#pragma once

#include <memory>
#include <string>

#include "platform/registry/registry.h"
#include "platform/registry/registry_tree.h"
#include "platform/scoped_service.h"

struct RegistryStoreResult {
  // ERROR_SUCCESS; ERROR_BADDB for damaged stored data; ERROR_REGISTRY_IO_FAILED when the store
  // cannot be read or written.
  LSTATUS status = ERROR_SUCCESS;
  // What went wrong, naming the store (its file); empty on success.
  std::string message;
  bool ok() const { return status == ERROR_SUCCESS; }
};

// Held while this process changes a store; another process's change waits until it ends.
class RegistryChangeHold {
 public:
  virtual ~RegistryChangeHold() = default;
};

class RegistryStore {
 public:
  virtual ~RegistryStore() = default;
  // Keeps other processes from changing the stored registry until `hold` ends, so that a load and
  // the save after it make one change that loses none of theirs (RegistryBatch). `hold` stays
  // empty when no other process reaches the store, or where it cannot be held for a cause that
  // fails the save as well. A store another process keeps holding answers ERROR_REGISTRY_IO_FAILED,
  // naming the store and who holds it: no save may follow without the hold.
  virtual RegistryStoreResult HoldChanges(std::unique_ptr<RegistryChangeHold>& hold) {
    hold.reset();
    return {};
  }
  // Fills `tree` with the stored registry; a store never saved holds an empty registry. A failure
  // leaves the stored data as it is.
  virtual RegistryStoreResult Load(RegistryTree& tree) = 0;
  // Replaces the stored registry with `tree`, all or nothing.
  virtual RegistryStoreResult Save(const RegistryTree& tree) = 0;
};

// Without an installed store the registry file at DefaultRegistryFile() (registry_store_file.h)
// answers.
RegistryStore* InstallRegistryStore(RegistryStore* store);
using ScopedRegistryStore = ScopedService<RegistryStore, InstallRegistryStore>;
