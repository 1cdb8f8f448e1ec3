// An append to the stat file cut short at every byte: in a child process whose file-size limit
// lets only so many bytes reach the file, so the write fails part-way as on a full disk. Whatever
// the cut, the bytes already in the file stay as they were, every complete record still loads, no
// item ever loads as anything but what was appended (a cut "12" never as 1), and the next append
// (the next run) starts a clean line that loads as well.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "stats/stat_file.h"
#include "tests/fakes/time_builders.h"
#include "tests/stats/stat_file_fixture.h"

namespace {

const WString kStatName = u"\\stat.dat";
// Local time is UTC + 1; the series below start at local 13:00 and 15:00.
const SYSTEMTIME kCutSeriesStart = Utc(2024, 3, 31, 13);
// A drop of two digits, which a cut can shorten to a plausible one.
const std::vector<BYTE> kCutDrops = {3, 12, 4};
const SYSTEMTIME kNextSeriesStart = Utc(2024, 3, 31, 15);

using Buckets = std::vector<std::pair<DWORD, INT>>;

Buckets BucketsOf(const HourlyDrainTable& table) {
  Buckets buckets;
  for (UINT hour = 0; hour < HourlyDrainTable::kHoursPerDay; ++hour) {
    buckets.emplace_back(table.bucket(hour).dropSum, table.bucket(hour).sampleCount);
  }
  return buckets;
}

class StatFileCrashTest : public StatFileFixture {
 protected:
  StatFileCrashTest() : StatFileFixture(Utc(2024, 3, 31, 16)) {}

  void Write(const std::string& content) const { root_.Write("stat.dat", content); }
  std::string Read() const { return root_.Read("stat.dat"); }

  Buckets Loaded() const {
    HourlyDrainTable table;
    EXPECT_EQ(LoadStatFile(kStatName, kThirtyDays, table, true), S_OK);
    return BucketsOf(table);
  }

  // The append of the cut series in a child process that may write the file up to `limit` bytes.
  static void AppendWithinFileSize(size_t limit) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG instead
      const rlimit fileSize{limit, limit};
      if (setrlimit(RLIMIT_FSIZE, &fileSize) != 0) _exit(2);
      AppendStatRecord(kStatName, kCutSeriesStart, kCutDrops);
      _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
};

// The buckets of the earlier records plus the first `drops` drops of the cut series (13:00 on),
// plus the next series' drop of 6 at 15:00 when it is there.
Buckets Expected(const Buckets& earlier, size_t drops, bool next) {
  Buckets expected = earlier;
  for (size_t i = 0; i < drops; ++i) {
    expected[13 + i].first += kCutDrops[i];
    expected[13 + i].second += 1;
  }
  if (next) {
    expected[15].first += 6;
    expected[15].second += 1;
  }
  return expected;
}

TEST_F(StatFileCrashTest, AppendCutAtEveryByteLosesNothingWritten) {
  // A file whose last record is complete, one whose last record was cut before, and files that
  // hold nothing or part of the version line (a creation that was cut).
  Buckets earlierRecord(24);
  earlierRecord[8] = {5, 1};
  earlierRecord[9] = {1, 1};
  // The last item of a cut line may itself be cut: it does not count.
  Buckets earlierCutRecord(24);
  earlierCutRecord[8] = {5, 1};
  const struct {
    std::string before;
    Buckets earlier;
  } files[] = {
      {"[version 1]\n2024.3.31.8:5,1\n", earlierRecord},
      {"[version 1]\n2024.3.31.8:5,1", earlierCutRecord},
      {"", Buckets(24)},
      {"[vers", Buckets(24)},
  };

  for (const auto& file : files) {
    Write(file.before);
    AppendStatRecord(kStatName, kCutSeriesStart, kCutDrops);
    const std::string whole = Read();
    ASSERT_EQ(whole.substr(0, file.before.size()), file.before);
    ASSERT_TRUE(whole.ends_with("\n2024.3.31.13:3,12,4\n")) << whole;

    for (size_t cut = file.before.size(); cut <= whole.size(); ++cut) {
      SCOPED_TRACE("before: \"" + file.before + "\", cut after " + std::to_string(cut) + " bytes");
      Write(file.before);
      AppendWithinFileSize(cut);
      const std::string written = Read();
      ASSERT_EQ(written, whole.substr(0, cut));

      // Every drop whose separator after it reached the file loads; the others never do.
      size_t drops = 0;
      for (const size_t separator : {whole.size() - 6, whole.size() - 3, whole.size() - 1})
        drops += cut > separator;
      const bool versionWhole =
          cut >= file.before.size() + 12 || file.before.starts_with("[version 1]\n");
      if (versionWhole) {
        EXPECT_EQ(Loaded(), Expected(file.earlier, drops, false));
      }

      AppendStatRecord(kStatName, kNextSeriesStart, {6});
      EXPECT_EQ(Read().substr(0, cut), written);
      messages_.messages.clear();
      EXPECT_EQ(Loaded(), Expected(file.earlier, drops, true));
      EXPECT_TRUE(messages_.messages.empty());
    }
  }
}

}  // namespace
