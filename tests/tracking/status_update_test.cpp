#include "tracking/status_update.h"

#include <initializer_list>
#include <utility>

#include "tests/tracking/tracking_fixture.h"
#include "tracking/percent_series.h"

namespace {

class StatusUpdate : public TrackingFixture {
 protected:
  // Runs an update at the given time of the fixture's day with the battery at percent.
  void UpdateAt(WORD hour, WORD minute, BYTE percent, WORD day = 2) {
    AtDate(2026, 3, day, hour, minute);
    power.OnBattery(percent);
    UpdateStatus(state);
  }
  struct Reading {
    WORD hour, minute;
    BYTE percent;
  };
  // Runs an update at each reading's time of the fixture's day, in turn.
  void UpdateEach(std::initializer_list<Reading> readings) {
    for (const Reading& r : readings) UpdateAt(r.hour, r.minute, r.percent);
  }
  // The hours of day that hold samples, as "hour=drop sum/sample count" separated by blanks.
  std::string FiledHours() const {
    std::string filed;
    for (UINT hour = 0; hour < HourlyDrainTable::kHoursPerDay; ++hour) {
      const HourlyDrainTable::Bucket& bucket = state.table.bucket(hour);
      if (bucket.sampleCount == 0) continue;
      if (!filed.empty()) filed += ' ';
      filed += std::to_string(hour) + "=" + std::to_string(bucket.dropSum) + "/" +
               std::to_string(bucket.sampleCount);
    }
    return filed;
  }
  void Restart() {
    // Built aside and moved in: GCC 12 optimising warns falsely (-Wmaybe-uninitialized) about
    // `state = PluginState{}` followed by assignments to its settings.
    PluginState fresh;
    fresh.settings = DefaultSettings();
    fresh.settings.StatFilename = TEXT("\\stats.dat");
    state = std::move(fresh);
  }
};

TEST_F(StatusUpdate, APeriodStartingAt1020SamplesFirstAtNoonUnderHour11) {
  UpdateAt(10, 20, 85);
  EXPECT_EQ(Status(), " 85%, hrs: 0.0/-?-");
  EXPECT_TRUE(state.session.dischargeStarted);
  EXPECT_EQ(state.session.dischargeStartTime, Time(10, 20));
  EXPECT_EQ(state.nextSampleTime, Time(11));

  UpdateAt(10, 59, 84);
  UpdateAt(11, 0, 84);   // now equals the sample time: not due
  UpdateAt(11, 30, 83);  // due, but the clock hour has not changed
  UpdateAt(11, 59, 83);
  EXPECT_TRUE(state.PercentSeries.empty());
  EXPECT_EQ(Status(), " 83%, hrs: 1.7/68.5");

  UpdateAt(12, 0, 82);
  ASSERT_EQ(state.PercentSeries, std::vector<BYTE>{3});
  EXPECT_EQ(state.nextSampleTime, Time(12));
  EXPECT_EQ(state.lastSampledPercent, 82);
  EXPECT_EQ(FiledHours(), "11=3/1");
  EXPECT_EQ(Status(), " 82%, hrs: 671.3 (1.7)");

  UpdateAt(12, 40, 81);  // two updates in one clock hour take one sample
  UpdateAt(12, 59, 80);
  EXPECT_EQ(state.PercentSeries.size(), 1u);
  UpdateAt(13, 5, 80);
  EXPECT_EQ(state.PercentSeries, (std::vector<BYTE>{3, 2}));
  EXPECT_EQ(FiledHours(), "11=3/1 12=2/1");
}

TEST_F(StatusUpdate, StatusLineForms) {
  UpdateAt(9, 0, 85);
  UpdateAt(12, 30, 62);  // 23 points in 3.5 hours, the drop filed at hour 9 (no stats before)
  state.table.Reset();
  state.table.Recompute();
  UpdateAt(12, 30, 62);
  EXPECT_EQ(Status(), " 62%, hrs: 3.5/9.4");
  for (LONG expertMode : {1, -1}) {
    state.settings.ExpertMode = expertMode;
    UpdateAt(12, 30, 62);
    EXPECT_EQ(Status(), " 62%, -151 mA, hrs: 3.5/9.4") << expertMode;
  }
  state.settings.ExpertMode = 0;

  At(12, 31);
  power.OnMains(100);
  UpdateStatus(state);
  EXPECT_EQ(Status(), " 100%, hrs: N/A (online)");
  state.settings.ExpertMode = 1;
  UpdateStatus(state);
  EXPECT_EQ(Status(), " 100%, 900 mA, hrs: N/A (online)");
}

TEST_F(StatusUpdate, StatisticsGiveTheEstimateAndAZeroEstimateStillShows) {
  for (UINT hour = 0; hour < 24; ++hour) state.table.AddSample(hour, 4, 50, hour == 23);
  state.settings.MinPercent = 0;
  UpdateAt(10, 20, 62);
  EXPECT_EQ(Status(), " 62%, hrs: 15.5 (0.0)");
  UpdateAt(13, 50, 0);
  EXPECT_EQ(Status(), " 0%, hrs: 0.0 (3.5)");
}

TEST_F(StatusUpdate, TheExtrapolationKeepsItsOrderOfOperationsInSinglePrecision) {
  // Edges where another order, double precision or folded constants round to another tenth.
  const struct {
    BYTE start, percent;
    WORD minutes;
    const char* line;
  } cases[] = {
      {4, 1, 153, " 1%, hrs: 2.5/0.9"},  // percent * elapsed / dropped gives 0.8
      {2, 1, 21, " 1%, hrs: 0.4/0.4"},   // elapsed in double precision gives 0.3
      {2, 1, 27, " 1%, hrs: 0.5/0.5"},   // 1.0e-7 / 3600 folded into one constant gives 0.4
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    Restart();
    UpdateAt(10, 0, c.start);
    UpdateAt(static_cast<WORD>(10 + c.minutes / 60), c.minutes % 60, c.percent);
    EXPECT_EQ(Status(), c.line);
  }
}

TEST_F(StatusUpdate, TheEstimateStartsAtTheLocalHour) {
  for (UINT hour = 0; hour < 24; ++hour)
    state.table.AddSample(hour, hour == 15 ? 50 : 2, 50, hour == 23);
  clock.ChangeOffsetAt(Utc(2000, 1, 1, 0), 5 * 60);
  UpdateAt(10, 20, 50);  // 15:20 local: hour 15 takes the whole charge
  EXPECT_EQ(Status(), " 50%, hrs: 1.0 (0.0)");
}

TEST_F(StatusUpdate, AnUnchangedPercentAtADueSampleIsADropOfZero) {
  UpdateEach({{10, 20, 80}, {12, 5, 80}});
  EXPECT_EQ(state.PercentSeries, std::vector<BYTE>{0});
  EXPECT_TRUE(state.session.dischargeStarted);
  EXPECT_EQ(state.table.bucket(11).sampleCount, 1);
  EXPECT_EQ(state.nextSampleTime, Time(12, 5));
}

TEST_F(StatusUpdate, AClockSetBackShowsANegativeElapsedTime) {
  UpdateEach({{10, 20, 80}, {8, 20, 70}});
  EXPECT_EQ(Status(), " 70%, hrs: -2.0/-14.0");
}

TEST_F(StatusUpdate, ExternalPowerWritesThePendingDropsAndEndsThePeriod) {
  UpdateEach({{10, 20, 90}, {11, 5, 88}, {12, 5, 85}, {13, 5, 84}});
  ASSERT_EQ(state.PercentSeries, (std::vector<BYTE>{5, 1}));
  At(13, 10);
  power.OnMains(84);
  UpdateStatus(state);
  EXPECT_TRUE(state.PercentSeries.empty());
  EXPECT_FALSE(state.session.dischargeStarted);
  EXPECT_EQ(StatFile(), "[version 1]\n2026.3.2.11:5,1\n");

  // Charging (flag 8 alone) counts as external power; a flag that combines 8 with others does not.
  At(13, 20);
  power.OnBattery(84);
  power.record.BatteryFlag = BATTERY_FLAG_CHARGING;
  UpdateStatus(state);
  EXPECT_EQ(Status(), " 84%, hrs: N/A (online)");
  power.record.BatteryFlag = BATTERY_FLAG_CHARGING | BATTERY_FLAG_HIGH;
  power.record.ACLineStatus = AC_LINE_BACKUP_POWER;
  UpdateStatus(state);
  EXPECT_EQ(Status(), " 84%, hrs: 336.0 (0.0)");
  EXPECT_TRUE(state.session.dischargeStarted);
}

TEST_F(StatusUpdate, ARiseInChargeFlushesInsteadOfSampling) {
  UpdateEach({{10, 20, 80}, {12, 5, 78}});
  ASSERT_EQ(state.PercentSeries, std::vector<BYTE>{2});
  UpdateAt(13, 2, 79);
  EXPECT_TRUE(state.PercentSeries.empty());
  EXPECT_FALSE(state.session.dischargeStarted);
  EXPECT_EQ(StatFile(), "[version 1]\n2026.3.2.11:2\n");
  EXPECT_EQ(Status(),
            " 79%, hrs: 958.5 (2.7)");  // the period's figures were fixed before the flush
}

TEST_F(StatusUpdate, MinPercentDecidesWhetherALowChargeIsSampled) {
  state.settings.MinPercent = 0;
  UpdateEach({{10, 20, 3}, {12, 5, 0}});
  EXPECT_EQ(state.PercentSeries, std::vector<BYTE>{3});

  for (LONG minPercent : {20, -1}) {  // -1 taken unsigned is above every percent
    SCOPED_TRACE(minPercent);
    Restart();
    state.settings.MinPercent = minPercent;
    UpdateEach({{10, 20, 25}, {12, 5, 19}});
    EXPECT_TRUE(state.PercentSeries.empty());
    EXPECT_FALSE(state.session.dischargeStarted);
    EXPECT_EQ(FiledHours(), "");
  }

  // A drop of 100 points would end its record's line in the stat file: it flushes instead.
  Restart();
  state.settings.MinPercent = 0;
  UpdateEach({{10, 20, 100}, {12, 5, 100}, {13, 5, 0}});
  EXPECT_FALSE(state.session.dischargeStarted);
  EXPECT_EQ(FiledHours(), "11=0/1");
  EXPECT_EQ(StatFile(), "[version 1]\n2026.3.2.11:0\n");
}

TEST_F(StatusUpdate, FlushTimeoutHoursBoundsTheSeries) {
  for (LONG limit : {0, 1}) {
    SCOPED_TRACE(limit);
    Restart();
    state.settings.FlushTimeoutHours = limit;
    UpdateEach({{10, 20, 90}, {11, 5, 90}, {12, 5, 88}});
    EXPECT_TRUE(state.PercentSeries.empty());
    EXPECT_FALSE(state.session.dischargeStarted);
    UpdateAt(12, 35, 87);  // a new period starts
    EXPECT_EQ(state.session.dischargeStartTime, Time(12, 35));
    EXPECT_EQ(Status(), " 87%, hrs: 1055.5 (0.0)");
  }
  EXPECT_EQ(StatFile(), "[version 1]\n2026.3.2.11:2\n2026.3.2.11:2\n");

  Restart();
  state.settings.StatFilename = TEXT("\\eight.dat");
  UpdateAt(0, 30, 100);
  for (WORD hour = 2; hour <= 9; ++hour) UpdateAt(hour, 1, static_cast<BYTE>(100 - 2 * (hour - 1)));
  EXPECT_TRUE(state.PercentSeries.empty());
  EXPECT_EQ(folder.Read("eight.dat"), "[version 1]\n2026.3.2.1:2,2,2,2,2,2,2,2\n");
}

TEST_F(StatusUpdate, HalfHourZonesSampleAfterUtcTopsAndFileUnderTheLocalHour) {
  clock.ChangeOffsetAt(Utc(2000, 1, 1, 0), 5 * 60 + 30);
  UpdateAt(10, 20, 90);  // 15:50 local
  UpdateAt(11, 10, 89);  // 16:40 local, same UTC hour as the sample time
  EXPECT_TRUE(state.PercentSeries.empty());
  UpdateAt(12, 0, 88);  // 17:30 local
  EXPECT_EQ(state.PercentSeries, std::vector<BYTE>{2});
  EXPECT_EQ(FiledHours(), "16=2/1");  // 11:00 UTC is 16:30 local
}

// The filing hour is the previous sample time shifted by the offset in force now, as the
// platform converts times.
// A record holds drops of consecutive local hours, so the drop filed before the switch is a
// record of its own.
TEST_F(StatusUpdate, ADaylightSavingSwitchMovesOnlyTheFilingHour) {
  clock.ChangeOffsetAt(Utc(2000, 1, 1, 0), 60);
  clock.ChangeOffsetAt(Utc(2026, 3, 2, 13), 120);
  UpdateAt(10, 20, 90);
  UpdateAt(12, 5, 89);  // filed under 11:00 UTC + 1 = 12
  UpdateAt(13, 5, 87);  // filed under 12:05 UTC + 2 = 14, summer time being in force now
  UpdateAt(14, 5, 86);  // filed under 13:05 UTC + 2 = 15
  EXPECT_EQ(state.PercentSeries, (std::vector<BYTE>{2, 1}));
  EXPECT_EQ(FiledHours(), "12=1/1 14=2/1 15=1/1");
  FlushPercents(state);
  EXPECT_EQ(StatFile(), "[version 1]\n2026.3.2.12:1\n2026.3.2.14:2,1\n");
}

// Asleep from 13:05 to 16:20: the overdue sample files the whole drop under hour 13, and the next
// one, under hour 16, starts a record of its own. The period goes on: its start, and its count of
// drops towards FlushTimeoutHours.
TEST_F(StatusUpdate, ASleepEndsTheRecordButNotThePeriod) {
  state.settings.FlushTimeoutHours = 5;
  UpdateEach({{10, 20, 90}, {12, 5, 89}, {13, 5, 87}, {16, 20, 80}, {17, 5, 79}});
  EXPECT_EQ(StatFile(), "[version 1]\n2026.3.2.11:1,2,7\n");
  EXPECT_EQ(state.PercentSeries, std::vector<BYTE>{1});
  EXPECT_TRUE(state.session.dischargeStarted);
  EXPECT_EQ(state.session.dischargeStartTime, Time(10, 20));
  UpdateAt(18, 5, 78);  // the fifth drop of the period
  EXPECT_FALSE(state.session.dischargeStarted);
  EXPECT_EQ(FiledHours(), "11=1/1 12=2/1 13=7/1 16=1/1 17=1/1");
  EXPECT_EQ(StatFile(), "[version 1]\n2026.3.2.11:1,2,7\n2026.3.2.16:1,1\n");
}

TEST_F(StatusUpdate, NoSampleWhileAWholeDayLaterFallsInTheSameUtcHour) {
  UpdateEach({{10, 20, 90}, {12, 5, 89}});
  UpdateAt(12, 30, 80, 3);
  EXPECT_EQ(state.PercentSeries, std::vector<BYTE>{1});
  UpdateAt(13, 0, 79, 3);
  EXPECT_EQ(state.PercentSeries, (std::vector<BYTE>{1, 10}));
  EXPECT_EQ(FiledHours(), "11=1/1 12=10/1");
}

TEST_F(StatusUpdate, AnUndeterminedPercentNeverBecomesASample) {
  UpdateEach({{10, 20, 255}, {11, 5, 255}});
  UpdateAt(12, 5, 80);  // the period starts with the first real percent
  EXPECT_EQ(state.session.dischargeStartTime, Time(12, 5));
  UpdateEach({{12, 10, 80}, {14, 5, 79}});
  EXPECT_EQ(state.PercentSeries, std::vector<BYTE>{1});
  UpdateAt(15, 5, 255);  // a real percent to 255 counts as a rise
  EXPECT_TRUE(state.PercentSeries.empty());
  EXPECT_FALSE(state.session.dischargeStarted);
  EXPECT_EQ(state.lastSampledPercent, 79);
  EXPECT_EQ(StatFile(), "[version 1]\n2026.3.2.13:1\n");
}

TEST_F(StatusUpdate, AnUndeterminedPercentShowsAsAQuestionMarkAndStartsNoPeriod) {
  const struct {
    BYTE percent;
    bool statistics, mains;
    LONG expertMode;
    const char* line;
  } cases[] = {
      {255, false, false, 0, " ?%, hrs: 0.0/-?-"},
      {101, false, false, 0, " ?%, hrs: 0.0/-?-"},
      {255, true, false, 0, " ?%, hrs: -?- (0.0)"},
      {255, false, false, 1, " ?%, -151 mA, hrs: 0.0/-?-"},
      {255, false, true, 0, " ?%, hrs: N/A (online)"},
      {255, true, true, 0, " ?%, hrs: N/A (online)"},
      {100, false, false, 0, " 100%, hrs: 0.0/-?-"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    Restart();
    state.settings.ExpertMode = c.expertMode;
    if (c.statistics) state.table.AddSample(5, 4, 50, true);
    At(10, 20);
    if (c.mains) {
      power.OnMains(c.percent);
    } else {
      power.OnBattery(c.percent);
    }
    UpdateStatus(state);
    EXPECT_EQ(Status(), c.line);
    const bool started = c.percent <= 100 && !c.mains;
    EXPECT_EQ(state.session.dischargeStarted, started);
    EXPECT_EQ(state.session.dischargeStartPercent, started ? c.percent : 0);
    EXPECT_EQ(state.lastSampledPercent, started ? c.percent : 0);
  }
}

TEST_F(StatusUpdate, AnUndeterminedPercentInAPeriodShowsOnlyTheElapsedHours) {
  UpdateAt(10, 20, 80);
  UpdateAt(11, 50, 255);  // no sample due yet: the period goes on untouched
  EXPECT_EQ(Status(), " ?%, hrs: 1.5/-?-");
  EXPECT_TRUE(state.session.dischargeStarted);
  EXPECT_EQ(state.session.dischargeStartPercent, 80);
  EXPECT_EQ(state.lastSampledPercent, 80);
  state.table.AddSample(5, 4, 50, true);
  UpdateAt(11, 50, 255);
  EXPECT_EQ(Status(), " ?%, hrs: -?- (1.5)");
  UpdateAt(12, 8, 255);  // due: flushes as a rise, with the period's elapsed hours still shown
  EXPECT_FALSE(state.session.dischargeStarted);
  EXPECT_EQ(Status(), " ?%, hrs: -?- (1.8)");
  UpdateAt(12, 38, 255);  // no period runs now
  EXPECT_EQ(Status(), " ?%, hrs: -?- (0.0)");
  EXPECT_EQ(state.lastSampledPercent, 80);
}

// Notes the update flag of every read.
class FlagNotingPowerSource : public FixedPowerSource {
 public:
  bool Read(SYSTEM_POWER_STATUS_EX2& status, bool update) override {
    updates.push_back(update);
    return FixedPowerSource::Read(status, update);
  }
  std::vector<bool> updates;
};

TEST_F(StatusUpdate, ThePowerStatusIsReadWithoutForcingAFreshReading) {
  FlagNotingPowerSource noting;
  ScopedPowerSource guard(noting);
  UpdateStatus(state);
  UpdateStatus(state);
  EXPECT_EQ(noting.updates, (std::vector<bool>{false, false}));
}

TEST_F(StatusUpdate, AnUnreadablePowerStatusChangesOnlyTheStatusLine) {
  UpdateEach({{10, 20, 90}, {11, 5, 89}});
  const PluginState before = state;
  power.failing = true;
  At(12, 5);
  UpdateStatus(state);
  EXPECT_EQ(Status(), "Battery status unknown");
  EXPECT_EQ(state.nextSampleTime, before.nextSampleTime);
  EXPECT_EQ(state.PercentSeries, before.PercentSeries);
  EXPECT_EQ(state.session.dischargeStartTime, before.session.dischargeStartTime);
  EXPECT_TRUE(state.session.dischargeStarted);
}

}  // namespace
