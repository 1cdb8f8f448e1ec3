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

class FileRegistryStore : public RegistryStore {
 public:
  explicit FileRegistryStore(std::string path) : path_(std::move(path)) {}

  // A missing file is an empty registry. A damaged file answers ERROR_BADDB and is left untouched.
  RegistryStoreResult Load(RegistryTree& tree) override;
  // Creates the file's folder when it is missing.
  RegistryStoreResult Save(const RegistryTree& tree) override;
  // An exclusive lock on the file's folder (created when missing): the file itself is replaced
  // at every save. Waits a few seconds at most while another process holds it.
  RegistryStoreResult HoldChanges(std::unique_ptr<RegistryChangeHold>& hold) override;
  // Whether the file loads (a missing one does), answered as Load answers.
  RegistryStoreResult Check();

  const std::string& path() const { return path_; }

 private:
  void Remember(std::string text, const RegistryTree& tree);

  std::string path_;
  // The file's content as last read or written, and its tree.
  bool remembered_ = false;
  std::string lastText_;
  RegistryTree lastTree_;
};

// The registry file of this user: $ZELVAR_REGISTRY when set, else $XDG_STATE_HOME/zelvar/registry
// (when that is an absolute path), else ~/.local/state/zelvar/registry.
std::string DefaultRegistryFile();
