#include "platform/text/wide_text.h"

#include <gtest/gtest.h>

TEST(WideText, Utf8RoundTripKeepsNonAsciiAndSurrogatePairs) {
  const std::string utf8 =
      "25.3\xC2\xB0"
      "C \xF0\x9F\x94\x8B";
  const WString wide = WidenUtf8(utf8);
  EXPECT_EQ(wide, WString(u"25.3\u00B0C \U0001F50B"));
  EXPECT_EQ(NarrowUtf8(wide), utf8);
}

TEST(WideText, MalformedInputBecomesReplacementCharacters) {
  EXPECT_EQ(WidenUtf8("a\xFF"
                      "b\xC2"),
            WString(u"a\uFFFDb\uFFFD"));
  const WCHAR lone[] = {u'x', 0xD800, u'y', 0};
  EXPECT_EQ(NarrowUtf8(lone), "x\xEF\xBF\xBDy");
}

TEST(WideText, Latin1WideningMapsEachByte) { EXPECT_EQ(WidenLatin1("1\xB0"), WString(u"1\u00B0")); }
