// The file the plug-in's persisted stream is kept in.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "host/hosting/host_error.h"
#include "host/hosting/stream_file.h"
#include "tests/fakes/temp_folder.h"

namespace {

TEST(StreamFileTest, RoundTripReplacesTheFileWholeAndLeavesNothingElse) {
  TempFolder folder;
  const auto file = folder.path() / "state" / "zelvar" / "plugin.stream";
  EXPECT_EQ(ReadStreamFile(file).value(), std::nullopt);

  WriteStreamFile(file, std::vector<BYTE>(52, 0xAB));
  const std::vector<BYTE> second = {1, 0, 0, 0, 0xE8, 0x03, 0, 0};
  WriteStreamFile(file, second);
  EXPECT_EQ(ReadStreamFile(file).value(), second);

  size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(file.parent_path()))
    ++entries;
  EXPECT_EQ(entries, 1u);
  struct stat info {};
  ASSERT_EQ(stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);

  WriteStreamFile(file, {});
  EXPECT_EQ(ReadStreamFile(file).value(), std::vector<BYTE>{});
}

// A save that fails says which step failed and leaves no temporary file behind.
TEST(StreamFileTest, AFailedSaveNamesItsStepAndLeavesNothingOfItsOwn) {
  const struct {
    const char* blocker;
    const char* file;
    const char* step;
  } failures[] = {
      {"blocker", "blocker/plugin.stream", "cannot create the folder"},
      // A folder with something in it at the file's name: the final rename fails.
      {"plugin.stream/kept", "plugin.stream", "cannot rename"},
  };
  for (const auto& failure : failures) {
    SCOPED_TRACE(failure.file);
    TempFolder folder;
    folder.Write(failure.blocker, "in the way");
    try {
      WriteStreamFile(folder.path() / failure.file, {1});
      ADD_FAILURE() << "saved";
    } catch (const HostError& error) {
      EXPECT_NE(std::string(error.what()).find(failure.step), std::string::npos) << error.what();
    }
    size_t files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.path()))
      files += entry.is_regular_file();
    EXPECT_EQ(files, 1u);
  }
}

}  // namespace
