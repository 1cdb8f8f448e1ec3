// The stat file through the runtime library's file calls: created with its version line on the
// first Load, a wrong version shown in a message box and left alone.
#include <cstdio>

#include "windows/conformance/conformance_checks.h"
#include "windows/conformance/message_expectations.h"
#include "windows/conformance/plugin_under_test.h"
#include "windows/conformance/test_host.h"

namespace {

constexpr PluginHandle kHandle = 5;

bool FileExists(const WString& name) {
  FILE* file = _wfopen(name.c_str(), TEXT("rb"));
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

std::string ReadBytes(const WString& name) {
  std::string bytes;
  FILE* file = _wfopen(name.c_str(), TEXT("rb"));
  if (file == nullptr) return bytes;
  char piece[512];
  size_t read;
  while ((read = std::fread(piece, 1, sizeof piece, file)) > 0) bytes.append(piece, read);
  std::fclose(file);
  return bytes;
}

void WriteBytes(const WString& name, const std::string& bytes) {
  FILE* file = _wfopen(name.c_str(), TEXT("wb"));
  if (file == nullptr) return;
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

void LoadWithStatFile(HostDriver& driver, CheckReport& report, const WString& statFile) {
  TestHostEnvironment environment;
  TestSite site(environment);
  PluginUnderTest plugin(driver, report, &site);
  plugin.Initialize(kHandle, {{TEXT("StatFilename"), statFile}});
  plugin.Load(plugin.Save());
}

}  // namespace

void CheckStatFile(HostDriver& driver, CheckReport& report) {
  report.Group("stat file");
  const WString fresh = driver.FileNameInRunFolder("fresh.dat");
  TestHostEnvironment environment;
  TestSite site(environment);
  {
    PluginUnderTest plugin(driver, report, &site);
    plugin.Initialize(kHandle, {{TEXT("StatFilename"), fresh}});
    report.Check(!FileExists(fresh), "Initialize does not touch the stat file");
    plugin.Load(plugin.Save());
  }
  report.Equal(ReadBytes(fresh), "[version 1]" + driver.TextLineEnd(), "Load creates a missing stat file with its version line");
  report.Check(driver.TakeMessages().empty(), "a new stat file shows no message");

  LoadWithStatFile(driver, report, fresh);
  report.Equal(ReadBytes(fresh), "[version 1]" + driver.TextLineEnd(), "loading an existing stat file leaves it as it was");
  report.Check(driver.TakeMessages().empty(), "a stat file of the right version shows no message");

  const WString wrong = driver.FileNameInRunFolder("wrong.dat");
  const std::string wrongContent = "[version 2]\n2024.3.9.15:3,2,4\n";
  WriteBytes(wrong, wrongContent);
  LoadWithStatFile(driver, report, wrong);
  ExpectOneMessage(report, driver.TakeMessages(), TEXT("Version of Stat file is wrong"), MB_OK, "a wrong version line");
  report.Equal(ReadBytes(wrong), wrongContent, "a stat file of a wrong version is left as it was");
}
