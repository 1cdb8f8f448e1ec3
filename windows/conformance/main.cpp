// The Windows conformance program: plays the home screen and an installer against zelvarplug.dll
// through the real runtime. Exit code 0 only when every check passed.
//
//   zelvar-conformance.exe <path of zelvarplug.dll>
#include <cstdio>

#include "windows/conformance/conformance_checks.h"
#include "windows/conformance/windows_host_driver.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::printf("usage: zelvar-conformance <path of zelvarplug.dll>\n");
    return 2;
  }
  WCHAR modulePath[MAX_PATH + 1];
  const DWORD length = GetFullPathNameW(argv[1], MAX_PATH + 1, modulePath, nullptr);
  if (length == 0 || length > MAX_PATH ||
      GetFileAttributesW(modulePath) == INVALID_FILE_ATTRIBUTES) {
    std::printf("no module file at %ls\n", argv[1]);
    return 2;
  }
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
    std::printf("COM does not start\n");
    return 2;
  }
  CheckReport report;
  {
    WindowsHostDriver driver(modulePath);
    RunConformanceChecks(driver, report);
  }
  CoUninitialize();
  for (const std::string& failure : report.failures()) std::printf("FAILED %s\n", failure.c_str());
  std::printf("conformance: %d passed, %d failed\n", report.passed(), report.failed());
  return report.failed() == 0 ? 0 : 1;
}
