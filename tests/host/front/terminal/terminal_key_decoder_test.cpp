#include "host/front/terminal/key_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<Key> Keys(KeyDecoder& decoder) {
  std::vector<Key> keys;
  while (const std::optional<KeyPress> press = decoder.Next()) keys.push_back(press->key);
  return keys;
}

std::vector<Key> Decode(const std::string& input) {
  KeyDecoder decoder;
  decoder.Feed(input.data(), input.size());
  return Keys(decoder);
}

using KeyList = std::vector<Key>;

TEST(KeyDecoder, ArrowsInNormalAndApplicationMode) {
  EXPECT_EQ(Decode("\x1b[A\x1b[B\x1b[C\x1b[D\x1bOA\x1bOB\x1bOC\x1bOD\x1b[1;5C"),
            (KeyList{Key::Up, Key::Down, Key::Right, Key::Left, Key::Up, Key::Down, Key::Right,
                     Key::Left, Key::Right}));
}

TEST(KeyDecoder, SequenceSplitAcrossReadsIsHeldUntilComplete) {
  KeyDecoder decoder;
  for (const char byte : std::string("\x1b[1;5")) {
    decoder.Feed(&byte, 1);
    EXPECT_EQ(decoder.Next(), std::nullopt);
    EXPECT_TRUE(decoder.Pending());
  }
  decoder.Feed("Dq", 2);
  EXPECT_EQ(Keys(decoder), (KeyList{Key::Left, Key::Quit}));
  EXPECT_FALSE(decoder.Pending());
}

TEST(KeyDecoder, CarriageReturnAndLineFeedAreOneEnterEach) {
  EXPECT_EQ(Decode("\r\n"), (KeyList{Key::Enter}));
  EXPECT_EQ(Decode("\r\r\n\n"), (KeyList{Key::Enter, Key::Enter, Key::Enter}));

  KeyDecoder decoder;
  decoder.Feed("\r", 1);
  decoder.Feed("\n", 1);
  EXPECT_EQ(Keys(decoder), (KeyList{Key::Enter}));
}

TEST(KeyDecoder, LoneEscapeIsTheEscapeKeyOnceInputIsQuiet) {
  KeyDecoder decoder;
  decoder.Feed("\x1b", 1);
  EXPECT_EQ(decoder.Next(), std::nullopt);
  decoder.Flush();
  EXPECT_EQ(Keys(decoder), (KeyList{Key::Escape}));

  EXPECT_EQ(Decode("\x1b\x1b[A"), (KeyList{Key::Escape, Key::Up}));
  EXPECT_EQ(Decode("\x1bq"), (KeyList{Key::Escape, Key::Quit}));

  // A cut-off sequence is not a key.
  decoder.Feed("\x1b[1;", 4);
  decoder.Flush();
  EXPECT_EQ(Keys(decoder), KeyList{});
  EXPECT_FALSE(decoder.Pending());
}

TEST(KeyDecoder, QuitTabSpaceAndCharacters) {
  KeyDecoder decoder;
  decoder.Feed("\x03q\t x~", 6);
  EXPECT_EQ(decoder.Next()->key, Key::Quit);
  EXPECT_EQ(decoder.Next()->key, Key::Quit);
  EXPECT_EQ(decoder.Next()->key, Key::Tab);
  EXPECT_EQ(decoder.Next()->key, Key::Space);
  const KeyPress x = *decoder.Next();
  EXPECT_EQ(x.key, Key::Char);
  EXPECT_EQ(x.ch, 'x');
  EXPECT_EQ(decoder.Next()->ch, '~');
  EXPECT_EQ(decoder.Next(), std::nullopt);
}

TEST(KeyDecoder, GarbageIsSkippedAndDecodingRecovers) {
  // Unknown sequences, control bytes, UTF-8 bytes, a sequence broken by a control byte, and an
  // endless parameter string.
  EXPECT_EQ(Decode("\x1b[3~\x1bOP\x01\x7f\xc3\xa9\x1b[1\x02\x1b[A"), (KeyList{Key::Up}));
  EXPECT_EQ(Decode("\x1bO\x1b[B"), (KeyList{Key::Down}));
  EXPECT_EQ(Decode("\x1b[" + std::string(100, ';') + "\x1b[C"), (KeyList{Key::Right}));
}

}  // namespace
