// The persisted stream: the IStream the plug-in reads and writes, and the file it is kept in.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "host/session/byte_stream.h"
#include "host/host_error.h"
#include "host/session/stream_file.h"
#include "tests/fakes/com_expect.h"
#include "tests/fakes/temp_folder.h"

namespace {

TEST(ByteStreamTest, ReadsToTheEndAndWritesOverAndPastIt) {
  ComPtr<ByteStream> stream = ByteStream::Create({1, 2, 3});
  EXPECT_INTERFACE(stream.Get(), IID_IStream, true);
  EXPECT_INTERFACE(stream.Get(), IID_IPersistStream, false);

  BYTE buffer[4] = {};
  ULONG read = 99;
  EXPECT_EQ(stream->Read(buffer, 2, &read), S_OK);
  EXPECT_EQ(read, 2u);
  EXPECT_EQ(stream->Read(buffer, 4, &read), S_FALSE);
  EXPECT_EQ(read, 1u);
  EXPECT_EQ(buffer[0], 3);
  EXPECT_EQ(stream->Read(buffer, 4, &read), S_FALSE);
  EXPECT_EQ(read, 0u);

  stream->Rewind();
  const BYTE data[] = {7, 8, 9, 10};
  ULONG written = 0;
  EXPECT_EQ(stream->Read(buffer, 1, nullptr), S_OK);
  EXPECT_EQ(stream->Write(data, 4, &written), S_OK);
  EXPECT_EQ(written, 4u);
  EXPECT_EQ(stream->bytes(), (std::vector<BYTE>{1, 7, 8, 9, 10}));
}

TEST(StreamFileTest, RoundTripReplacesTheFileWholeAndLeavesNothingElse) {
  TempFolder folder;
  const auto file = folder.path() / "state" / "zelvar" / "plugin.stream";
  EXPECT_EQ(ReadStreamFile(file), std::nullopt);

  WriteStreamFile(file, std::vector<BYTE>(52, 0xAB));
  const std::vector<BYTE> second = {1, 0, 0, 0, 0xE8, 0x03, 0, 0};
  WriteStreamFile(file, second);
  EXPECT_EQ(ReadStreamFile(file), second);

  size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(file.parent_path())) ++entries;
  EXPECT_EQ(entries, 1u);
  struct stat info{};
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
