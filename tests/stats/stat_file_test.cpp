#include "stats/stat_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>

#include "stats/pending_record.h"
#include "tests/fakes/time_builders.h"
#include "tests/stats/stat_file_fixture.h"

namespace {

const WString kStatName = u"\\Storage\\My Documents\\ZelvarPlugin.dat";
const std::string kStatPath = "Storage/My Documents/ZelvarPlugin.dat";

// The 24 hourly averages as the table prints them, or none when it has no data.
std::vector<std::string> HourValues(const HourlyDrainTable& table) {
  WString text;
  table.FormatCumulative(text, 24);
  const std::string narrow = NarrowUtf8(text);
  if (narrow == "No stats") return {};
  std::istringstream values(narrow.substr(narrow.find(") ") + 2));
  std::vector<std::string> result;
  for (std::string value; values >> value;) result.push_back(value);
  return result;
}

// 24 averages: the given hours, all others 0.0.
std::vector<std::string> Hours(const std::map<int, std::string>& given) {
  std::vector<std::string> result(24, "0.0");
  for (const auto& [hour, value] : given) result[hour] = value;
  return result;
}

// Local time now is 2024-03-31 13:00, one hour ahead of UTC.
class StatFileTest : public StatFileFixture {
 protected:
  StatFileTest() : StatFileFixture(Utc(2024, 3, 31, 12)) {}

  std::string HostPath() const { return HostPathOf(kStatName.c_str()).value(); }
  void WriteStatFile(const std::string& text) const { root_.Write(kStatPath, text); }
  std::string ReadStatFile() const { return root_.Read(kStatPath); }

  // Whether a stat file of the version line and the given record lines loads into a fresh table
  // with the given hourly averages, silently.
  testing::AssertionResult Loads(const std::string& records,
                                 const std::vector<std::string>& averages,
                                 DWORD maxHistoryDays = kThirtyDays) {
    WriteStatFile("[version 1]\n" + records);
    return LoadsAsItIs(averages, maxHistoryDays);
  }
  // The stat file as it is loads without a message, giving these averages.
  testing::AssertionResult LoadsAsItIs(const std::vector<std::string>& averages,
                                       DWORD maxHistoryDays = kThirtyDays) {
    HourlyDrainTable table;
    const HRESULT result = LoadStatFile(kStatName, maxHistoryDays, table, true);
    if (result != S_OK) return testing::AssertionFailure() << "load answered " << result;
    if (!messages_.messages.empty()) return testing::AssertionFailure() << "a message was shown";
    if (HourValues(table) != averages) {
      return testing::AssertionFailure() << "loaded " << testing::PrintToString(HourValues(table));
    }
    return testing::AssertionSuccess();
  }
};

TEST_F(StatFileTest, MissingFileIsCreatedWithTheVersionLineAlone) {
  EXPECT_TRUE(LoadsAsItIs({}));
  EXPECT_EQ(ReadStatFile(), "[version 1]\n");
}

// An empty name names no file; one that climbs above the device root, or names the root itself, is
// refused and named.
TEST_F(StatFileTest, NamesOfNoFileInTheRootFailAndWriteNothing) {
  for (const auto& [name, message] :
       {std::pair<WString, std::string>{u"", ""},
        {u"..\\..\\escape.dat",
         "Stat file ..\\..\\escape.dat lies outside the device root and is not used"},
        {u"\\", "Stat file \\ lies outside the device root and is not used"}}) {
    messages_.messages.clear();
    HourlyDrainTable table;
    EXPECT_EQ(LoadStatFile(name, kThirtyDays, table, true), E_FAIL);
    AppendStatRecord(name, Utc(2024, 3, 31, 13), {3});
    EXPECT_TRUE(std::filesystem::is_empty(root_.path()));
    ASSERT_EQ(messages_.messages.size(), message.empty() ? 0u : 1u) << NarrowUtf8(name);
    if (!message.empty()) {
      EXPECT_EQ(messages_.TextOf(0), message);
    }
  }
}

TEST_F(StatFileTest, EmptyFileLoadsNothingAndStaysEmpty) {
  WriteStatFile("");
  EXPECT_TRUE(LoadsAsItIs({}));
  EXPECT_EQ(ReadStatFile(), "");
}

TEST_F(StatFileTest, AppendGivesAnEmptyOrMissingFileItsVersionLine) {
  WriteStatFile("");
  AppendStatRecord(kStatName, Utc(2024, 3, 31, 13), {3, 2});
  EXPECT_EQ(ReadStatFile(), "[version 1]\n2024.3.31.13:3,2\n");

  std::filesystem::remove(HostPath());
  AppendStatRecord(kStatName, Utc(2024, 3, 31, 13), {3, 2});
  EXPECT_EQ(ReadStatFile(), "[version 1]\n2024.3.31.13:3,2\n");

  EXPECT_TRUE(LoadsAsItIs(Hours({{13, "3.0"}, {14, "2.0"}})));
}

TEST_F(StatFileTest, AppendWritesOneLineDatedInLocalTime) {
  WriteStatFile("[version 1]\n");
  AppendStatRecord(kStatName, Utc(2024, 3, 9, 15), {3, 2, 4});
  AppendStatRecord(kStatName, Utc(2024, 1, 1, 0), {255});
  EXPECT_EQ(ReadStatFile(), "[version 1]\n2024.3.9.15:3,2,4\n2024.1.1.0:255\n");
}

// A final line without its line feed was cut short: its last item may be a number cut short too
// ("12" reached the disk as "1"), so it never loads, before the next append or after it.
TEST_F(StatFileTest, AppendClosesARecordCutShortSoItsCutItemNeverLoads) {
  const struct {
    const char* cut;
    const char* closed;
    std::map<int, std::string> loaded;  // the averages before the append; it adds 4.0 at hour 13
  } cases[] = {
      {"2024.3.31.8:5,1", "2024.3.31.8:5,1999\n", {{8, "5.0"}}},
      {"2024.3.31.8:5,", "2024.3.31.8:5,\n", {{8, "5.0"}}},
      {"2024.3.31.8:", "2024.3.31.8:\n", {}},
      {"2024.3.31.1", "2024.3.31.1999\n", {}},
  };
  for (auto c : cases) {
    SCOPED_TRACE(c.cut);
    EXPECT_TRUE(Loads(c.cut, c.loaded.empty() ? std::vector<std::string>() : Hours(c.loaded)));
    AppendStatRecord(kStatName, Utc(2024, 3, 31, 13), {4});
    EXPECT_EQ(ReadStatFile(), std::string("[version 1]\n") + c.closed + "2024.3.31.13:4\n");
    c.loaded[13] = "4.0";
    EXPECT_TRUE(LoadsAsItIs(Hours(c.loaded)));
  }
}

TEST_F(StatFileTest, VersionLineIsJudgedByItsFirstElevenCharacters) {
  WriteStatFile("[version 1] and more\n2024.3.31.10:5\n");
  EXPECT_TRUE(LoadsAsItIs(Hours({{10, "5.0"}})));

  for (const std::string wrong :
       {"\n2024.3.31.10:5\n", "2024.3.31.10:5\n[version 1]\n", "[version 2]\n2024.3.31.10:5\n",
        "[version 1)\n2024.3.31.10:5\n", "[version 1\n2024.3.31.10:5\n"}) {
    WriteStatFile(wrong);
    HourlyDrainTable table;
    EXPECT_EQ(LoadStatFile(kStatName, kThirtyDays, table, true), S_OK);
    EXPECT_TRUE(HourValues(table).empty()) << wrong;
    EXPECT_EQ(ReadStatFile(), wrong);
  }
  ASSERT_EQ(messages_.messages.size(), 5u);
  EXPECT_EQ(messages_.messages[0].text, u"Version of Stat file is wrong");
  EXPECT_EQ(messages_.messages[0].caption, u"CZelvarPlugin");
  EXPECT_EQ(messages_.messages[0].type, static_cast<UINT>(MB_OK));
}

TEST_F(StatFileTest, WithoutRecordsOnlyTheVersionIsJudgedAndTheTableRecomputed) {
  WriteStatFile("[version 1]\n2024.3.31.10:5\n");
  HourlyDrainTable table;
  table.AddSample(3, 6, 0, false);
  EXPECT_EQ(LoadStatFile(kStatName, kThirtyDays, table, false), S_OK);
  EXPECT_EQ(HourValues(table), Hours({{3, "6.0"}}));

  WriteStatFile("2024.3.31.10:5\n");
  EXPECT_EQ(LoadStatFile(kStatName, kThirtyDays, table, false), S_OK);
  EXPECT_EQ(messages_.messages.size(), 1u);
}

TEST_F(StatFileTest, HistoryWindowCountsWholeDaysBeforeNow) {
  const std::string edges =
      "2024.3.31.10:4\n"
      "2024.3.1.14:5\n"  // 29 days 23 hours old
      "2024.3.1.13:7\n"  // exactly 30 days old
      "1990.1.1.20:9\n";
  EXPECT_TRUE(Loads(edges, Hours({{10, "4.0"}, {14, "5.0"}}), 30));
  EXPECT_TRUE(Loads(edges, {}, 0));
  // A negative setting taken as unsigned admits the whole past.
  EXPECT_TRUE(Loads(edges, Hours({{10, "4.0"}, {13, "7.0"}, {14, "5.0"}, {20, "9.0"}}),
                    static_cast<DWORD>(-1)));
  // Dated after now (the clock was set back): the age wraps to tens of thousands of days.
  EXPECT_TRUE(Loads("2024.6.1.10:5\n", {}, 24000));
}

TEST_F(StatFileTest, DropsFollowTheHoursFromTheHead) {
  const struct {
    const char* record;
    std::vector<std::string> averages;
  } cases[] = {
      {"2024.3.30.22:1,2,3,4\n", Hours({{22, "1.0"}, {23, "2.0"}, {0, "3.0"}, {1, "4.0"}})},
      {"2024.3.30.10:3,,4\n", Hours({{10, "3.0"}, {12, "4.0"}})},
      {"2024.3.30.10:3,-1,4\n", Hours({{10, "3.0"}, {12, "4.0"}})},
      {"2024.3.30.10:3,100,4\n", Hours({{10, "3.0"}})},
      {"2024.3.30.10:3,99,4\n", Hours({{10, "3.0"}, {11, "99.0"}, {12, "4.0"}})},
      {"2024.3.30.10:3,4,\n", Hours({{10, "3.0"}, {11, "4.0"}})},
      {"2024.3.30.10: +3,\t4x,5\n", Hours({{10, "3.0"}, {11, "4.0"}, {12, "5.0"}})},
      // The drops begin after the first ":"; a later one is part of an item.
      {"2024.3.30.10:5:6,7\n", Hours({{10, "5.0"}, {11, "7.0"}})},
      {"2024.3.30.10 x:5\n", Hours({{10, "5.0"}})},
      // A number beyond 32 bits is an unreadable item, not a wrapped drop (2^32 + 3) nor an end.
      {"2024.3.30.10:3,4294967299,4\n", Hours({{10, "3.0"}, {12, "4.0"}})},
      {"2024.3.30.10:3,2147483648,4\n", Hours({{10, "3.0"}, {12, "4.0"}})},
      {"2024.3.30.10:3,-2147483649,4\n", Hours({{10, "3.0"}, {12, "4.0"}})},
      {"2024.3.30.10:3,2147483647,4\n", Hours({{10, "3.0"}})},
  };
  for (const auto& c : cases) EXPECT_TRUE(Loads(c.record, c.averages)) << c.record;
  // A line ends at a NUL character, as the runtime's strings do.
  EXPECT_TRUE(Loads(std::string("2024.3.30.10:3\0,4\n", 18), Hours({{10, "3.0"}})));
}

TEST_F(StatFileTest, RecordsWithoutAValidHeadAreSkipped) {
  const std::string records =
      "2024.3.30.10.5,6\n"  // four numbers, no ":"
      "2024.3.30:5\n"
      "2024.3.30.+-1:5\n"
      "2024 .3.30.10:5\n"
      "2024.13.1.10:5\n"
      "2023.2.29.10:5\n"
      "2024.3.30.24:5\n"
      "-1.3.30.10:5\n"
      "2024.3.30.65546:5\n"  // would wrap to hour 10 as a 16-bit field
      "2024.65539.30.10:5\n"
      "2024.3.30.4294967306:5\n"  // would wrap to hour 10 as a 32-bit number
      "4294969320.3.30.10:5\n"    // would wrap to 2024
      "2024.3.30.9:2\n";
  EXPECT_TRUE(Loads(records, Hours({{9, "2.0"}})));
}

TEST_F(StatFileTest, CarriageReturnsBeforeLineFeedsReadTheSame) {
  WriteStatFile("[version 1]\r\n2024.3.30.10:5,6\r\n");
  EXPECT_TRUE(LoadsAsItIs(Hours({{10, "5.0"}, {11, "6.0"}})));
}

TEST_F(StatFileTest, OverlongLineIsReadInPiecesOfAtMost1999Characters) {
  // The first piece holds the head and 994 drops of 2 for hours 0, 1, ... in turn, 42 of them at
  // hour 5; the rest of the line does not scan as a record; the next record adds 98 at hour 5.
  std::string longLine = "2024.3.30.0:";
  for (int i = 0; i < 1500; ++i) longLine += "2,";
  longLine += "2\n";
  std::vector<std::string> expected(24, "2.0");
  expected[5] = "4.2";
  EXPECT_TRUE(Loads(longLine + "2024.3.30.5:98\n", expected));

  // The 1999th character is the first digit of "12": the first piece ends with a drop of 1, the
  // 663rd item, at hour 14 (662 = 27 * 24 + 14); the other 662 drops of 12 come before it.
  std::string cutInsideADrop = "2024.3.30.0:";
  for (int i = 0; i < 700; ++i) cutInsideADrop += "12,";
  cutInsideADrop += "12\n";
  std::vector<std::string> twelves(24, "12.0");
  twelves[14] = "11.6";  // (27 * 12 + 1) / 28
  EXPECT_TRUE(Loads(cutInsideADrop, twelves));
}

TEST_F(StatFileTest, AFileOfTheLargestSizeLoadsAndOneByteMoreDoesNot) {
  const std::string records = "[version 1]\n2024.3.31.10:5\n";
  for (const size_t size : {kLargestStatFile, kLargestStatFile + 1}) {
    WriteStatFile(records + std::string(size - records.size() - 1, 'x') + "\n");
    HourlyDrainTable table;
    errno = 0;
    const bool fits = size == kLargestStatFile;
    EXPECT_EQ(LoadStatFile(kStatName, kThirtyDays, table, true), fits ? S_OK : E_FAIL) << size;
    EXPECT_EQ(HourValues(table).empty(), !fits) << size;
    EXPECT_EQ(errno, fits ? 0 : EFBIG) << size;
  }
}

// Opening for reading fails with a reason other than a missing file (here: no read permission).
// Root reads everything, so then the load runs in a child process as the unprivileged "nobody".
TEST_F(StatFileTest, UnreadableFileIsNeitherTruncatedNorLoaded) {
  const std::string content = "[version 1]\n2024.3.31.10:5\n";
  WriteStatFile(content);
  const bool asRoot = geteuid() == 0;
  constexpr uid_t kNobody = 65534;
  if (asRoot) {
    for (std::filesystem::path folder = HostPath(); folder != root_.path().parent_path();
         folder = folder.parent_path()) {
      if (std::filesystem::is_directory(folder)) chmod(folder.c_str(), 0755);
    }
    ASSERT_EQ(chown(HostPath().c_str(), kNobody, kNobody), 0);
  }
  ASSERT_EQ(chmod(HostPath().c_str(), 0200), 0);

  EXPECT_EXIT(
      {
        if (asRoot && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) std::_Exit(2);
        HourlyDrainTable table;
        const HRESULT result = LoadStatFile(kStatName, kThirtyDays, table, true);
        std::_Exit(result == E_FAIL && HourValues(table).empty() ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
  chmod(HostPath().c_str(), 0600);
  EXPECT_EQ(ReadStatFile(), content);
}

TEST(ScanRecordNumber, ReadsAsTheRuntimeScanWithinThirtyTwoBits) {
  const struct {
    std::string_view text;
    std::optional<int32_t> number;
    std::string_view rest;  // what follows the number when one is read
  } cases[] = {
      {"7,8", 7, ",8"},
      {" \t\r\n\v\f+12:", 12, ":"},
      {"-0", 0, ""},
      {"007x", 7, "x"},
      {"2147483647", 2147483647, ""},
      {"-2147483648.", INT32_MIN, "."},
      {"2147483648", std::nullopt, ""},
      {"-2147483649", std::nullopt, ""},
      {"4294967299", std::nullopt, ""},
      {"99999999999999999999999", std::nullopt, ""},
      {"", std::nullopt, ""},
      {"-", std::nullopt, ""},
      {"+-5", std::nullopt, ""},
      {"- 5", std::nullopt, ""},
      {"x5", std::nullopt, ""},
  };
  for (const auto& c : cases) {
    std::string_view text = c.text;
    EXPECT_EQ(ScanRecordNumber(text), c.number) << c.text;
    if (c.number) {
      EXPECT_EQ(text, c.rest) << c.text;
    }
  }
}

TEST(SecondsBetween, WholeSecondsOfTheCalendar) {
  EXPECT_EQ(SecondsBetween(Utc(2024, 2, 28, 0), Utc(2024, 3, 1, 0)), 2 * 86400);
  EXPECT_EQ(SecondsBetween(Utc(2023, 12, 31, 23, 59, 59), Utc(2024, 1, 1, 0)), 1);
  EXPECT_EQ(SecondsBetween(Utc(2024, 3, 31, 13), Utc(2024, 3, 31, 12)), -3600);
  // The low 32 bits of the difference: 2^32 seconds wrap to 0.
  EXPECT_EQ(SecondsBetween(Utc(1970, 1, 1, 0), Utc(2106, 2, 7, 6, 28, 16)), 0);
  EXPECT_EQ(SecondsBetween(Utc(2024, 2, 30, 0), Utc(2024, 3, 1, 0)), 0);
}

// A start files the drops a killed run kept beside the stat file only when they read whole and as
// kept (a record line of drops below 100, its date real), and once: not when the stat file grew
// past the size it had when they were kept. Other text is left as it is.
TEST_F(StatFileTest, AStartFilesKeptDropsOnceAndOnlyWhenTheyReadWhole) {
  const std::string version = "[version 1]\n";  // 12 bytes
  const struct {
    const char* kept;
    const char* filed;  // the stat file's record after the start, "" for none
    bool removed;
  } rows[] = {
      {"after 12\n2024.3.9.15:3,2,4\n", "2024.3.9.15:3,2,4\n", true},
      {"after 12\r\n2024.3.9.15:3,0,99\r\n", "2024.3.9.15:3,0,99\n", true},
      {"after 100\n2024.3.9.15:3\n", "2024.3.9.15:3\n", true},  // a stat file made anew since
      {"after 11\n2024.3.9.15:3\n", "", true},  // filed by a flush cut before the removal
      {"after 12\n2024.3.9.15:3,100,4\n", "", false},
      {"after 12\n2024.3.9.15:3,-1\n", "", false},
      {"after 12\n2024.3.9.15:3,,4\n", "", false},
      {"after 12\n2024.3.9.15:\n", "", false},
      {"after 12\n2024.13.9.15:3\n", "", false},
      {"after 12\n2024.3.9.24:3\n", "", false},
      {"after 12\n2024.3.9:3\n", "", false},
      {"after 12\n2024.3.9.15:3", "", false},  // cut short
      {"after 12\n2024.3.9.15:3\nmore\n", "", false},
      {"after x\n2024.3.9.15:3\n", "", false},
      {"after -1\n2024.3.9.15:3\n", "", false},
      {"before 12\n2024.3.9.15:3\n", "", false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.kept);
    WriteStatFile(version);
    root_.Write(kStatPath + ".pending", row.kept);
    FilePendingRecord(kStatName);
    EXPECT_EQ(ReadStatFile(), version + row.filed);
    EXPECT_EQ(root_.Exists(kStatPath + ".pending"), !row.removed);
  }
}

}  // namespace
