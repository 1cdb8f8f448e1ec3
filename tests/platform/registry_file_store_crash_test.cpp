// A save of the registry file that is cut short, or whose writer is killed, leaves the old file
// whole: the new text goes to a temporary file that is renamed over the old one only when it is
// complete and on disk.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/registry/internal/registry_file_format.h"
#include "platform/registry/registry_store_file.h"
#include "tests/fakes/file_size_limit.h"
#include "tests/fakes/temp_folder.h"

namespace {

RegistryTree TreeWith(WStringView keyPath, BYTE fill, size_t size) {
  RegistryTree tree;
  (*tree.ValuesOf(tree.Create(keyPath)->first))[u"Data"] = {REG_BINARY,
                                                            std::vector<BYTE>(size, fill)};
  return tree;
}

std::vector<std::string> Entries(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

}  // namespace

TEST(RegistryFileStoreCrashSafety, ASaveCutAtAnyByteKeepsTheOldFile) {
  TempFolder folder;
  FileRegistryStore store((folder.path() / "registry").string());
  const RegistryTree old = TreeWith(u"HKEY_CURRENT_USER\\Old", 0x11, 8);
  ASSERT_TRUE(store.Save(old).ok());
  const std::string oldText = folder.Read("registry");
  const RegistryTree changed = TreeWith(u"HKEY_CURRENT_USER\\New", 0x22, 64);
  const size_t newSize = FormatRegistryFile(changed).size();

  for (size_t cut = 0; cut < newSize; ++cut) {
    RegistryStoreResult result;
    {
      ScopedFileSizeLimit limit(cut);
      result = store.Save(changed);
    }
    ASSERT_FALSE(result.ok()) << cut;
    ASSERT_EQ(folder.Read("registry"), oldText) << cut;
    ASSERT_EQ(Entries(folder.path()), std::vector<std::string>{"registry"})
        << cut;  // no temporary left
  }
  {
    ScopedFileSizeLimit limit(newSize);
    ASSERT_TRUE(store.Save(changed).ok());
  }
  RegistryTree loaded;
  ASSERT_TRUE(store.Load(loaded).ok());
  EXPECT_EQ(loaded, changed);
}

// A child saves two registries in turn until it is killed at some moment; whatever the moment, the
// file holds one of them whole.
TEST(RegistryFileStoreCrashSafety, AKilledWriterLeavesTheOldOrTheNewRegistry) {
  TempFolder folder;
  const std::string path = (folder.path() / "registry").string();
  const RegistryTree first = TreeWith(u"HKEY_LOCAL_MACHINE\\First", 0x33, 4096);
  const RegistryTree second = TreeWith(u"HKEY_LOCAL_MACHINE\\Second", 0x44, 8192);
  ASSERT_TRUE(FileRegistryStore(path).Save(first).ok());

  for (int round = 0; round < 20; ++round) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      FileRegistryStore writer(path);
      for (;;) {
        writer.Save(second);
        writer.Save(first);
      }
    }
    std::this_thread::sleep_for(std::chrono::microseconds(200 + 731 * round % 5000));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    RegistryTree loaded;
    ASSERT_TRUE(FileRegistryStore(path).Load(loaded).ok()) << round;
    ASSERT_TRUE(loaded == first || loaded == second) << round;
  }
}
