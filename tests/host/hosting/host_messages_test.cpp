// The host's message relay: held until delivered, the plug-in's messages given their cause, each
// text written once on standard error, and delivered to a screen's sink when one is installed.
#include "host/hosting/host_messages.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/fakes/recording_message_boxes.h"
#include "tests/fakes/temp_folder.h"

namespace {

TEST(HostMessages, HeldUntilDeliveredThenWrittenOnceWithTheirCause) {
  testing::internal::CaptureStderr();
  {
    HostMessages messages;
    MessageBoxW(nullptr, u"Version of Stat file is wrong", u"CZelvarPlugin", MB_OK);
    messages.Note("a note of the host");
    messages.SetStatFile("/d/stat.dat");
    messages.SetPowerSource("/sys/x");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    testing::internal::CaptureStderr();
    messages.Deliver();
    MessageBoxW(nullptr, u"Version of Stat file is wrong", u"CZelvarPlugin", MB_OK);
    MessageBoxW(nullptr, u"Battery status unknown", u"CZelvarPlugin", MB_ICONERROR);
    MessageBoxW(nullptr, u"Can't GetColor(COLOR_HOMETEXT), err[80004005]", u"CZelvarPlugin",
                MB_ICONERROR);
    MessageBoxW(nullptr, u"Something else", u"CZelvarPlugin", MB_OK);
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "zelvar-home: Version of Stat file is wrong: /d/stat.dat does not begin with "
            "\"[version 1]\", so its "
            "samples are not used\n"
            "zelvar-home: a note of the host\n"
            "zelvar-home: Battery status unknown: the power status cannot be read from /sys/x\n"
            "zelvar-home: Can't GetColor(COLOR_HOMETEXT), err[80004005]: the home screen's colour "
            "scheme did not give "
            "that colour\n"
            "zelvar-home: Something else\n");
}

TEST(HostMessages, DeliveredToTheScreensSinkWithTheirCause) {
  HostMessages messages;
  MessageBoxW(nullptr, u"Version of Stat file is wrong", u"CZelvarPlugin", MB_OK);
  messages.Note("the stat file cannot be written");
  RecordingMessageBoxes screen;
  {
    const ScopedMessageBoxSink shown(screen);
    messages.Deliver();
    messages.Note("later");
  }
  ASSERT_EQ(screen.messages.size(), 3u);
  EXPECT_EQ(screen.TextOf(0),
            "Version of Stat file is wrong: the stat file does not begin with \"[version 1]\", so "
            "its samples are not used");
  EXPECT_EQ(screen.messages[0].caption, u"CZelvarPlugin");
  EXPECT_EQ(screen.TextOf(1), "the stat file cannot be written");
  EXPECT_EQ(screen.messages[1].caption, u"zelvar-home");
  EXPECT_EQ(screen.TextOf(2), "later");
}

}  // namespace
