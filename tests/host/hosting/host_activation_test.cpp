// The host activates the real built module through a registry in memory, runs it through a whole
// session and unloads it, as zelvar-home does.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "host/hosting/activation/class_id.h"
#include "host/hosting/home_screen_file.h"
#include "host/hosting/home_screen_session.h"
#include "host/hosting/host_error.h"
#include "host/hosting/activation/module_activation.h"
#include "host/hosting/activation/module_trust.h"
#include "host/hosting/stream_file.h"
#include "host/hosting/line_canvas.h"
#include "tests/fakes/com_expect.h"
#include "tests/fakes/simulated_device_test.h"
#include "tests/fakes/temp_folder.h"
#include "tests/fakes/time_builders.h"
#include "tests/fakes/home_screen_text.h"

namespace {

constexpr ULONGLONG kUnitsPerMs = 10'000;

const std::filesystem::path kBuiltModule = std::filesystem::canonical(ZELVARPLUG_FILE);

bool ModuleLoaded(const std::filesystem::path& file) {
  void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (handle != nullptr) dlclose(handle);
  return handle != nullptr;
}

testing::AssertionResult RegisterServerPath(const std::string& path) {
  HKEY key = nullptr;
  LSTATUS status = RegCreateKeyExW(HKEY_CLASSES_ROOT, ServerKeyOf(kBatteryPluginClassId).c_str(), 0,
                                   nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS)
    return testing::AssertionFailure() << "creating the server key: error " << status;
  const WString value = WidenUtf8(path);
  status = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(WCHAR)));
  RegCloseKey(key);
  if (status != ERROR_SUCCESS)
    return testing::AssertionFailure() << "setting the server file: error " << status;
  return testing::AssertionSuccess();
}

std::string ActivationFailure() {
  try {
    ActivatePlugin(kBatteryPluginClassId);
  } catch (const HostError& error) {
    return error.what();
  }
  return "no failure";
}

// The registry in memory, telling for each save whether other processes' changes were held off
// then. Each save is what another process could read.
class RecordingRegistryStore : public MemoryRegistryStore {
 public:
  RegistryStoreResult Save(const RegistryTree& tree) override {
    savesHeld.push_back(holds_ > 0);
    return MemoryRegistryStore::Save(tree);
  }
  RegistryStoreResult HoldChanges(std::unique_ptr<RegistryChangeHold>& hold) override {
    hold = std::make_unique<Hold>(holds_);
    return {};
  }
  std::vector<bool> savesHeld;

 private:
  class Hold : public RegistryChangeHold {
   public:
    explicit Hold(int& holds) : holds_(holds) { ++holds_; }
    ~Hold() override { --holds_; }

   private:
    int& holds_;
  };
  int holds_ = 0;
};

class HostActivationTest : public SimulatedDeviceTest<RecordingRegistryStore> {
 protected:
  HostActivationTest() : SimulatedDeviceTest(Utc(2024, 3, 5, 10, 23, 17)) { power_.OnBattery(80); }

  SessionFiles Files() const {
    return {folder_.path() / "home.xml", folder_.path() / "state" / "plugin.stream"};
  }
  void WriteHomeScreen(const std::string& settings) const {
    folder_.Write("home.xml", HomeScreenWith(settings));
  }
  // Registers the built module as a first run does, or as asked for explicitly.
  static std::optional<std::filesystem::path> Register(Registration how = Registration::IfMissing) {
    return EnsureRegistered(kBatteryPluginClassId, kBuiltModule, how);
  }
  std::unique_ptr<HomeScreenSession> Start() {
    Register();
    return std::make_unique<HomeScreenSession>(Files(), ActivatePlugin(kBatteryPluginClassId));
  }
  ULONGLONG Now() { return clock_.UtcNow(); }
};

TEST_F(HostActivationTest, FirstRunRegistersTheBuiltModuleAndActivatesItThroughTheRegistry) {
  EXPECT_EQ(RegisteredServerFile(kBatteryPluginClassId), std::nullopt);
  EXPECT_NE(
      ActivationFailure().find(
          "is not registered (no "
          "HKEY_CLASSES_ROOT\\CLSID\\{FDEA2F9B-0266-11CF-BAA6-00AA003E0E01}\\InprocServer32)"),
      std::string::npos);

  EXPECT_EQ(Register(), std::nullopt);
  EXPECT_EQ(RegisteredServerFile(kBatteryPluginClassId), kBuiltModule);
  // In one save, which no other process's change can undo meanwhile: a process started at the same
  // moment never reads the class without its file.
  EXPECT_EQ(registry_.savesHeld, std::vector<bool>{true});

  ActivatedPlugin activated = ActivatePlugin(kBatteryPluginClassId);
  ASSERT_NE(activated.plugin(), nullptr);
  EXPECT_EQ(activated.server().file(), kBuiltModule);
  EXPECT_INTERFACE(activated.plugin(), IID_IPersistStream, true);
  EXPECT_EQ(activated.Release(), 0u);
  EXPECT_FALSE(activated.server().loaded());
  EXPECT_FALSE(ModuleLoaded(kBuiltModule));
}

TEST_F(HostActivationTest, RegisteredFileThatIsMissingOrNoModuleGivesAClearError) {
  const std::string missing = (folder_.path() / "gone" / "zelvarplug.so").string();
  ASSERT_TRUE(RegisterServerPath(missing));
  EXPECT_EQ(ActivationFailure(),
            "cannot activate the class {FDEA2F9B-0266-11CF-BAA6-00AA003E0E01}: the module file " +
                missing + " does not exist (registered in HKEY_CLASSES_ROOT\\CLSID\\" +
                "{FDEA2F9B-0266-11CF-BAA6-00AA003E0E01}\\InprocServer32)");

  folder_.Write("text.so", "not a module");
  ASSERT_TRUE(RegisterServerPath((folder_.path() / "text.so").string()));
  EXPECT_NE(ActivationFailure().find("is not a loadable module"), std::string::npos);
  // A first run keeps a registered file that exists, even one that fails to load.
  EXPECT_EQ(Register(), std::nullopt);
  EXPECT_EQ(RegisteredServerFile(kBatteryPluginClassId), folder_.path() / "text.so");

  // Asked for explicitly, the module replaces the registration.
  EXPECT_EQ(Register(Registration::Always), std::nullopt);
  EXPECT_EQ(RegisteredServerFile(kBatteryPluginClassId), kBuiltModule);
}

TEST_F(HostActivationTest, FirstRunReplacesARegisteredFileThatNoLongerExists) {
  const std::filesystem::path removedBuild = folder_.path() / "old-build" / "zelvarplug.so";
  ASSERT_TRUE(RegisterServerPath(removedBuild.string()));
  EXPECT_EQ(Register(), removedBuild);
  EXPECT_EQ(RegisteredServerFile(kBatteryPluginClassId), kBuiltModule);
  EXPECT_EQ(Register(), std::nullopt);

  // An explicit registration tells of no replaced file.
  ASSERT_TRUE(RegisterServerPath(removedBuild.string()));
  EXPECT_EQ(Register(Registration::Always), std::nullopt);
  EXPECT_EQ(RegisteredServerFile(kBatteryPluginClassId), kBuiltModule);
}

TEST_F(HostActivationTest, RegisteringAFileThatIsNoModuleFails) {
  folder_.Write("text.so", "not a module");
  EXPECT_THROW(
      EnsureRegistered(kBatteryPluginClassId, folder_.path() / "text.so", Registration::IfMissing),
      HostError);
  EXPECT_EQ(RegisteredServerFile(kBatteryPluginClassId), std::nullopt);
}

TEST_F(HostActivationTest, SessionStartsFromTheHomeScreenFileAndAnswersEachTimerOnce) {
  WriteHomeScreen("RefreshTimeout=\"5000\"");
  const ULONGLONG start = Now();
  auto session = Start();

  // Load asked for its first timer.
  EXPECT_EQ(session->EarliestDeadline(), start + 1000 * kUnitsPerMs);
  clock_.AdvanceMilliseconds(999);
  session->DispatchDueTimers(Now());
  EXPECT_EQ(session->EarliestDeadline(), start + 1000 * kUnitsPerMs);

  clock_.AdvanceMilliseconds(1);
  session->DispatchDueTimers(Now());
  // The element's RefreshTimeout applies: the next request is 5 s away.
  EXPECT_EQ(session->EarliestDeadline(), Now() + 5000 * kUnitsPerMs);
  EXPECT_TRUE(session->line().repaintRequested);

  LineCanvas canvas(0);
  session->Paint(canvas, 40);
  EXPECT_FALSE(session->line().repaintRequested);
  EXPECT_EQ(NarrowUtf8(canvas.text()).substr(0, 10), " 80%, hrs:");
  EXPECT_EQ(canvas.textColour(), session->scheme().text);

  session->ToggleSelection();
  canvas.Clear();
  session->Paint(canvas, 40);
  EXPECT_EQ(canvas.fill(), session->scheme().highlight);
  EXPECT_EQ(canvas.textColour(), session->scheme().highlightText);

  session->SwitchColourScheme();
  EXPECT_TRUE(session->line().repaintRequested);
  canvas.Clear();
  session->Paint(canvas, 40);
  EXPECT_EQ(session->scheme().name, "light");
  EXPECT_EQ(canvas.textColour(), session->scheme().highlightText);
  EXPECT_TRUE(messages_.messages.empty());

  session->Close();
  EXPECT_TRUE(session->plugin().stopped());
  EXPECT_EQ(session->plugin().referencesLeft(), 0u);
  EXPECT_FALSE(ModuleLoaded(kBuiltModule));

  // The saved stream: handle 1, RefreshTimeout 5000, the default stat file name.
  const std::optional<std::vector<BYTE>> saved = ReadStreamFile(Files().stream).value();
  ASSERT_TRUE(saved);
  ASSERT_EQ(saved->size(), 32u + 2 * 38);
  EXPECT_EQ((*saved)[0], 1);
  EXPECT_EQ((*saved)[4] | ((*saved)[5] << 8), 5000);
  EXPECT_EQ(folder_.Read("Storage/My Documents/ZelvarPlugin.dat").substr(0, 11), "[version 1]");
}

TEST_F(HostActivationTest, SavedStreamAppliesUnlessTheHomeScreenFileIsNewer) {
  WriteHomeScreen("RefreshTimeout=\"5000\"");
  Start()->Close();

  WriteHomeScreen("RefreshTimeout=\"9000\"");
  const auto saved = std::filesystem::last_write_time(Files().stream);
  std::filesystem::last_write_time(Files().homeScreen, saved - std::chrono::seconds(10));
  auto restored = Start();
  ASSERT_TRUE(restored->AnswerEarliestTimerNow());
  EXPECT_EQ(restored->EarliestDeadline(), Now() + 5000 * kUnitsPerMs);
  restored->Close();

  std::filesystem::last_write_time(
      Files().homeScreen,
      std::filesystem::last_write_time(Files().stream) + std::chrono::seconds(10));
  auto edited = Start();
  ASSERT_TRUE(edited->AnswerEarliestTimerNow());
  EXPECT_EQ(edited->EarliestDeadline(), Now() + 9000 * kUnitsPerMs);
}

TEST_F(HostActivationTest, SiteIsGivenBackWhenThePluginStops) {
  TimerQueue timers;
  LineState line;
  ColourSchemes schemes;
  const ComPtr<HostSite> site = HostSite::Create(timers, line, schemes);
  Register();
  const ComPtr<IXMLDOMNode> element = CreateSettingsElement({});
  {
    HostedPlugin plugin(ActivatePlugin(kBatteryPluginClassId),
                        static_cast<HostEnvironment*>(site.Get()), element.Get(), std::nullopt);
    EXPECT_EQ(plugin.height(), kPluginLineHeight);
    EXPECT_TRUE(plugin.selectable());
    EXPECT_EQ(timers.pending(), 1u);
    plugin.Stop();
    EXPECT_EQ(plugin.referencesLeft(), 0u);
  }
  EXPECT_REF_COUNT(static_cast<HostEnvironment*>(site.Get()), 1);
  EXPECT_REF_COUNT(element.Get(), 1);
}

// A module others could write is refused, as are the folders above it; root's files and a sticky
// folder are fine. Ownership rows need root to hand files to other users.
TEST(ModuleTrust, OnlyAModuleAndFoldersOutOfOtherUsersReachLoad) {
  constexpr uid_t kNobody = 65534;
  const struct {
    mode_t folderMode, fileMode;
    uid_t fileOwner;      // 0: the test's user
    gid_t fileGroup;      // 0: the test's group
    const char* problem;  // nullptr: loads
  } cases[] = {
      {0755, 0644, 0, 0, nullptr},
      {0755, 0755, 0, 0, nullptr},
      {0755, 0666, 0, 0,
       "the file <f> can be written by other users (mode 0666), who could run code as you"},
      {0755, 0646, 0, 0, "the file <f> can be written by other users (mode 0646)"},
      {0755, 0664, 0, kNobody, "the file <f> can be written by other users (mode 0664)"},
      {0777, 0644, 0, 0, "the folder <d> can be written by other users (mode 0777)"},
      {0775, 0644, 0, 0, nullptr},  // its group is its owner's own
      {01777, 0644, 0, 0, nullptr},
      {01777, 0644, kNobody, 0, "the file <f> belongs to user 65534"},
  };
  for (const auto& c : cases) {
    if ((c.fileOwner != 0 || c.fileGroup != 0) && geteuid() != 0) continue;
    TempFolder folder;
    const std::filesystem::path module = folder.path() / "lib" / "zelvarplug.so";
    folder.Write("lib/zelvarplug.so", "");
    ASSERT_EQ(chmod(module.c_str(), c.fileMode), 0);
    ASSERT_EQ(chmod(module.parent_path().c_str(), c.folderMode), 0);
    if (c.fileOwner != 0 || c.fileGroup != 0) {
      ASSERT_EQ(lchown(module.c_str(), c.fileOwner != 0 ? c.fileOwner : -1,
                       c.fileGroup != 0 ? c.fileGroup : -1),
                0);
    }
    const std::optional<std::string> problem = ModuleTrustProblem(module, geteuid());
    if (c.problem == nullptr) {
      EXPECT_EQ(problem, std::nullopt) << std::oct << c.folderMode << " " << c.fileMode;
      continue;
    }
    std::string expected = c.problem;
    expected.replace(expected.find('<'), 3,
                     expected.find("<f>") != std::string::npos ? module.string()
                                                               : module.parent_path().string());
    ASSERT_TRUE(problem) << expected;
    EXPECT_EQ(problem->rfind("refusing to load the module " + module.string() + ": " + expected, 0),
              0u)
        << *problem;
  }
}

TEST(ModuleTrust, AGroupIsTheUsersOwnOnlyAsTheirPrimaryGroupWithNoOtherMember) {
  char name[] = "ann";
  char other[] = "bob";
  passwd ann{};
  ann.pw_name = name;
  ann.pw_gid = 1000;
  const struct {
    gid_t gid;
    std::vector<char*> members;
    bool own;
  } cases[] = {{1000, {}, true},
               {1000, {name}, true},
               {1000, {name, other}, false},
               {1000, {other}, false},
               {1001, {}, false}};
  for (auto c : cases) {
    c.members.push_back(nullptr);
    group entry{};
    entry.gr_gid = c.gid;
    entry.gr_mem = c.members.data();
    EXPECT_EQ(IsUsersOwnGroup(ann, entry), c.own)
        << c.gid << " with " << c.members.size() - 1 << " members";
  }
}

TEST(ModuleTrust, ALinkInAFolderOthersCanWriteIsRefusedAndSoIsLoadingThroughIt) {
  TempFolder folder;
  const std::filesystem::path shared = folder.path() / "shared", link = shared / "zelvarplug.so";
  std::filesystem::create_directories(shared);
  chmod(shared.c_str(), 0777);
  std::filesystem::copy_file(kBuiltModule, folder.path() / "zelvarplug.so");
  std::filesystem::create_symlink(folder.path() / "zelvarplug.so", link);
  const std::optional<std::string> problem = ModuleTrustProblem(link, geteuid());
  ASSERT_TRUE(problem);
  EXPECT_NE(problem->find("the folder " + shared.string() +
                          " can be written by other users (mode 0777), who could run code as you "
                          "through it; make it writable by its owner only: chmod go-w '" +
                          shared.string() + "'"),
            std::string::npos)
      << *problem;
  EXPECT_EQ(ModuleTrustProblem(folder.path() / "zelvarplug.so", geteuid()), std::nullopt);
  try {
    const InprocServer server(link);
    ADD_FAILURE() << "the module was loaded";
  } catch (const HostError& error) {
    EXPECT_EQ(std::string(error.what()), *problem);
  }
}

}  // namespace
