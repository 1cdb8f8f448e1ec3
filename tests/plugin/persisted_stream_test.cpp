#include <gtest/gtest.h>

#include "platform/time/simulated_clock.h"
#include "platform/gdi/system_palette.h"
#include "com_toolkit/memory_stream.h"
#include "plugin/zelvar_plugin.h"
#include "tests/fakes/fake_host.h"
#include "tests/fakes/fixed_power_source.h"
#include "tests/fakes/recording_message_boxes.h"
#include "tests/fakes/stream_bytes.h"
#include "tests/fakes/temp_folder.h"
#include "tests/fakes/time_builders.h"
#include "tests/fakes/fake_xml_element.h"
#include "tracking/power/power_and_time.h"

namespace {

// Notes how many timers the host had been asked for at each colour lookup.
class TimersAtLookup : public StrictColourLookup {
 public:
  explicit TimersAtLookup(const TestHostEnvironment& environment) : environment_(environment) {}
  HRESULT STDMETHODCALLTYPE GetColor(PluginHandle handle, LPCWSTR name, DWORD* colour) override {
    seen.push_back(environment_.timers.size());
    return StrictColourLookup::GetColor(handle, name, colour);
  }
  std::vector<size_t> seen;

 private:
  const TestHostEnvironment& environment_;
};

class PersistedState : public testing::Test {
 protected:
  PersistedState() { plugin->SetSite(&site); }
  ~PersistedState() override {
    plugin->SetSite(nullptr);
    plugin->Release();
  }
  void Configure(const WString& file) {
    FakeXmlElement element;
    element.With(u"RefreshTimeout", u"1000")
        .With(u"StatFilename", file)
        .With(u"MaxHistoryDays", u"-3")
        .With(u"MinPercent", u"15")
        .With(u"FlushTimeoutHours", u"4")
        .With(u"height", u"24")
        .With(u"ExpertMode", u"1");
    plugin->Initialize(0x77, &element);
  }
  std::vector<BYTE> Saved() {
    const ComPtr<MemoryStream> stream = MemoryStream::Create();
    EXPECT_EQ(plugin->Save(stream.Get(), TRUE), S_OK);
    return stream->bytes();
  }
  const PluginState& state() const { return plugin->state(); }
  // Configured to keep its statistics in `file`, the plug-in starts a period at 10:23 and takes
  // its first sample at 12:05: 5 points, kept under 11:00 and not yet filed.
  void TakeTheFirstSample(const WString& file) {
    Configure(file);
    PluginEvent paint{};
    paint.type = PE_PAINT;
    plugin->OnEvent(&paint);
    clock.SetUtc(Utc(2026, 3, 2, 12, 5));
    power.OnBattery(80);
    plugin->OnEvent(&paint);
  }

  SimulatedClock clock{Utc(2026, 3, 2, 10, 23, 17), 0};
  ScopedClock clockGuard{clock};
  FixedPowerSource power;
  ScopedPowerSource powerGuard{power};
  TempFolder folder;
  ScopedDeviceRoot root{folder};
  RecordingMessageBoxes boxes;
  ScopedMessageBoxSink boxesGuard{boxes};
  TestHostEnvironment environment{&colours};
  TimersAtLookup colours{environment};
  TestSite site{&environment};
  CZelvarPlugin* plugin = new CZelvarPlugin;
};

TEST_F(PersistedState, AnEmptyNameSavesExactly32Bytes) {
  Configure(u"");
  const std::vector<BYTE> expected = StreamBytes()
                                         .Word(0x77)
                                         .Word(1000)
                                         .Word(static_cast<DWORD>(-3))
                                         .Word(15)
                                         .Word(4)
                                         .Word(24)
                                         .Word(1)
                                         .Word(0)
                                         .bytes;
  EXPECT_EQ(Saved(), expected);
  ULARGE_INTEGER size;
  size.QuadPart = ~0ULL;
  ASSERT_EQ(plugin->GetSizeMax(&size), S_OK);
  EXPECT_EQ(size.QuadPart, 32u);
  const ComPtr<MemoryStream> stream = MemoryStream::Create();
  plugin->Save(stream.Get(), FALSE);
  EXPECT_EQ(stream->writes(), 8);  // one write per word, none for an empty name
}

TEST_F(PersistedState, ATenCharacterNameGives52Bytes) {
  Configure(u"\\stat.dat0");
  const std::vector<BYTE> bytes = Saved();
  ASSERT_EQ(bytes.size(), 52u);
  EXPECT_EQ(std::vector<BYTE>(bytes.begin() + 28, bytes.begin() + 32),
            (std::vector<BYTE>{10, 0, 0, 0}));
  EXPECT_EQ(std::vector<BYTE>(bytes.begin() + 32, bytes.end()),
            StreamBytes().Units(u"\\stat.dat0").bytes);
  ULARGE_INTEGER size;
  plugin->GetSizeMax(&size);
  EXPECT_EQ(size.QuadPart, 52u);
  EXPECT_EQ(size.HighPart, 0u);
}

TEST_F(PersistedState, SaveThenLoadRestoresHandleAndSettings) {
  Configure(u"\\a.dat");
  const ComPtr<MemoryStream> stream = MemoryStream::Create(Saved());
  CZelvarPlugin* restored = new CZelvarPlugin;
  ASSERT_EQ(restored->Load(stream.Get()), S_OK);
  EXPECT_EQ(restored->state().handle, 0x77u);
  const PluginSettings& s = restored->state().settings;
  EXPECT_EQ(s.RefreshTimeout, 1000);
  EXPECT_EQ(s.StatFilename, u"\\a.dat");
  EXPECT_EQ(s.MaxHistoryDays, -3);
  EXPECT_EQ(s.MinPercent, 15);
  EXPECT_EQ(s.FlushTimeoutHours, 4);
  EXPECT_EQ(s.height, 24);
  EXPECT_EQ(s.ExpertMode, 1);
  EXPECT_EQ(stream->position(), stream->bytes().size());
  restored->Release();
}

TEST_F(PersistedState, StoredNamesAreCutAtAZeroAndAt259Characters) {
  const StreamBytes zero = StreamBytes().Words(1, 7).Word(6).Units(std::u16string(u"\\ab\0cd", 6));
  plugin->Load(MemoryStream::Create(zero.bytes).Get());
  EXPECT_EQ(state().settings.StatFilename, u"\\ab");

  const std::u16string longName = u"\\" + std::u16string(299, u'x');
  const ComPtr<MemoryStream> stream =
      MemoryStream::Create(StreamBytes().Words(1, 7).Word(300).Units(longName).Word(0xDEAD).bytes);
  plugin->Load(stream.Get());
  EXPECT_EQ(state().settings.StatFilename, u"\\" + std::u16string(258, u'x'));
  EXPECT_EQ(stream->position(), 32u + 600u);  // the rest of the name was skipped, nothing more read
}

TEST_F(PersistedState, AShortStreamLeavesWhatItDidNotDeliver) {
  Configure(u"\\keep.dat");
  StreamBytes shortStream;
  shortStream.Word(9).Word(2000).Word(7);
  shortStream.bytes.push_back(1);  // half a word of MinPercent
  plugin->Load(MemoryStream::Create(shortStream.bytes).Get());
  EXPECT_EQ(state().handle, 9u);
  EXPECT_EQ(state().settings.RefreshTimeout, 2000);
  EXPECT_EQ(state().settings.MaxHistoryDays, 7);
  EXPECT_EQ(state().settings.MinPercent, 15);
  EXPECT_EQ(state().settings.ExpertMode, 1);
  EXPECT_EQ(state().settings.StatFilename, u"\\keep.dat");

  const StreamBytes cutName = StreamBytes().Words(1, 7).Word(8).Units(u"\\ab");
  plugin->Load(MemoryStream::Create(cutName.bytes).Get());
  EXPECT_EQ(state().settings.StatFilename, u"\\keep.dat");
}

TEST_F(PersistedState, LoadRestartsTheWorkAndAsksForOneTimer) {
  colours.WithColour(u"COLOR_HOMETEXT", 1)
      .WithColour(u"COLOR_HOMEHIGHLIGHTTEXT", 2)
      .WithColour(u"COLOR_HOMEHIGHLIGHT", 3);
  folder.Write("s.dat", "[version 1]\n2026.3.1.10:4,4\n");
  const ComPtr<MemoryStream> stream = MemoryStream::Create(StreamBytes()
                                                               .Word(0x42)
                                                               .Word(600000)
                                                               .Word(30)
                                                               .Word(20)
                                                               .Word(8)
                                                               .Word(20)
                                                               .Word(0)
                                                               .Word(6)
                                                               .Units(u"\\s.dat")
                                                               .bytes);
  PluginEvent paint{};
  paint.type = PE_PAINT;
  plugin->OnEvent(&paint);
  ASSERT_EQ(state().OnPaintCalled, 1);
  ASSERT_TRUE(state().session.dischargeStarted);

  ASSERT_EQ(plugin->Load(stream.Get()), S_OK);
  EXPECT_EQ(state().OnPaintCalled, 0);
  EXPECT_FALSE(state().session.dischargeStarted);
  EXPECT_EQ(state().session.dischargeStartTime, 0);
  ASSERT_EQ(environment.timers.size(), 1u);
  EXPECT_EQ(environment.timers[0].argument, 1000u);
  EXPECT_EQ(environment.timers[0].handle, 0x42u);
  EXPECT_EQ(state().timerRequests, 1);
  EXPECT_EQ(state().colours.highlightColour, 3u);
  EXPECT_EQ(colours.seen,
            (std::vector<size_t>{0, 0, 0}));  // fetched before the first timer request
  EXPECT_EQ(state().nextSampleTime, FileTimeOf(Utc(2026, 3, 2, 11)));
  WString averages;
  state().table.FormatCumulative(averages, 3);
  EXPECT_EQ(NarrowUtf8(averages).substr(0, 54),
            "(0-2) 0.0 0.0 0.0\n(3-5) 0.0 0.0 0.0\n(6-8) 0.0 0.0 0.0\n");
  EXPECT_NE(NarrowUtf8(averages).find("(9-11) 0.0 4.0 4.0\n"), std::string::npos);

  // A second restore runs it all again: one more timer, the table rebuilt rather than doubled.
  stream->Rewind();
  plugin->Load(stream.Get());
  EXPECT_EQ(environment.timers.size(), 2u);
  EXPECT_EQ(state().timerRequests, 2);
  WString again;
  state().table.FormatCumulative(again, 3);
  EXPECT_EQ(again, averages);
  EXPECT_TRUE(boxes.messages.empty());
}

TEST_F(PersistedState, LoadWritesPendingDropsToTheNewlyNamedFile) {
  TakeTheFirstSample(u"\\old.dat");
  ASSERT_EQ(state().PercentSeries.size(), 1u);
  plugin->Load(
      MemoryStream::Create(StreamBytes().Words(1, 6).Word(0).Word(6).Units(u"\\new.d").bytes)
          .Get());
  EXPECT_EQ(folder.Read("new.d"), "[version 1]\n2026.3.2.11:5\n");
  EXPECT_FALSE(folder.Exists("old.dat"));
}

TEST_F(PersistedState, WithoutAHostLoadAsksNothingAndCountsNothing) {
  plugin->SetSite(nullptr);
  plugin->Load(MemoryStream::Create(StreamBytes().Words(1, 6).Word(0).Word(0).bytes).Get());
  EXPECT_EQ(state().timerRequests, 0);
  EXPECT_TRUE(environment.timers.empty());
}

TEST_F(PersistedState, TheLastReleaseWritesPendingDrops) {
  TakeTheFirstSample(u"\\last.dat");
  plugin->SetSite(nullptr);
  EXPECT_EQ(plugin->Release(), 0u);
  plugin = new CZelvarPlugin;
  EXPECT_EQ(folder.Read("last.dat"), "[version 1]\n2026.3.2.11:5\n");
}

}  // namespace
