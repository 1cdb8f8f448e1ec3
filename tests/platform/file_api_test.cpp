#include "platform/files/file_api.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/text/wide_text.h"

#include "tests/fakes/temp_folder.h"

namespace {

TEST(FileApi, DevicePathsMapUnderTheRoot) {
  TempFolder root;
  ScopedDeviceRoot mapped(root);
  const std::string base = root.path().string();
  EXPECT_EQ(HostPathOf(u"\\Storage\\My Documents\\ZelvarPlugin.dat"),
            base + "/Storage/My Documents/ZelvarPlugin.dat");
  EXPECT_EQ(HostPathOf(u"/Storage/a.dat"), base + "/Storage/a.dat");
  EXPECT_EQ(HostPathOf(u"\\Storage\\Z\u00E4hler.dat"), base + "/Storage/Z\xC3\xA4hler.dat");
  EXPECT_EQ(HostPathOf(u"a\\b.dat"), "a/b.dat");

  SetDeviceRoot(base + "/");
  EXPECT_EQ(HostPathOf(u"\\x.dat"), base + "/x.dat");
}

TEST(FileApi, DevicePathsNeverLeaveTheRoot) {
  TempFolder root;
  ScopedDeviceRoot mapped(root);
  EXPECT_EQ(HostPathOf(u"\\..\\..\\etc\\passwd"), root.path().string() + "/etc/passwd");
  EXPECT_EQ(HostPathOf(u"\\Storage\\.\\x\\..\\..\\..\\y.dat"), root.path().string() + "/y.dat");
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

// Collects the write-failure reports for the test's lifetime.
class RecordedReports {
 public:
  RecordedReports() {
    SetWriteFailureReporter([this](const std::string& message) { messages.push_back(message); });
  }
  ~RecordedReports() { SetWriteFailureReporter({}); }
  std::vector<std::string> messages;
};

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
            (std::vector<std::string>{"cannot open " + folderFile + " for writing: " + std::strerror(EISDIR),
                                      "cannot open " + root.path().string() + "/Blocked/x.dat for writing: " +
                                          std::strerror(blockedError)}));
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
  SetFileWritesAllowed(true);
  ASSERT_NE(read, nullptr);
  std::fclose(read);
  EXPECT_EQ(root.Read("Storage/kept.dat"), "kept\n");
  EXPECT_FALSE(root.Exists("New"));
  EXPECT_TRUE(reports.messages.empty());
}

}  // namespace
