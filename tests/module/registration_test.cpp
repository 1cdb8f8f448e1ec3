// Self-registration of the built module, into a registry kept in memory.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/api.h"
#include "platform/registry/registry_store_memory.h"
#include "tests/fakes/caller_trace.h"
#include "tests/fakes/temp_folder.h"
#include "tests/module/loaded_module.h"

namespace {

namespace fs = std::filesystem;

const WString kClassKeyPath = u"HKEY_CLASSES_ROOT\\CLSID\\{FDEA2F9B-0266-11cf-BAA6-00AA003E0E01}";
const WString kServerKeyPath = kClassKeyPath + u"\\InprocServer32";

// The REG_SZ value of the text with its terminating NUL.
RegistryValue TextValue(const WString& text) {
  const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
  return {REG_SZ, std::vector<BYTE>(bytes, bytes + (text.size() + 1) * sizeof(WCHAR))};
}

// A copy of the built module at `file`.
fs::path CopyModule(const fs::path& file) {
  fs::create_directories(file.parent_path());
  fs::copy_file(BuiltModuleFile(), file);
  return file;
}

// A file below `base` whose full path is exactly `length` characters long and ends in `name`.
fs::path FileWithPathLength(const fs::path& base, const std::string& name, size_t length) {
  std::string path = base.string();
  const size_t tail = name.size() + 1;
  while (path.size() + tail < length) {
    const size_t missing = length - path.size() - tail;  // counts the new folder's slash
    const size_t folderName = missing - 1 > 200 ? 100 : missing - 1;
    if (folderName == 0) break;
    path.append("/").append(folderName, 'd');
  }
  return path + "/" + name;
}

class Registration : public testing::Test {
 protected:
  const RegistryTree& registry() const { return store.tree(); }
  const RegistryTree::Values* ValuesOf(const WString& keyPath) const {
    return registry().ValuesOf(keyPath);
  }
  // Creates the key under HKEY_CLASSES_ROOT, as another installer would.
  static testing::AssertionResult CreateKey(LPCWSTR path) {
    HKEY key = nullptr;
    const LSTATUS status =
        RegCreateKeyExW(HKEY_CLASSES_ROOT, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS)
      return testing::AssertionFailure() << "creating the key: error " << status;
    RegCloseKey(key);
    return testing::AssertionSuccess();
  }
  void ExpectClassKeyWithEmptyServerKey(CallerLocation caller = CallerLocation::Current()) const {
    const CallerTrace trace(caller);
    ASSERT_NE(ValuesOf(kClassKeyPath), nullptr);
    EXPECT_EQ(*ValuesOf(kClassKeyPath), (RegistryTree::Values{{u"", TextValue(u"Demo Plugin")}}));
    ASSERT_NE(ValuesOf(kServerKeyPath), nullptr);
    EXPECT_TRUE(ValuesOf(kServerKeyPath)->empty());
  }

  MemoryRegistryStore store;
  ScopedRegistryStore installed{store};
  TempFolder folder;
};

TEST_F(Registration, RegistersTheClassAndTheModulePathAndUnregistersThem) {
  const LoadedModule module(BuiltModuleFile());
  ASSERT_EQ(module.DllRegisterServer(), S_OK);

  // The key names as written, in their mixed case, each with its default value only.
  EXPECT_EQ(
      registry().Find(
          u"HKEY_CLASSES_ROOT\\clsid\\{fdea2f9b-0266-11CF-baa6-00aa003e0e01}\\inprocserver32"),
      kServerKeyPath);
  ASSERT_NE(ValuesOf(kClassKeyPath), nullptr);
  EXPECT_EQ(*ValuesOf(kClassKeyPath), (RegistryTree::Values{{u"", TextValue(u"Demo Plugin")}}));
  EXPECT_EQ(ValuesOf(kClassKeyPath)->at(u"").data.size(), 24u);
  const WString path = WidenUtf8(BuiltModuleFile().string());
  ASSERT_NE(ValuesOf(kServerKeyPath), nullptr);
  EXPECT_EQ(*ValuesOf(kServerKeyPath), (RegistryTree::Values{{u"", TextValue(path)}}));
  EXPECT_EQ(ValuesOf(kServerKeyPath)->at(u"").data.size(), (path.size() + 1) * 2);

  const RegistryTree once = registry();
  EXPECT_EQ(module.DllRegisterServer(), S_OK);
  EXPECT_EQ(registry(), once);

  EXPECT_EQ(module.DllUnregisterServer(), S_OK);
  EXPECT_FALSE(registry().Find(kServerKeyPath).has_value());
  EXPECT_FALSE(registry().Find(kClassKeyPath).has_value());
  EXPECT_EQ(module.DllUnregisterServer(), E_FAIL);
}

TEST_F(Registration, ACopyUnderAnotherNameIsNotRegisteredAsTheServer) {
  ASSERT_EQ(GetModuleHandleW(TEXT("zelvarplug.dll")), nullptr)
      << "the module itself must not be loaded";
  const LoadedModule copy(CopyModule(folder.path() / "batteryplug.so"));
  EXPECT_EQ(copy.DllRegisterServer(), E_FAIL);
  // What was written before the failing step stays.
  ExpectClassKeyWithEmptyServerKey();
}

TEST_F(Registration, APathThatDoesNotFitIsNeverRegisteredCutShort) {
  ASSERT_EQ(GetModuleHandleW(TEXT("zelvarplug.dll")), nullptr)
      << "the module itself must not be loaded";
  // The longest path that fits the 261-character buffer with its terminator.
  const fs::path longest = FileWithPathLength(folder.path() / "fits", "zelvarplug.so", 260);
  ASSERT_EQ(longest.string().size(), 260u);
  {
    const LoadedModule module(CopyModule(longest));
    EXPECT_EQ(module.DllRegisterServer(), S_OK);
    ASSERT_NE(ValuesOf(kServerKeyPath), nullptr);
    EXPECT_EQ(ValuesOf(kServerKeyPath)->at(u"").data.size(), 261u * 2);
    EXPECT_EQ(module.DllUnregisterServer(), S_OK);
  }
  // The module is found by its file name: the first copy must be gone before the second loads.
  ASSERT_EQ(GetModuleHandleW(TEXT("zelvarplug.dll")), nullptr) << "the first copy was not unloaded";

  const fs::path tooLong = FileWithPathLength(folder.path() / "too-long", "zelvarplug.so", 261);
  ASSERT_EQ(tooLong.string().size(), 261u);
  const LoadedModule module(CopyModule(tooLong));
  EXPECT_EQ(module.DllRegisterServer(), E_FAIL);
  ExpectClassKeyWithEmptyServerKey();
}

TEST_F(Registration, AClassKeyThatCannotBeDeletedFailsTheUnregistration) {
  const LoadedModule module(BuiltModuleFile());
  ASSERT_EQ(module.DllRegisterServer(), S_OK);
  ASSERT_TRUE(CreateKey(u"CLSID\\{FDEA2F9B-0266-11cf-BAA6-00AA003E0E01}\\ProgID"));
  EXPECT_EQ(module.DllUnregisterServer(), E_FAIL);  // a key with a subkey left is not deleted
  EXPECT_FALSE(registry().Find(kServerKeyPath).has_value());
  EXPECT_TRUE(registry().Find(kClassKeyPath).has_value());
}

TEST_F(Registration, UnregisteringWithoutTheServerKeyFailsAndLeavesTheClassKey) {
  const LoadedModule module(BuiltModuleFile());
  EXPECT_EQ(module.DllUnregisterServer(), E_FAIL);

  ASSERT_TRUE(CreateKey(u"CLSID\\{FDEA2F9B-0266-11cf-BAA6-00AA003E0E01}"));
  EXPECT_EQ(module.DllUnregisterServer(), E_FAIL);
  EXPECT_TRUE(registry().Find(kClassKeyPath).has_value());
}

}  // namespace
