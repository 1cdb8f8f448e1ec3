// Parses arbitrary bytes as the registry store's file: a text that parses must format back
// unchanged. The tree formatted is the tree parsed, and the formatted text, parsed and formatted
// again, is the same bytes (so a file in the saved form is kept byte for byte; comments, blank
// lines and "\r" of a file written by hand are the only things a save drops). The text is parsed
// from memory, as the store parses the file once it has read it (the tests save and load real
// files).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/registry/internal/registry_file_format.h"
#include "platform/registry/registry_tree.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RegistryTree loaded;
  std::string problem;
  if (!ParseRegistryFile(std::string_view(reinterpret_cast<const char*>(data), size), loaded,
                         problem))
    return 0;

  const std::string saved = FormatRegistryFile(loaded);
  RegistryTree reloaded;
  if (!ParseRegistryFile(saved, reloaded, problem) || !(reloaded == loaded)) std::abort();
  if (FormatRegistryFile(reloaded) != saved) std::abort();
  return 0;
}
