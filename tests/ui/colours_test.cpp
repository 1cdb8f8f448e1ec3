#include "ui/colours.h"

#include <gtest/gtest.h>

#include "platform/gdi/system_palette.h"
#include "tests/fakes/fake_host.h"
#include "tests/fakes/recording_message_boxes.h"

namespace {

class Colours : public testing::Test {
 protected:
  Colours() {
    state.handle = 5;
    environment.QueryInterface(IID_HostEnvironment,
                               reinterpret_cast<void**>(&state.hostEnvironment));
  }
  ~Colours() override {
    if (state.hostEnvironment != nullptr) state.hostEnvironment->Release();
  }

  FixedSystemPalette palette{
      {{COLOR_HIGHLIGHT, 0x130000}, {COLOR_HIGHLIGHTTEXT, 0x140000}, {COLOR_STATICTEXT, 0x260000}}};
  ScopedSystemPalette paletteGuard{palette};
  RecordingMessageBoxes boxes;
  ScopedMessageBoxSink boxesGuard{boxes};
  StrictColourLookup lookup;
  TestHostEnvironment environment{&lookup};
  PluginState state;
};

TEST_F(Colours, TheHostsSchemeFillsAllThree) {
  lookup.WithColour(u"COLOR_HOMETEXT", 0x111111)
      .WithColour(u"COLOR_HOMEHIGHLIGHTTEXT", 0x222222)
      .WithColour(u"COLOR_HOMEHIGHLIGHT", 0x333333);
  FetchColours(state);
  EXPECT_EQ(state.colours.textColour, 0x111111u);
  EXPECT_EQ(state.colours.highlightTextColour, 0x222222u);
  EXPECT_EQ(state.colours.highlightColour, 0x333333u);
  ASSERT_EQ(lookup.lookups.size(), 3u);
  EXPECT_EQ(lookup.lookups[0].name, u"COLOR_HOMETEXT");
  EXPECT_EQ(lookup.lookups[1].name, u"COLOR_HOMEHIGHLIGHTTEXT");
  EXPECT_EQ(lookup.lookups[2].name, u"COLOR_HOMEHIGHLIGHT");
  EXPECT_EQ(lookup.lookups[2].handle, 5u);
  EXPECT_EQ(lookup.outstanding(), 0);  // released again
  EXPECT_TRUE(boxes.messages.empty());
  EXPECT_TRUE(environment.repaints.empty());
}

TEST_F(Colours, OneFailingNameShowsOneMessageAndTheOthersAreStillSet) {
  state.colours.highlightColour = 0xABCDEF;
  lookup.WithColour(u"COLOR_HOMETEXT", 0x111111)
      .WithColour(u"COLOR_HOMEHIGHLIGHTTEXT", 0x222222)
      .FailColour(u"COLOR_HOMEHIGHLIGHT", E_FAIL);
  FetchColours(state);
  ASSERT_EQ(boxes.messages.size(), 1u);
  EXPECT_EQ(boxes.TextOf(0), "Can't GetColor(COLOR_HOMEHIGHLIGHT), err[80004005]");
  EXPECT_EQ(boxes.messages[0].caption, u"CZelvarPlugin");
  EXPECT_EQ(boxes.messages[0].type, 16u);
  EXPECT_EQ(state.colours.textColour, 0x111111u);
  EXPECT_EQ(state.colours.highlightTextColour, 0x222222u);
  EXPECT_EQ(state.colours.highlightColour, 0xABCDEFu);
}

TEST_F(Colours, OnlyANegativeResultIsAFailure) {
  state.colours = ColourSet{0x1, 0x2, 0x3};
  lookup.FailColour(u"COLOR_HOMETEXT", S_FALSE)
      .FailColour(u"COLOR_HOMEHIGHLIGHTTEXT", 0x7FFFFFFF)
      .WithColour(u"COLOR_HOMEHIGHLIGHT", 0x333333);
  FetchColours(state);
  EXPECT_TRUE(boxes.messages.empty());
  EXPECT_EQ(state.colours.textColour, 0x1u);  // the lookup wrote nothing
  EXPECT_EQ(state.colours.highlightTextColour, 0x2u);
  EXPECT_EQ(state.colours.highlightColour, 0x333333u);
}

TEST_F(Colours, EveryFailingNameHasItsOwnMessage) {
  lookup.FailColour(u"COLOR_HOMETEXT", E_OUTOFMEMORY)
      .FailColour(u"COLOR_HOMEHIGHLIGHTTEXT", E_NOINTERFACE)
      .FailColour(u"COLOR_HOMEHIGHLIGHT", E_FAIL);
  FetchColours(state);
  ASSERT_EQ(boxes.messages.size(), 3u);
  EXPECT_EQ(boxes.TextOf(0), "Can't GetColor(COLOR_HOMETEXT), err[8007000e]");
  EXPECT_EQ(boxes.TextOf(1), "Can't GetColor(COLOR_HOMEHIGHLIGHTTEXT), err[80004002]");
  EXPECT_EQ(boxes.TextOf(2), "Can't GetColor(COLOR_HOMEHIGHLIGHT), err[80004005]");
}

TEST_F(Colours, WithoutALookupOrAHostTheSystemColoursServeSilently) {
  TestHostEnvironment plain;
  state.hostEnvironment->Release();
  plain.QueryInterface(IID_HostEnvironment, reinterpret_cast<void**>(&state.hostEnvironment));
  FetchColours(state);
  EXPECT_EQ(state.colours.textColour, 0x260000u);
  EXPECT_EQ(state.colours.highlightTextColour, 0x140000u);
  EXPECT_EQ(state.colours.highlightColour, 0x130000u);
  EXPECT_TRUE(boxes.messages.empty());

  state.hostEnvironment->Release();
  state.hostEnvironment = nullptr;
  state.colours = ColourSet{};
  FetchColours(state);
  EXPECT_EQ(state.colours.highlightColour, 0x130000u);
}

}  // namespace
