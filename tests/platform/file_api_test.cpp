#include "platform/files/file_api.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

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

}  // namespace
