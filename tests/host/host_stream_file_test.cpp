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
  EXPECT_EQ(ReadStreamFile(file), std::nullopt);

  WriteStreamFile(file, std::vector<BYTE>(52, 0xAB));
  const std::vector<BYTE> second = {1, 0, 0, 0, 0xE8, 0x03, 0, 0};
  WriteStreamFile(file, second);
  EXPECT_EQ(ReadStreamFile(file), second);

  size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(file.parent_path()))
    ++entries;
  EXPECT_EQ(entries, 1u);
  struct stat info {};
  ASSERT_EQ(stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);

  WriteStreamFile(file, {});
  EXPECT_EQ(ReadStreamFile(file), std::vector<BYTE>{});
}

TEST(StreamFileTest, FolderThatCannotBeMadeFails) {
  TempFolder folder;
  folder.Write("blocker", "a file where a folder should be");
  EXPECT_THROW(WriteStreamFile(folder.path() / "blocker" / "plugin.stream", {1}), HostError);
}

}  // namespace
