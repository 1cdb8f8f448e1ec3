// A registry store that keeps the registry in memory only, for tests and simulations.
#pragma once

#include "platform/registry/registry_store.h"

class MemoryRegistryStore : public RegistryStore {
 public:
  RegistryStoreResult Load(RegistryTree& tree) override {
    tree = tree_;
    return {};
  }
  RegistryStoreResult Save(const RegistryTree& tree) override {
    tree_ = tree;
    return {};
  }
  const RegistryTree& tree() const { return tree_; }

 private:
  RegistryTree tree_;
};
