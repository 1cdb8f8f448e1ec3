#include "host/program/run_registry_store.h"

RegistryStoreResult RunRegistryStore::Load(RegistryTree& tree) {
  if (!unsaved_) return file_.Load(tree);
  tree = *unsaved_;
  return {};
}

RegistryStoreResult RunRegistryStore::Save(const RegistryTree& tree) {
  if (!unsaved_) {
    const RegistryStoreResult saved = file_.Save(tree);
    if (saved.status != ERROR_REGISTRY_IO_FAILED) return saved;
    unsavedNotice_ = saved.message + "; the registration holds for this run only";
  }
  unsaved_ = tree;
  return {};
}
