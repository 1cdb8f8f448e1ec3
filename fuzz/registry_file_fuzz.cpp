// Loads arbitrary bytes as the registry store's file: a file that loads must save back unchanged.
// The tree saved is the tree loaded, and the saved file, loaded and saved again, is the same bytes
// (so a file in the saved form is kept byte for byte; comments, blank lines and "\r" of a file
// written by hand are the only things a save drops). Saves skip the sync to disk: the file is
// scratch.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/scratch_folder.h"
#include "platform/registry/registry_tree.h"
#include "platform/registry/registry_store_file.h"

namespace {

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) std::abort();
  std::fwrite(data, 1, size, file);
  std::fclose(file);
}

std::string ReadFile(const std::string& path) {
  std::string text;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) std::abort();
  char buffer[4096];
  size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, count);
  std::fclose(file);
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = (ScratchFolder() / "registry").string();
  WriteFile(path, data, size);
  FileRegistryStore store(path, SaveDurability::Unsynced);
  RegistryTree loaded;
  if (!store.Load(loaded).ok()) return 0;

  if (!store.Save(loaded).ok()) std::abort();
  const std::string saved = ReadFile(path);
  // A store of its own parses the saved file: the first one would answer the tree it remembers.
  FileRegistryStore reading(path, SaveDurability::Unsynced);
  RegistryTree reloaded;
  if (!reading.Load(reloaded).ok() || !(reloaded == loaded)) std::abort();
  if (!reading.Save(reloaded).ok() || ReadFile(path) != saved) std::abort();
  return 0;
}
