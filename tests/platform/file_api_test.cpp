#include "platform/files/file_api.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/files/regular_file.h"
#include "platform/text/wide_text.h"

#include "tests/fakes/temp_folder.h"

namespace {

// Collects the write-failure reports of the test's file layer (a ScopedDeviceRoot declared before).
struct RecordedReports {
  RecordedReports() {
    SetWriteFailureReporter([this](const FileWriteFailure& failure) {
      messages.push_back(DescribeWriteFailure(failure));
    });
  }
  std::vector<std::string> messages;
};

TEST(FileApi, DevicePathsMapUnderTheRoot) {
  TempFolder root;
  ScopedDeviceRoot mapped(root);
  const std::string base = root.path().string();
  EXPECT_EQ(HostPathOf(u"\\Storage\\My Documents\\ZelvarPlugin.dat"),
            base + "/Storage/My Documents/ZelvarPlugin.dat");
  EXPECT_EQ(HostPathOf(u"/Storage/a.dat"), base + "/Storage/a.dat");
  EXPECT_EQ(HostPathOf(u"\\Storage\\Z\u00E4hler.dat"), base + "/Storage/Z\xC3\xA4hler.dat");
  // The device has no current folder: a name without a leading separator starts at the root too.
  EXPECT_EQ(HostPathOf(u"a\\b.dat"), base + "/a/b.dat");
  EXPECT_EQ(HostPathOf(u"\\Storage\\.\\x\\..\\y.dat"), base + "/Storage/y.dat");
  EXPECT_EQ(HostPathOf(u""), "");

  SetDeviceRoot(base + "/");
  EXPECT_EQ(HostPathOf(u"\\x.dat"), base + "/x.dat");
}

// A path whose ".." would climb above the root, or that names the root itself, names no file: no
// open of it touches the host.
TEST(FileApi, DevicePathsThatLeaveTheRootOrNameItNameNoFile) {
  TempFolder root;
  ScopedDeviceRoot mapped(root);
  RecordedReports reports;
  for (const char16_t* path :
       {u"\\..\\..\\etc\\passwd", u"..\\..\\escape.dat", u"\\Storage\\.\\x\\..\\..\\..\\y.dat",
        u"..", u"\\", u"\\Storage\\..\\."}) {
    EXPECT_EQ(HostPathOf(path), std::nullopt) << NarrowUtf8(path);
    for (const char16_t* mode : {u"r", u"w", u"a+"}) {
      errno = 0;
      EXPECT_EQ(_wfopen(path, mode), nullptr) << NarrowUtf8(path) << " " << NarrowUtf8(mode);
      EXPECT_EQ(errno, EXDEV);
    }
  }
  EXPECT_TRUE(std::filesystem::is_empty(root.path()));
  EXPECT_TRUE(reports.messages.empty());
}

TEST(FileApi, WritingAndAppendingCreateTheDeviceFolders) {
  TempFolder root;
  ScopedDeviceRoot mapped(root);
  FILE* written = _wfopen(u"\\Storage\\My Documents\\w.dat", u"w");
  ASSERT_NE(written, nullptr);
  std::fputs("first\n", written);
  std::fclose(written);
  FILE* appended = _wfopen(u"\\Other\\Deeper\\a.dat", u"a+");
  ASSERT_NE(appended, nullptr);
  std::fclose(appended);
  EXPECT_TRUE(root.Exists("Other/Deeper/a.dat"));

  FILE* read = _wfopen(u"\\Storage\\My Documents\\w.dat", u"r");
  ASSERT_NE(read, nullptr);
  char line[16] = {};
  EXPECT_NE(std::fgets(line, sizeof line, read), nullptr);
  std::fclose(read);
  EXPECT_STREQ(line, "first\n");
}

// A move puts the new version under the name whole, leaves nothing under the old name, and replaces
// a file only when asked to, and never a folder.
TEST(FileApi, MovesReplaceOnlyWhenAskedAndLeaveNothingBehind) {
  TempFolder root;
  ScopedDeviceRoot mapped(root);
  root.Write("new", "one");
  EXPECT_TRUE(MoveFileExW(u"\\new", u"\\kept", MOVEFILE_REPLACE_EXISTING));
  root.Write("new", "two");
  EXPECT_FALSE(MoveFileExW(u"\\new", u"\\kept", 0));
  EXPECT_EQ(root.Read("kept"), "one");
  EXPECT_TRUE(MoveFileExW(u"\\new", u"\\kept", MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
  EXPECT_EQ(root.Read("kept"), "two");
  EXPECT_FALSE(root.Exists("new"));
  root.Write("new", "three");
  std::filesystem::create_directory(root.path() / "folder");
  EXPECT_FALSE(MoveFileExW(u"\\new", u"\\folder", MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(root.Read("new"), "three");
  EXPECT_TRUE(std::filesystem::is_directory(root.path() / "folder"));
}

TEST(FileApi, ReadingAMissingFileFailsWithoutCreatingFolders) {
  TempFolder root;
  ScopedDeviceRoot mapped(root);
  errno = 0;
  EXPECT_EQ(_wfopen(u"\\Storage\\missing.dat", u"r"), nullptr);
  EXPECT_EQ(errno, ENOENT);
  EXPECT_FALSE(root.Exists("Storage"));
}

TEST(FileApi, EmptyNameFailsEveryOpen) {
  TempFolder root;
  ScopedDeviceRoot mapped(root);
  EXPECT_EQ(_wfopen(u"", u"r"), nullptr);
  EXPECT_EQ(_wfopen(u"", u"w"), nullptr);
  EXPECT_EQ(_wfopen(u"", u"a+"), nullptr);
  EXPECT_TRUE(std::filesystem::is_empty(root.path()));
}

TEST(FileApi, FailedOpensForWritingAreReportedOncePerFileAndCause) {
  TempFolder root;
  ScopedDeviceRoot mapped(root);
  RecordedReports reports;
  root.Write("Storage/folder.dat/inside", "");
  root.Write("Blocked", "a file where a folder should be");
  const std::string folderFile = root.path().string() + "/Storage/folder.dat";

  for (const char16_t* mode : {u"a+", u"w", u"a+"}) {
    errno = 0;
    EXPECT_EQ(_wfopen(u"\\Storage\\folder.dat", mode), nullptr);
    EXPECT_EQ(errno, EISDIR);
  }
  errno = 0;
  EXPECT_EQ(_wfopen(u"\\Blocked\\x.dat", u"a+"), nullptr);
  const int blockedError = errno;
  // The folder that cannot be made is the cause, not the file that is then missing.
  EXPECT_NE(blockedError, ENOENT);
  EXPECT_NE(blockedError, 0);
  // Reading is not reported; a folder does not open as a file.
  EXPECT_EQ(_wfopen(u"\\Storage\\folder.dat", u"r"), nullptr);
  EXPECT_EQ(errno, EISDIR);

  EXPECT_EQ(reports.messages,
            (std::vector<std::string>{
                "cannot open " + folderFile + " for writing: " + std::strerror(EISDIR),
                "cannot open " + root.path().string() +
                    "/Blocked/x.dat for writing: " + std::strerror(blockedError)}));
}

TEST(FileApi, WithWritesOffOpensForWritingFailUnreportedAndCreateNothing) {
  TempFolder root;
  ScopedDeviceRoot mapped(root);
  RecordedReports reports;
  root.Write("Storage/kept.dat", "kept\n");
  SetFileWritesAllowed(false);
  for (const char16_t* mode : {u"w", u"a+", u"r+"}) {
    errno = 0;
    EXPECT_EQ(_wfopen(u"\\Storage\\kept.dat", mode), nullptr) << NarrowUtf8(mode);
    EXPECT_EQ(errno, EROFS);
    EXPECT_EQ(_wfopen(u"\\New\\file.dat", mode), nullptr);
  }
  FILE* read = _wfopen(u"\\Storage\\kept.dat", u"r");
  ASSERT_NE(read, nullptr);
  std::fclose(read);
  EXPECT_EQ(root.Read("Storage/kept.dat"), "kept\n");
  EXPECT_FALSE(root.Exists("New"));
  EXPECT_TRUE(reports.messages.empty());
}

// Nothing but a regular file is read or written: a FIFO without a writer would hold every open,
// a link to /dev/zero would never end. Each is refused at once with its cause.
TEST(FileApi, OnlyRegularFilesOpenAndReadsStopAtTheirLimit) {
  TempFolder root;
  ScopedDeviceRoot mapped(root);
  RecordedReports reports;
  const std::string base = root.path().string();
  ASSERT_EQ(mkfifo((base + "/fifo.dat").c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/zero", base + "/zero.dat");
  root.Write("folder.dat/inside", "");
  root.Write("eight.dat", "12345678");

  struct Case {
    const char* name;
    size_t limit;
    FileRead::Outcome outcome;
    std::string cause;
  };
  for (const Case& c :
       {Case{"fifo.dat", kMebibyte, FileRead::Outcome::kFailed, "not a regular file (a FIFO)"},
        Case{"zero.dat", kMebibyte, FileRead::Outcome::kFailed,
             "not a regular file (a character device)"},
        Case{"folder.dat", kMebibyte, FileRead::Outcome::kFailed, std::strerror(EISDIR)},
        Case{"missing.dat", kMebibyte, FileRead::Outcome::kMissing, std::strerror(ENOENT)},
        Case{"eight.dat", 7, FileRead::Outcome::kFailed, "larger than 7 bytes"},
        Case{"eight.dat", 8, FileRead::Outcome::kRead, ""}}) {
    const FileRead read = ReadRegularFile(base + "/" + c.name, c.limit);
    EXPECT_EQ(read.outcome, c.outcome) << c.name;
    EXPECT_EQ(read.cause, c.cause) << c.name;
    EXPECT_EQ(read.text, c.outcome == FileRead::Outcome::kRead ? "12345678" : "") << c.name;
  }
  static_assert(kMebibyte == 1048576);

  for (const char16_t* mode : {u"r", u"a+", u"w"}) {
    for (const char16_t* name : {u"\\fifo.dat", u"\\zero.dat"}) {
      errno = 0;
      EXPECT_EQ(_wfopen(name, mode), nullptr) << NarrowUtf8(name) << " " << NarrowUtf8(mode);
      EXPECT_EQ(errno, EINVAL);
    }
  }
  EXPECT_EQ(reports.messages,
            (std::vector<std::string>{
                "cannot open " + base + "/fifo.dat for writing: not a regular file (a FIFO)",
                "cannot open " + base +
                    "/zero.dat for writing: not a regular file (a character device)"}));
  EXPECT_EQ(ByteCountText(4 * kMebibyte), "4 MiB");
  EXPECT_EQ(ByteCountText(64 * kKibibyte), "64 KiB");
}

}  // namespace
