// Files the program cannot use, through the built program: each message starts with
// "zelvar-home:", names the file and the real cause, and drops that cannot be kept fail the run.
// Root writes everywhere, so permission cases run as the user nobody.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "tests/fakes/temp_folder.h"
#include "tests/fakes/file_size_limit.h"
#include "tests/fakes/home_screen_text.h"
#include "tests/fakes/host_program.h"

namespace {

constexpr const char* kStatInRoot = "/Storage/My Documents/ZelvarPlugin.dat";

size_t Count(const std::string& text, const std::string& piece) {
  size_t count = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
    ++count;
  return count;
}

class FileErrorsTest : public testing::Test {
 protected:
  ProgramRun Run(const std::string& arguments, bool asNobody = false) const {
    return RunHostProgram(folder_.path(), arguments, folder_.path() / "stderr", asNobody);
  }
  std::string Path(const std::string& relative) const {
    return (folder_.path() / relative).string();
  }

  // Hands the whole folder to nobody and makes `readOnly` (below it) unwritable. A registration
  // made by an earlier run names the build tree's module, which nobody may not be able to reach:
  // it goes, so that nobody's run registers the module beside its own copy of the program.
  void ForNobody(const std::string& readOnly) const {
    std::filesystem::remove(folder_.path() / ".local/state/zelvar/registry");
    std::filesystem::create_directories(folder_.path() / readOnly);
    if (geteuid() == 0) {
      for (const auto& entry : std::filesystem::recursive_directory_iterator(folder_.path())) {
        ASSERT_EQ(lchown(entry.path().c_str(), kNobody, kNobody), 0);
      }
      ASSERT_EQ(chown(folder_.path().c_str(), kNobody, kNobody), 0);
    }
    chmod(folder_.path().c_str(), 0755);
    chmod((folder_.path() / readOnly).c_str(), 0555);
  }

  static constexpr uid_t kNobody = 65534;
  TempFolder folder_;
};

TEST_F(FileErrorsTest, AReadOnlyDeviceRootIsNamedWithItsCauseAndFailsTheRun) {
  ForNobody("ro");
  const ProgramRun run = Run("--days 1 --device-root '" + Path("ro") + "'", true);
  EXPECT_EQ(run.exitCode, 1) << run.err;
  EXPECT_NE(run.out.find("hrs: "), std::string::npos) << run.out;
  const std::string statFile = Path("ro") + kStatInRoot;
  EXPECT_NE(run.err.find("zelvar-home: cannot write the stat file " + statFile + " (" + Path("ro") +
                         ": Permission denied): the plug-in's hourly drops will be lost\n"),
            std::string::npos)
      << run.err;
  // A day of flushes and the start's creation: reported once.
  EXPECT_EQ(
      Count(run.err, "zelvar-home: cannot open " + statFile + " for writing: Permission denied\n"),
      1u)
      << run.err;
}

TEST_F(FileErrorsTest, AFolderInTheStatFilesPlaceIsNamed) {
  folder_.Write(std::string("root") + kStatInRoot + "/inside", "");
  const ProgramRun run = Run("--days 1 --device-root '" + Path("root") + "'");
  EXPECT_EQ(run.exitCode, 1) << run.err;
  const std::string statFile = Path("root") + kStatInRoot;
  EXPECT_NE(run.err.find("zelvar-home: the stat file " + statFile +
                         " is a directory, not a file: the plug-in's hourly drops will be lost\n"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(
      Count(run.err, "zelvar-home: cannot open " + statFile + " for writing: Is a directory\n"), 1u)
      << run.err;
}

// The stat file stops growing, its folder still writable: each later record fails part-way. The
// saved state and the other files the run writes are smaller than the stat file, and are kept.
TEST_F(FileErrorsTest, AStatFileThatCannotGrowIsNamedOnceAndFailsTheRun) {
  const std::string simulation = "--days 2 --device-root '" + Path("root") + "'";
  ASSERT_EQ(Run("--days 12 --device-root '" + Path("root") + "'").exitCode, 0);
  const std::string statFile = Path("root") + kStatInRoot;
  const std::string before = folder_.Read(std::string("root") + kStatInRoot);
  const ProgramRun run = [&] {
    const ScopedFileSizeLimit limit(before.size());
    return Run(simulation);
  }();
  EXPECT_EQ(run.exitCode, 1) << run.err;
  EXPECT_EQ(Count(run.err, "zelvar-home: cannot write " + statFile +
                               ": File too large: the plug-in's hourly drops were lost\n"),
            1u)
      << run.err;
  EXPECT_EQ(folder_.Read(std::string("root") + kStatInRoot), before);
}

TEST_F(FileErrorsTest, AWritableStatFileGivesNoWord) {
  const ProgramRun run = Run("--days 1 --device-root '" + Path("root") + "'");
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err.find("stat file"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("for writing"), std::string::npos) << run.err;
}

TEST_F(FileErrorsTest, HomeScreenFileProblemsNameTheFileAndCause) {
  std::filesystem::create_directories(folder_.path() / "folder.xml");
  ASSERT_EQ(mkfifo(Path("fifo.xml").c_str(), 0600), 0);
  for (const auto& [name, cause] :
       {std::pair{"folder.xml", "Is a directory"}, {"fifo.xml", "not a regular file (a FIFO)"}}) {
    const ProgramRun run = Run("--once --home '" + Path(name) + "'");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("zelvar-home: cannot read the home-screen file " + Path(name) + ": " +
                           cause + "\n"),
              std::string::npos)
        << run.err;
  }

  ForNobody(".config");
  // Without a file and unable to write one, the run goes on with the defaults, saying so once.
  const ProgramRun readOnly = Run("--once", true);
  EXPECT_EQ(readOnly.exitCode, 0) << readOnly.err;
  EXPECT_NE(readOnly.out.find("%, hrs: "), std::string::npos) << readOnly.out;
  const std::string notWritten = "zelvar-home: cannot write the home-screen file " +
                                 Path(".config/zelvar/home.xml") + ": cannot create its folder " +
                                 Path(".config/zelvar") + ": Permission denied";
  EXPECT_EQ(Count(readOnly.err, notWritten), 1u) << readOnly.err;
  EXPECT_NE(readOnly.err.find(notWritten + "; the plug-in runs with the default settings\n"),
            std::string::npos)
      << readOnly.err;
}

// A registry file that cannot be written (a read-only home), read (a FIFO in its place) or held
// (another process keeps its folder locked): the line still shows, within a few seconds, the file
// named once with its cause, and a FIFO is left as it is; an explicit registration fails.
TEST_F(FileErrorsTest, ARegistryFileThatCannotBeWrittenReadOrHeldHoldsTheRegistrationForTheRun) {
  enum class Blocked { ByPermissions, ByAFifo, ByALock };
  const std::string registry = Path(".local/state/zelvar/registry");
  const std::string folder = Path(".local/state/zelvar");
  for (const auto& [blocked, cause] :
       {std::pair{Blocked::ByPermissions,
                  "cannot create the folder of registry file " + registry + ": Permission denied"},
        {Blocked::ByAFifo,
         "cannot read registry file " + registry + ": not a regular file (a FIFO)"},
        {Blocked::ByALock, "the folder of registry file " + registry +
                               " stayed locked for 3 s (by process " + std::to_string(getpid()) +
                               ")"}}) {
    const bool asNobody = blocked == Blocked::ByPermissions;
    int lock = -1;
    if (blocked == Blocked::ByPermissions) {
      ForNobody(".");
    } else {
      std::filesystem::remove_all(folder);
      std::filesystem::create_directories(folder);
    }
    if (blocked == Blocked::ByAFifo) {
      ASSERT_EQ(mkfifo(registry.c_str(), 0600), 0);
    }
    if (blocked == Blocked::ByALock) {
      lock = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      ASSERT_EQ(flock(lock, LOCK_EX), 0);
    }
    const auto start = std::chrono::steady_clock::now();
    const ProgramRun run = Run("--once --simulate", asNobody);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("%, hrs: "), std::string::npos) << run.out;
    EXPECT_EQ(Count(run.err, cause), 1u) << run.err;
    EXPECT_NE(
        run.err.find("zelvar-home: " + cause + "; the registration holds for this run only\n"),
        std::string::npos)
        << run.err;
    EXPECT_EQ(Count(run.err, "cannot write the home-screen file"), asNobody ? 1u : 0u) << run.err;

    const ProgramRun registered = Run("--register", asNobody);
    EXPECT_EQ(registered.exitCode, 1);
    EXPECT_NE(registered.err.find("zelvar-home: " + cause + "\n"), std::string::npos)
        << registered.err;
    if (blocked == Blocked::ByAFifo) {
      EXPECT_TRUE(std::filesystem::is_fifo(registry));
    }
    if (blocked == Blocked::ByALock) {
      EXPECT_FALSE(std::filesystem::exists(registry));
      close(lock);
    }
  }
}

TEST_F(FileErrorsTest, ASavedStateThatCannotBeReadOrBeOneIsSetAsideAndNeverBecomesTheSettings) {
  const std::string stream = ".local/state/zelvar/simulation/plugin.stream";
  ASSERT_EQ(Run("--once --simulate").exitCode, 0);  // the home-screen file, older than the state
  // Taken as a saved state, these zeros would set RefreshTimeout to 0, which draws a warning; a
  // FIFO would hold the run in its open for ever.
  const std::string zeros(108, '\0');
  const std::string damaged =
      "zelvar-home: the saved state " + Path(stream) +
      " cannot be the plug-in's (108 bytes, not its settings and their stat file's name)";
  for (const auto& [fifo, what] : {std::pair{false, damaged},
                                   {true, "zelvar-home: the saved state " + Path(stream) +
                                              " cannot be read (not a regular file (a FIFO))"}}) {
    if (fifo) {
      ASSERT_EQ(mkfifo(Path(stream).c_str(), 0600), 0);
    } else {
      folder_.Write(stream, zeros);
    }
    const ProgramRun run = Run("--once --simulate");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("%, hrs: "), std::string::npos) << run.out;
    EXPECT_NE(run.err.find(what + ": set aside as " + Path(stream) +
                           ".bad; the plug-in starts from the home-screen file's settings\n"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(run.err.find("RefreshTimeout"), std::string::npos) << run.err;
    EXPECT_FALSE(folder_.Exists(stream));
    if (fifo) {
      EXPECT_TRUE(std::filesystem::is_fifo(Path(stream + ".bad")));
    } else {
      EXPECT_EQ(folder_.Read(stream + ".bad"), zeros);
    }
  }

  // Where it cannot be set aside it is still not used.
  folder_.Write(stream, zeros);
  ForNobody(".local/state/zelvar/simulation");
  const ProgramRun readOnly = Run("--once --simulate", true);
  EXPECT_EQ(readOnly.exitCode, 0) << readOnly.err;
  EXPECT_NE(readOnly.err.find(damaged + " and cannot be set aside as " + Path(stream) +
                              ".bad: Permission denied"),
            std::string::npos)
      << readOnly.err;
  EXPECT_EQ(readOnly.err.find("RefreshTimeout"), std::string::npos) << readOnly.err;
}

TEST_F(FileErrorsTest, AFolderInTheSavedStatesPlaceIsNamed) {
  std::filesystem::create_directories(folder_.path() /
                                      ".local/state/zelvar/simulation/plugin.stream");
  const ProgramRun run = Run("--once --simulate");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("zelvar-home: the plug-in's saved state " +
                         Path(".local/state/zelvar/simulation/plugin.stream") +
                         " is a directory, not a file; move it away\n"),
            std::string::npos)
      << run.err;
}

TEST_F(FileErrorsTest, ASysfsFolderThatCannotBeListedLeavesTheReportUnknownAndSaysWhy) {
  ForNobody("sysfs");
  chmod(Path("sysfs").c_str(), 0);
  const ProgramRun run = Run("--report --sysfs '" + Path("sysfs") + "'", true);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(
      run.err.find("zelvar-home: Battery status unknown: the power status cannot be read from " +
                   Path("sysfs") + "\n"),
      std::string::npos)
      << run.err;
}

TEST_F(FileErrorsTest, SettingsThatAreNotNumbersOrOutOfRangeAreANote) {
  folder_.Write("home.xml",
                HomeScreenWith("MinPercent=\"low\" RefreshTimeout=\"60000\" "
                               "ExpertMode=\"\" StatFilename=\"12abc\" "
                               "FlushTimeoutHours=\"4294967295\" MaxHistroyDays=\"60\""));
  const ProgramRun run = Run("--once --home '" + Path("home.xml") + "'");
  EXPECT_EQ(run.exitCode, 0) << run.err;
  const std::string file = "zelvar-home: the home-screen file " + Path("home.xml") + ": ";
  EXPECT_NE(
      run.err.find(file + "MinPercent=\"low\" is not a number; the plug-in takes its default\n"),
      std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find(file + "ExpertMode=\"\" is not a number"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find(file + "4294967295 is out of range for FlushTimeoutHours; the plug-in "
                                "takes its default\n"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find(file + "MaxHistroyDays is not a setting of the plug-in (did you mean "
                                "MaxHistoryDays?); it is ignored\n"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(run.err.find("RefreshTimeout=\""), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("StatFilename=\""), std::string::npos) << run.err;
}

}  // namespace
