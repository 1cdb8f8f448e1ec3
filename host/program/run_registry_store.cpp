#include "host/program/run_registry_store.h"

RegistryStoreResult RunRegistryStore::Load(RegistryTree& tree) {
  if (!unsaved_) {
    RegistryStoreResult loaded = file_.Load(tree);
    if (loaded.status != ERROR_REGISTRY_IO_FAILED) return loaded;
    KeepInMemory(RegistryTree(), loaded.message);
  }
  tree = *unsaved_;
  return {};
}

RegistryStoreResult RunRegistryStore::Save(const RegistryTree& tree) {
  if (!unsaved_) {
    RegistryStoreResult saved = file_.Save(tree);
    if (saved.status != ERROR_REGISTRY_IO_FAILED) return saved;
    KeepInMemory(tree, saved.message);
  }
  unsaved_ = tree;
  return {};
}

RegistryStoreResult RunRegistryStore::HoldChanges(std::unique_ptr<RegistryChangeHold>& hold) {
  hold.reset();
  if (unsaved_) return {};
  const RegistryStoreResult held = file_.HoldChanges(hold);
  if (held.ok()) return {};
  RegistryTree tree;
  if (!file_.Load(tree).ok()) tree = RegistryTree();
  KeepInMemory(tree, held.message);
  return {};
}

void RunRegistryStore::KeepInMemory(const RegistryTree& tree, const std::string& why) {
  unsaved_ = tree;
  unsavedNotice_ = why + "; the registration holds for this run only";
}
