#include "platform/module/module_api.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/text/wide_text.h"

namespace {

// Built by the test build: zelvarplug.so and its copies libzelvarplug.so and batteryplug.so.
const std::string kFixtureFolder = MODULE_API_FIXTURE_DIR;

// Loads a module file for the lifetime of the object.
class LoadedModule {
 public:
  explicit LoadedModule(const std::string& path) : handle_(dlopen(path.c_str(), RTLD_NOW)) {
    EXPECT_NE(handle_, nullptr) << dlerror();
  }
  ~LoadedModule() {
    if (handle_ != nullptr) dlclose(handle_);
  }
  void* Symbol(const char* name) const { return dlsym(handle_, name); }

 private:
  void* handle_;
};

WString FileName(HMODULE module, DWORD capacity, DWORD& answer) {
  WString buffer(capacity + 1, u'#');
  answer = GetModuleFileNameW(module, buffer.data(), capacity);
  return buffer;
}

TEST(ModuleApi, FindsTheModuleByItsDeviceNameAtItsLoadAddress) {
  const LoadedModule module(kFixtureFolder + "/zelvarplug.so");
  const HMODULE handle = GetModuleHandleW(u"zelvarplug.dll");
  ASSERT_NE(handle, nullptr);
  Dl_info info{};
  ASSERT_NE(dladdr(module.Symbol("ZelvarFixtureAnswer"), &info), 0);
  EXPECT_EQ(static_cast<void*>(handle), info.dli_fbase);

  EXPECT_EQ(GetModuleHandleW(u"ZelvarPlug.DLL"), handle);
  EXPECT_EQ(GetModuleHandleW(u"zelvarplug.so"), handle);
  EXPECT_EQ(GetModuleHandleW(u"zelvarplug"), nullptr);
  EXPECT_EQ(GetModuleHandleW(u"\\Windows\\zelvarplug.dll"), nullptr);
}

TEST(ModuleApi, RenamedCopiesAreNotFoundUnderTheModuleName) {
  const LoadedModule renamed(kFixtureFolder + "/batteryplug.so");
  const LoadedModule prefixed(kFixtureFolder + "/libzelvarplug.so");
  EXPECT_EQ(GetModuleHandleW(u"zelvarplug.dll"), nullptr);
  EXPECT_NE(GetModuleHandleW(u"batteryplug.dll"), nullptr);
  EXPECT_NE(GetModuleHandleW(u"libzelvarplug.dll"), nullptr);
}

TEST(ModuleApi, UnloadedModuleIsNoLongerFound) {
  { const LoadedModule module(kFixtureFolder + "/zelvarplug.so"); }
  EXPECT_EQ(GetModuleHandleW(u"zelvarplug.dll"), nullptr);
}

TEST(ModuleApi, FileNameIsTheFullPathAndTruncatesLikeTheDevice) {
  const std::string path = kFixtureFolder + "/zelvarplug.so";
  const LoadedModule module(path);
  const HMODULE handle = GetModuleHandleW(u"zelvarplug.dll");
  const WString full = WidenUtf8(path);
  const auto length = static_cast<DWORD>(full.size());
  DWORD answer = 0;

  EXPECT_EQ(FileName(handle, 261, answer).substr(0, length + 1), full + u'\0');
  EXPECT_EQ(answer, length);
  EXPECT_EQ(FileName(handle, length + 1, answer), full + u'\0' + u'#');
  EXPECT_EQ(answer, length);
  EXPECT_EQ(FileName(handle, length, answer), full.substr(0, length - 1) + u'\0' + u'#');
  EXPECT_EQ(answer, length);
  EXPECT_EQ(FileName(handle, 1, answer), WString(u"\0#", 2));
  EXPECT_EQ(answer, 1u);
  EXPECT_EQ(FileName(handle, 0, answer), u"#");
  EXPECT_EQ(answer, 0u);
  EXPECT_EQ(FileName(reinterpret_cast<HMODULE>(0x1000), 261, answer)[0], u'#');
  EXPECT_EQ(answer, 0u);
}

TEST(ModuleApi, ModuleLoadedThroughARelativePathReportsItsAbsolutePath) {
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(kFixtureFolder);
  const LoadedModule module("./zelvarplug.so");
  std::filesystem::current_path(before);

  DWORD answer = 0;
  const WString name = FileName(GetModuleHandleW(u"zelvarplug.dll"), 261, answer);
  const std::string expected =
      std::filesystem::canonical(kFixtureFolder + "/zelvarplug.so").string();
  EXPECT_EQ(name.substr(0, answer), WidenUtf8(expected));
}

TEST(ModuleApi, NullNamesTheMainProgram) {
  const std::string program = std::filesystem::read_symlink("/proc/self/exe").string();
  DWORD answer = 0;
  const WString name = FileName(nullptr, 4096, answer);
  EXPECT_EQ(name.substr(0, answer), WidenUtf8(program));
  const WString programName = WidenUtf8(std::filesystem::path(program).filename().string());
  EXPECT_EQ(GetModuleHandleW(programName.c_str()), GetModuleHandleW(nullptr));
  EXPECT_NE(GetModuleHandleW(nullptr), nullptr);
}

TEST(ModuleApi, DisablingThreadCallsIsRecordedForLoadedModulesOnly) {
  const LoadedModule module(kFixtureFolder + "/zelvarplug.so");
  const LoadedModule other(kFixtureFolder + "/batteryplug.so");
  const HMODULE handle = GetModuleHandleW(u"zelvarplug.dll");
  EXPECT_EQ(DisableThreadLibraryCalls(handle), TRUE);
  EXPECT_TRUE(ThreadLibraryCallsDisabled(handle));
  EXPECT_FALSE(ThreadLibraryCallsDisabled(GetModuleHandleW(u"batteryplug.dll")));

  const auto notLoaded = reinterpret_cast<HMODULE>(0x1000);
  EXPECT_EQ(DisableThreadLibraryCalls(notLoaded), FALSE);
  EXPECT_FALSE(ThreadLibraryCallsDisabled(notLoaded));
}

}  // namespace
