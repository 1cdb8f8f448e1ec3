#include "platform/registry/registry_store_file.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/registry/internal/registry_file_format.h"
#include "tests/fakes/scoped_environment.h"
#include "tests/fakes/temp_folder.h"

namespace {

namespace fs = std::filesystem;

constexpr WCHAR kClassPath[] = u"CLSID\\{FDEA2F9B-0266-11cf-BAA6-00AA003E0E01}";
constexpr WCHAR kClassKey[] = u"HKEY_CLASSES_ROOT\\CLSID\\{FDEA2F9B-0266-11cf-BAA6-00AA003E0E01}";

RegistryValue Text(WStringView text) {
  const auto* bytes = reinterpret_cast<const BYTE*>(text.data());
  return {REG_SZ, std::vector<BYTE>(bytes, bytes + (text.size() + 1) * sizeof(WCHAR))};
}

RegistryTree RegisteredTree() {
  RegistryTree tree;
  (*tree.ValuesOf(tree.Create(kClassKey)->first))[u""] = Text(u"Demo Plugin");
  return tree;
}

std::vector<std::string> FolderEntries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

TEST(RegistryFileFormat, WritesOneLinePerKeyAndValue) {
  RegistryTree tree = RegisteredTree();
  (*tree.ValuesOf(tree.Create(u"HKEY_CURRENT_USER\\My Keys")->first))[u"100%\"sure\""] = {4, {}};
  EXPECT_EQ(FormatRegistryFile(tree),
            "zelvar-registry 1\n"
            "key HKEY_CLASSES_ROOT\n"
            "key HKEY_CLASSES_ROOT\\CLSID\n"
            "key HKEY_CLASSES_ROOT\\CLSID\\{FDEA2F9B-0266-11cf-BAA6-00AA003E0E01}\n"
            "value \"\" 1 24 440065006d006f00200050006c007500670069006e000000\n"
            "key HKEY_CURRENT_USER\n"
            "key HKEY_CURRENT_USER\\My%0020Keys\n"
            "value \"100%0025%0022sure%0022\" 4 0\n"
            "key HKEY_LOCAL_MACHINE\n"
            "key HKEY_USERS\n"
            "end\n");
}

TEST(RegistryFileFormat, ReadingBackGivesTheSameTreeForAwkwardNamesAndBytes) {
  RegistryTree tree;
  const WCHAR loneSurrogate[] = {u'x', 0xD800, 0};
  const WString path = WString(u"HKEY_LOCAL_MACHINE\\Gr\u00FC\u00DFe \u20AC\\") + loneSurrogate;
  RegistryTree::Values& values = *tree.ValuesOf(tree.Create(path)->first);
  values[u"back\\slash"] = {REG_BINARY, {0, 0xFF, 0x0A, 0x0D, 0x25}};
  values[u"\t%"] = {0xFFFFFFFF, {}};

  RegistryTree readBack;
  std::string problem;
  ASSERT_TRUE(ParseRegistryFile(FormatRegistryFile(tree), readBack, problem)) << problem;
  EXPECT_EQ(readBack, tree);
}

TEST(RegistryFileFormat, DamageIsNamedWithItsLine) {
  const std::string header = "zelvar-registry 1\n";
  const std::string key = "key HKEY_CLASSES_ROOT\\CLSID\n";
  const std::pair<std::string, std::string> damaged[] = {
      {"", "empty file"},
      {"zelvar-registry 2\nend\n", "line 1: not a registry file"},
      {header + key, "line 2: the file ends before its end line"},
      {header + "value \"\" 1 0\nend\n", "line 2: value before any key"},
      {header + "key HKEY_CLASSES_ROOT\\a\\b\nend\n", "line 2: key before its parent key"},
      {header + "key HKEY_NOWHERE\nend\n", "line 2: key outside the predefined roots"},
      {header + key + "key HKEY_CLASSES_ROOT\\clsid\nend\n", "line 3: key listed twice"},
      {header + key + "value \"\" 1 2 4400\nvalue \"\" 1 0\nend\n", "line 4: value listed twice"},
      {header + key + "value \"\" 1 3 4400\nend\n", "line 3: value bytes do not match its size"},
      {header + key + "value \"\" 1 1 4g\nend\n", "line 3: malformed value bytes"},
      {header + key + "value \"%00\" 1 0\nend\n", "line 3: malformed value name"},
      {header + key + "value  \"\" 1 0\nend\n", "line 3: stray space"},
      {header + key + "end\nkey HKEY_USERS\n", "line 4: text after the end line"},
  };
  for (const auto& [text, expected] : damaged) {
    RegistryTree tree;
    std::string problem;
    EXPECT_FALSE(ParseRegistryFile(text, tree, problem)) << text;
    EXPECT_EQ(problem.substr(0, expected.size()), expected) << text;
  }
}

TEST(RegistryFileFormat, AcceptsCommentsBlankLinesAndCarriageReturns) {
  RegistryTree tree;
  std::string problem;
  ASSERT_TRUE(
      ParseRegistryFile("zelvar-registry 1\r\n# by hand\r\n\r\nkey HKEY_CLASSES_ROOT\\CLSID\r\n"
                        "key HKEY_CLASSES_ROOT\\CLSID\\{FDEA2F9B-0266-11cf-BAA6-00AA003E0E01}"
                        "\r\nvalue \"\" 1 24 440065006d006f00200050006c007500670069006e00"
                        "0000\r\nend",
                        tree, problem))
      << problem;
  EXPECT_EQ(tree, RegisteredTree());
}

class FileRegistryStoreTest : public ::testing::Test {
 protected:
  TempFolder folder_;
  const fs::path file_ = folder_.path() / "state" / "zelvar" / "registry";
};

TEST_F(FileRegistryStoreTest, MissingFileIsAnEmptyRegistryAndSavingCreatesItsFolder) {
  FileRegistryStore store(file_.string());
  RegistryTree tree = RegisteredTree();
  ASSERT_TRUE(store.Load(tree).ok());
  EXPECT_EQ(tree, RegistryTree());

  ASSERT_TRUE(store.Save(RegisteredTree()).ok());
  FileRegistryStore reopened(file_.string());
  ASSERT_TRUE(reopened.Load(tree).ok());
  EXPECT_EQ(tree, RegisteredTree());
  // A store answers what the file holds now, not the tree it read or wrote before.
  ASSERT_TRUE(reopened.Save(RegistryTree()).ok());
  ASSERT_TRUE(store.Load(tree).ok());
  EXPECT_EQ(tree, RegistryTree());
  ASSERT_TRUE(store.Save(RegisteredTree()).ok());
  ASSERT_TRUE(reopened.Load(tree).ok());
  EXPECT_EQ(tree, RegisteredTree());
}

TEST_F(FileRegistryStoreTest, RegistryCallsPersistForTheNextStoreOnTheFile) {
  {
    FileRegistryStore store(file_.string());
    ScopedRegistryStore installed(store);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, kClassPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(
        RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(u"Demo Plugin"), 24),
        ERROR_SUCCESS);
    RegCloseKey(key);
  }
  FileRegistryStore nextRun(file_.string());
  ScopedRegistryStore installed(nextRun);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, kClassPath, 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(key, nullptr, nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 24u);
  RegCloseKey(key);
}

TEST_F(FileRegistryStoreTest, SavesReplaceTheFileWithoutLeavingTemporaryFiles) {
  FileRegistryStore store(file_.string());
  ASSERT_TRUE(store.Save(RegisteredTree()).ok());
  ASSERT_TRUE(store.Save(RegistryTree()).ok());
  EXPECT_EQ(FolderEntries(file_.parent_path()), std::vector<std::string>{"registry"});
  EXPECT_EQ(fs::file_size(file_), FormatRegistryFile(RegistryTree()).size());

  // A folder in the file's place makes the final rename fail.
  const fs::path blocked = folder_.path() / "blocked";
  fs::create_directories(blocked / "registry" / "inside");
  const RegistryStoreResult result = FileRegistryStore((blocked / "registry").string()).Save({});
  EXPECT_EQ(result.status, ERROR_REGISTRY_IO_FAILED);
  EXPECT_NE(result.message.find((blocked / "registry").string()), std::string::npos);
  EXPECT_EQ(FolderEntries(blocked), std::vector<std::string>{"registry"});
}

// Another process's hold is the same lock on the folder, taken through a descriptor of its own.
TEST_F(FileRegistryStoreTest, AHoldKeepsOtherProcessesChangesWaitingUntilItEnds) {
  FileRegistryStore store(file_.string());
  const auto othersMayChange = [this] {
    const int fd = open(file_.parent_path().c_str(), O_RDONLY | O_DIRECTORY);
    const bool free = flock(fd, LOCK_EX | LOCK_NB) == 0;
    close(fd);
    return free;
  };
  {
    std::unique_ptr<RegistryChangeHold> hold;
    ASSERT_TRUE(store.HoldChanges(hold).ok());  // creates the folder
    ASSERT_NE(hold, nullptr);
    EXPECT_FALSE(othersMayChange());
  }
  EXPECT_TRUE(othersMayChange());
  // The state folders it made are the user's alone.
  for (const fs::path& made : {file_.parent_path(), file_.parent_path().parent_path()}) {
    EXPECT_EQ(fs::status(made).permissions(), fs::perms::owner_all) << made;
  }

  // A hold another process lets go of within a few seconds is waited for.
  const int other = open(file_.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_EQ(flock(other, LOCK_EX), 0);
  std::thread letsGo([other] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    flock(other, LOCK_UN);
  });
  std::unique_ptr<RegistryChangeHold> hold;
  EXPECT_TRUE(store.HoldChanges(hold).ok());
  EXPECT_NE(hold, nullptr);
  letsGo.join();
  close(other);
}

TEST_F(FileRegistryStoreTest, DamagedFileFailsTheCallsAndStaysUntouched) {
  const std::string damaged =
      "zelvar-registry 1\nkey HKEY_CLASSES_ROOT\\CLSID\nvalue \"\" 1 2 44\n";
  fs::create_directories(file_.parent_path());
  folder_.Write("state/zelvar/registry", damaged);

  FileRegistryStore store(file_.string());
  RegistryTree tree;
  const RegistryStoreResult loaded = store.Load(tree);
  EXPECT_EQ(loaded.status, ERROR_BADDB);
  EXPECT_EQ(loaded.message, "registry file " + file_.string() +
                                " is damaged (line 3: value bytes do not match its size)");

  ScopedRegistryStore installed(store);
  HKEY key = reinterpret_cast<HKEY>(1);
  EXPECT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, u"CLSID\\new", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_BADDB);
  EXPECT_EQ(key, nullptr);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CLASSES_ROOT, u"CLSID"), ERROR_BADDB);
  EXPECT_EQ(folder_.Read("state/zelvar/registry"), damaged);
}

TEST(DefaultRegistryFile, NamedFileThenStateFolderThenHomeThenThePasswordDatabase) {
  ScopedEnvironment home("HOME", "/home/tester");
  ScopedEnvironment state("XDG_STATE_HOME", "relative/is/ignored");
  ScopedEnvironment named("ZELVAR_REGISTRY", nullptr);
  EXPECT_EQ(DefaultRegistryFile(), "/home/tester/.local/state/zelvar/registry");
  {
    ScopedEnvironment absoluteState("XDG_STATE_HOME", "/var/state");
    EXPECT_EQ(DefaultRegistryFile(), "/var/state/zelvar/registry");
    ScopedEnvironment namedFile("ZELVAR_REGISTRY", "/tmp/other-registry");
    EXPECT_EQ(DefaultRegistryFile(), "/tmp/other-registry");
  }
  // Without HOME the user's home comes from the password database, never the current folder.
  ScopedEnvironment noHome("HOME", nullptr);
  const passwd* user = getpwuid(getuid());
  ASSERT_NE(user, nullptr);
  EXPECT_EQ(DefaultRegistryFile(), std::string(user->pw_dir) + "/.local/state/zelvar/registry");
}

}  // namespace
