// A registry store in one text file (format in registry_file_format.h) that persists between runs.
// Every save writes a temporary file beside it and renames it over the old one, so a crash leaves
// either the old registry or the new one, never a half-written file. The file is readable by its
// owner only.
#pragma once

#include <string>

#include "platform/registry/registry_store.h"

class FileRegistryStore : public RegistryStore {
 public:
  explicit FileRegistryStore(std::string path) : path_(std::move(path)) {}

  // A missing file is an empty registry. A damaged file answers ERROR_BADDB and is left untouched.
  RegistryStoreResult Load(RegistryTree& tree) override;
  // Creates the file's folder when it is missing.
  RegistryStoreResult Save(const RegistryTree& tree) override;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// The registry file of this user: $ZELVAR_REGISTRY when set, else $XDG_STATE_HOME/zelvar/registry
// (when that is an absolute path), else ~/.local/state/zelvar/registry.
std::string DefaultRegistryFile();
