// Save and Load through the system's memory stream: the record's exact bytes and size, the round
// trip, a stream that only reads and writes in order, and streams that end early or carry overlong
// or zero-cut names.
#include "com_toolkit/memory_stream.h"
#include "windows/conformance/conformance_checks.h"
#include "windows/conformance/plugin_under_test.h"
#include "windows/conformance/test_host.h"

namespace {

constexpr PluginHandle kHandle = 0x1234;

ULONGLONG SizeMax(PluginUnderTest& plugin) {
  ULARGE_INTEGER size{};
  size.QuadPart = ~0ULL;
  if (plugin.created()) plugin.persist()->GetSizeMax(&size);
  return size.QuadPart;
}

void CheckRecordSize(HostDriver& driver, CheckReport& report, const WString& name,
                     size_t expectedSize) {
  TestHostEnvironment environment;
  TestSite site(&environment);
  PluginUnderTest plugin(driver, report, &site);
  plugin.Initialize(kHandle, {{TEXT("StatFilename"), name}});
  const std::vector<BYTE> bytes = plugin.Save();
  const std::string what = "a name of " + std::to_string(name.size()) + " characters";
  report.Equal(bytes.size(), expectedSize, what + ": Save writes 32 + 2n bytes");
  report.Equal(SizeMax(plugin), static_cast<ULONGLONG>(expectedSize), what + ": GetSizeMax");
  const std::optional<SavedConfiguration> saved = DecodeConfiguration(bytes);
  report.Check(saved && saved->StatFilename == name, what + ": the name is stored last");
}

// Loads the bytes into a fresh plug-in and answers what it saves afterwards; checks the restart.
std::vector<BYTE> SavedAfterLoad(HostDriver& driver, CheckReport& report,
                                 const std::vector<BYTE>& bytes, PluginHandle expectedHandle,
                                 const std::string& what) {
  TestHostEnvironment environment;
  TestSite site(&environment);
  PluginUnderTest plugin(driver, report, &site);
  report.EqualResult(plugin.Load(bytes), S_OK, what + ": Load");
  report.Check(environment.timers.size() == 1 && environment.timers[0].argument == 1000 &&
                   environment.timers[0].handle == expectedHandle,
               what + ": Load asks for one timer of 1000 ms with the stored handle");
  return plugin.Save();
}

}  // namespace

void CheckPersistence(HostDriver& driver, CheckReport& report) {
  report.Group("persistence");
  CheckRecordSize(driver, report, TEXT(""), 32);
  CheckRecordSize(driver, report, TEXT("0123456789"), 52);

  const SavedConfiguration original{kHandle, 1000, 5, 10,
                                    3,       40,   1, driver.FileNameInRunFolder("roundtrip.dat")};
  std::vector<BYTE> saved;
  {
    TestHostEnvironment environment;
    TestSite site(&environment);
    PluginUnderTest plugin(driver, report, &site);
    plugin.Initialize(kHandle, {{TEXT("RefreshTimeout"), TEXT("1000")},
                                {TEXT("StatFilename"), original.StatFilename},
                                {TEXT("MaxHistoryDays"), TEXT("5")},
                                {TEXT("MinPercent"), TEXT("10")},
                                {TEXT("FlushTimeoutHours"), TEXT("3")},
                                {TEXT("height"), TEXT("40")},
                                {TEXT("ExpertMode"), TEXT("1")}});
    saved = plugin.Save();
    report.Equal(saved, EncodeConfiguration(original),
                 "Save writes the handle, the settings and the name");
  }
  report.Equal(SavedAfterLoad(driver, report, saved, kHandle, "round trip"), saved,
               "a fresh object saves exactly what it loaded");

  // Save and Load need no more of a stream than reading and writing in order: on Windows every
  // other IStream call of this stream fails.
  {
    TestHostEnvironment environment;
    TestSite site(&environment);
    PluginUnderTest plugin(driver, report, &site);
    if (plugin.created()) {
      const ComPtr<MemoryStream> source = MemoryStream::Create(saved);
      report.EqualResult(plugin.persist()->Load(source.Get()), S_OK,
                         "Load from a stream that only reads in order");
      report.Equal(source->position(), saved.size(), "Load reads the whole record");
      const ComPtr<MemoryStream> target = MemoryStream::Create();
      report.EqualResult(plugin.persist()->Save(target.Get(), TRUE), S_OK,
                         "Save into a stream that only writes in order");
      report.Equal(target->bytes(), saved,
                   "the record is the same through a stream that only reads and writes");
    }
  }

  // A second Load restarts the plug-in once more.
  {
    TestHostEnvironment environment;
    TestSite site(&environment);
    PluginUnderTest plugin(driver, report, &site);
    plugin.Load(saved);
    plugin.Load(saved);
    report.Equal(environment.timers.size(), size_t{2}, "each Load asks for its own first timer");
  }

  const std::vector<BYTE> truncated(saved.begin(), saved.begin() + 18);
  const std::vector<BYTE> afterTruncated =
      SavedAfterLoad(driver, report, truncated, kHandle, "a stream cut inside a word");
  const std::optional<SavedConfiguration> partial = DecodeConfiguration(afterTruncated);
  report.Check(partial && partial->handle == kHandle && partial->RefreshTimeout == 1000 &&
                   partial->MaxHistoryDays == 5 && partial->MinPercent == 10,
               "the words before the cut are restored",
               "got " + (partial ? Show(*partial) : CheckReport::Show(afterTruncated)));

  SavedConfiguration shortName = original;
  std::vector<BYTE> cutName = EncodeConfiguration(shortName);
  cutName.resize(cutName.size() - 4);
  SavedAfterLoad(driver, report, cutName, kHandle, "a stream that ends inside the name");

  SavedConfiguration longName = original;
  longName.StatFilename = driver.FileNameInRunFolder("long-");
  longName.StatFilename.resize(300, TEXT('x'));
  std::optional<SavedConfiguration> restored = DecodeConfiguration(SavedAfterLoad(
      driver, report, EncodeConfiguration(longName), kHandle, "a 300-character name"));
  report.Check(restored && restored->StatFilename == longName.StatFilename.substr(0, 259),
               "a stored name is cut to 259 characters",
               "got " + (restored ? CheckReport::Show(restored->StatFilename) : "no record"));

  SavedConfiguration zeroName = original;
  const WString kept = driver.FileNameInRunFolder("zero.dat");
  zeroName.StatFilename = kept + WString(1, 0) + TEXT("tail");
  restored = DecodeConfiguration(
      SavedAfterLoad(driver, report, EncodeConfiguration(zeroName), kHandle, "a name with a zero"));
  report.Check(restored && restored->StatFilename == kept, "a stored name is cut at its first zero",
               "got " + (restored ? CheckReport::Show(restored->StatFilename) : "no record"));
}
