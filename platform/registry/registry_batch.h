// A run of registry calls that reaches the store in one save. While a batch is open the calls work
// on a copy of the registry in memory; Commit saves the copy whole, so that another process reads
// the registry as it was before the calls or as it is after them, never from between two of them
// (a class key without its server's file, say). The batch holds the store's changes
// (RegistryStore::HoldChanges) from its load until it ends, so that a change another process makes
// meanwhile waits and is not lost. Without Commit nothing is saved. For one thread: no other
// thread makes registry calls while a batch is open.
#pragma once

#include <optional>

#include "platform/registry/registry_store.h"
#include "platform/registry/registry_store_memory.h"

class RegistryBatch {
 public:
  // Loads the registry from the store the calls use now. Where it cannot be loaded the batch
  // stays closed: the calls reach the store one by one and fail as they would without it.
  RegistryBatch();
  RegistryBatch(const RegistryBatch&) = delete;
  RegistryBatch& operator=(const RegistryBatch&) = delete;

  // Saves the changed registry to the store; a store failure is reported on standard error, as
  // for any registry call, and answered with the store's error code. A store that could not be
  // held is not saved: it answers why not.
  LSTATUS Commit();

 private:
  std::unique_ptr<RegistryChangeHold> hold_;
  // Why the store could not be held, when it could not.
  RegistryStoreResult unheld_;
  RegistryStore* store_ = nullptr;
  RegistryTree loaded_;
  MemoryRegistryStore copy_;
  std::optional<ScopedRegistryStore> open_;
};
