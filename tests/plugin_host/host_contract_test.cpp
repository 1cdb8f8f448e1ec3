#include "plugin_host/home_screen_plugin.h"
#include "plugin_host/saved_configuration.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

// The event record crosses the host boundary as bytes: its little-endian layout is the contract.
TEST(PluginEventLayout, PaintRecordBytesLandInTheirFields) {
  const unsigned char bytes[28] = {2,   0, 0,    0,    0x78, 0x56, 0x34, 0x12, 1, 0,
                                   0,   0, 0xFF, 0xFF, 0xFF, 0xFF, 2,    0,    0, 0,
                                   100, 0, 0,    0,    20,   0,    0,    0};
  PluginEvent event;
  std::memcpy(&event, bytes, sizeof bytes);
  EXPECT_EQ(event.type, static_cast<DWORD>(PE_PAINT));
  EXPECT_EQ(event.paint.hdc, 0x12345678u);
  EXPECT_EQ(event.paint.selected, 1u);
  EXPECT_EQ(event.paint.left, -1);
  EXPECT_EQ(event.paint.top, 2);
  EXPECT_EQ(event.paint.right, 100);
  EXPECT_EQ(event.paint.bottom, 20);
}

TEST(PluginEventLayout, KeyCodeIsTheSixteenBitsAfterTheType) {
  const unsigned char bytes[8] = {0, 0, 0, 0, 39, 0, 0xAA, 0xBB};
  PluginEvent event{};
  std::memcpy(&event, bytes, sizeof bytes);
  EXPECT_EQ(event.type, static_cast<DWORD>(PE_KEYDOWN));
  EXPECT_EQ(event.key.keyCode, kVirtualKeyRight);
}

// The numbers every home screen and plug-in build in.
static_assert(kVirtualKeyLeft == 37 && kVirtualKeyRight == 39 && kPluginLineHeight == 20);
static_assert(PE_KEYDOWN == 0 && PE_ACTION == 1 && PE_PAINT == 2 && PE_SYSCOLORCHANGE == 3 &&
              PE_TIMER == 4 && PE_DATACHANGE == 5);

TEST(HostContract, InterfaceIdsAreFixed) {
  const unsigned char plugin[16] = {0xE9, 0x58, 0x0C, 0x7F, 0x30, 0x4F, 0xBB, 0x47,
                                    0x96, 0x93, 0xD7, 0x78, 0xE9, 0x99, 0xC4, 0x33};
  EXPECT_EQ(std::memcmp(&IID_HomeScreenPlugin, plugin, 16), 0);
  const unsigned char environment[16] = {0xC0, 0x8D, 0x32, 0xFF, 0xF5, 0x22, 0xC1, 0x4A,
                                         0xA1, 0x03, 0x19, 0xB3, 0x89, 0xC6, 0x33, 0xFA};
  EXPECT_EQ(std::memcmp(&IID_HostEnvironment, environment, 16), 0);
  const unsigned char colours[16] = {0x84, 0x8A, 0x1A, 0xE0, 0xEF, 0xDD, 0x8E, 0x43,
                                     0x90, 0x04, 0x3F, 0xB2, 0xA9, 0x08, 0xE4, 0x65};
  EXPECT_EQ(std::memcmp(&IID_HostColourLookup, colours, 16), 0);
}

namespace {

std::vector<BYTE> Stream(const std::vector<DWORD>& words, const std::u16string& name) {
  std::vector<BYTE> bytes;
  for (DWORD word : words) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<BYTE>(word >> shift));
  }
  for (char16_t c : name) {
    bytes.push_back(static_cast<BYTE>(c));
    bytes.push_back(static_cast<BYTE>(c >> 8));
  }
  return bytes;
}

TEST(SavedConfigurationLayout, EachWordInItsPlaceThenTheNameAndBackTheSame) {
  const SavedConfiguration expected{7, -1, 30, 20, 8, 21, 1, u"\\a\u00e9"};
  const std::vector<BYTE> bytes = Stream({7, 0xFFFFFFFF, 30, 20, 8, 21, 1, 3}, u"\\a\u00e9");
  EXPECT_EQ(DecodeConfiguration(bytes), expected);
  EXPECT_EQ(EncodeConfiguration(expected), bytes);
  // The name's units come back as stored, a zero among them.
  EXPECT_EQ(DecodeConfiguration(Stream({1, 2, 3, 4, 5, 6, 7, 3}, std::u16string(u"a\0b", 3)))
                ->StatFilename,
            std::u16string(u"a\0b", 3));
}

TEST(SavedConfigurationLayout, OnlyTheFixedWordsAndExactlyTheAnnouncedNameAreARecord) {
  const struct {
    std::vector<BYTE> stream;
    bool canBe;
  } cases[] = {
      {Stream({1, 2, 3, 4, 5, 6, 7, 0}, u""), true},
      {Stream({1, 2, 3, 4, 5, 6, 7, 3}, u"abc"), true},
      {Stream({1, 2, 3, 4, 5, 6, 7, 4}, u"abc"), false},  // cut short
      {Stream({1, 2, 3, 4, 5, 6, 7, 2}, u"abc"), false},  // bytes left over
      {Stream({1, 2, 3, 4, 5, 6, 7}, u""), false},        // no length word
      {Stream({1, 2, 3, 4, 5, 6, 7, 0x80000000}, u"abc"), false},
      {std::vector<BYTE>(108, 0xA5), false},  // random bytes the size of a name of 38
  };
  for (const auto& c : cases)
    EXPECT_EQ(DecodeConfiguration(c.stream).has_value(), c.canBe) << c.stream.size() << " bytes";
}

}  // namespace
