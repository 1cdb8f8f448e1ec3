// A registry store in one text file (format in registry_file_format.h) that persists between runs.
// Every save writes a temporary file beside it and renames it over the old one, so a crash leaves
// either the old registry or the new one, never a half-written file. The file is readable by its
// owner only.
//
// The store keeps the last text it read or wrote with its tree: a load that finds the same bytes
// answers that tree without parsing again, so a process parses the file once however many registry
// calls it makes, and still sees every change another process saves.
#pragma once

#include <string>

#include "platform/registry/registry_store.h"

// Whether a save waits until the file and its folder are on the disk (fsync). Only a store that
// may lose its file, a fuzzing run's, saves without.
enum class SaveDurability { Synced, Unsynced };

class FileRegistryStore : public RegistryStore {
 public:
  explicit FileRegistryStore(std::string path, SaveDurability durability = SaveDurability::Synced)
      : path_(std::move(path)), durability_(durability) {}

  // A missing file is an empty registry. A damaged file answers ERROR_BADDB and is left untouched.
  RegistryStoreResult Load(RegistryTree& tree) override;
  // Creates the file's folder when it is missing.
  RegistryStoreResult Save(const RegistryTree& tree) override;
  // Whether the file loads (a missing one does), answered as Load answers.
  RegistryStoreResult Check();

  const std::string& path() const { return path_; }

 private:
  void Remember(std::string text, const RegistryTree& tree);

  std::string path_;
  SaveDurability durability_;
  // The file's content as last read or written, and its tree.
  bool remembered_ = false;
  std::string lastText_;
  RegistryTree lastTree_;
};

// The registry file of this user: $ZELVAR_REGISTRY when set, else $XDG_STATE_HOME/zelvar/registry
// (when that is an absolute path), else ~/.local/state/zelvar/registry.
std::string DefaultRegistryFile();
