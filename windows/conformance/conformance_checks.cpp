#include "windows/conformance/conformance_checks.h"

void RunConformanceChecks(HostDriver& driver, CheckReport& report) {
  CheckRegistration(driver, report);
  CheckActivationAndLifetime(driver, report);
  CheckSettings(driver, report);
  CheckPersistence(driver, report);
  CheckStatFile(driver, report);
  CheckEvents(driver, report);
  CheckPainting(driver, report);
  CheckTimeZone(driver, report);

  report.Group("unloading");
  report.EqualResult(driver.Exports().DllCanUnloadNow(), S_OK,
                     "DllCanUnloadNow after every object was released");
  report.Check(driver.TakeMessages().empty(), "no message box was left unchecked");

  CheckUnregistration(driver, report);
}
