// The built module file as the loader sees it: what its dynamic symbol table exports, and that its
// entry point runs when it is loaded. Runs in a process of its own, so that no earlier load of the
// module can answer for this one.
#include <elf.h>
#include <gtest/gtest.h>
#include <link.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>
#include <string>

#include "platform/api.h"
#include "tests/fakes/temp_folder.h"
#include "tests/module/loaded_module.h"

namespace {

std::string ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

template <typename T>
T At(const std::string& image, size_t offset) {
  if (offset > image.size() || image.size() - offset < sizeof(T))
    throw std::runtime_error("truncated ELF file");
  T value;
  std::memcpy(&value, image.data() + offset, sizeof(T));
  return value;
}

// Names of the symbols that the file's dynamic symbol table defines for other objects to bind to.
std::set<std::string> DefinedDynamicSymbols(const std::filesystem::path& file) {
  const std::string image = ReadFile(file);
  const auto header = At<ElfW(Ehdr)>(image, 0);
  if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0)
    throw std::runtime_error("not an ELF file");
  std::set<std::string> names;
  for (size_t i = 0; i < header.e_shnum; ++i) {
    const auto section = At<ElfW(Shdr)>(image, header.e_shoff + i * header.e_shentsize);
    if (section.sh_type != SHT_DYNSYM) continue;
    const auto strings =
        At<ElfW(Shdr)>(image, header.e_shoff + size_t{section.sh_link} * header.e_shentsize);
    for (size_t offset = 0; offset + sizeof(ElfW(Sym)) <= section.sh_size;
         offset += sizeof(ElfW(Sym))) {
      const auto symbol = At<ElfW(Sym)>(image, section.sh_offset + offset);
      const unsigned binding = ELF64_ST_BIND(symbol.st_info);
      if (symbol.st_shndx == SHN_UNDEF || binding == STB_LOCAL) continue;
      const size_t nameOffset = strings.sh_offset + symbol.st_name;
      if (nameOffset >= image.size()) throw std::runtime_error("bad symbol name");
      names.insert(std::string(image.c_str() + nameOffset));
    }
  }
  return names;
}

TEST(ModuleFile, ExportsOnlyTheFourEntryPoints) {
  const std::set<std::string> expected = {"DllCanUnloadNow", "DllGetClassObject",
                                          "DllRegisterServer", "DllUnregisterServer"};
  EXPECT_EQ(DefinedDynamicSymbols(BuiltModuleFile()), expected);
}

TEST(ModuleFile, EntryPointRunsAtLoadWithTheModulesOwnHandle) {
  const LoadedModule module(BuiltModuleFile());
  const HMODULE handle = GetModuleHandleW(TEXT("zelvarplug.dll"));
  ASSERT_NE(handle, nullptr);
  EXPECT_TRUE(ThreadLibraryCallsDisabled(handle));

  // A copy under another name gets its own handle, found by address rather than by name.
  const TempFolder folder;
  const auto copyFile = folder.path() / "batteryplug.so";
  std::filesystem::copy_file(BuiltModuleFile(), copyFile);
  const LoadedModule copy(copyFile);
  const HMODULE copyHandle = GetModuleHandleW(TEXT("batteryplug.dll"));
  ASSERT_NE(copyHandle, nullptr);
  EXPECT_NE(copyHandle, handle);
  EXPECT_TRUE(ThreadLibraryCallsDisabled(copyHandle));
}

}  // namespace
