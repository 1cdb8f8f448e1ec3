// The conformance checks: the module driven as the home screen and an installer drive it, through
// whatever system the driver stands for. Each group reports into the same CheckReport.
#pragma once

#include "windows/conformance/check_report.h"
#include "windows/conformance/host_driver.h"

// Every group in order: registration, activation and lifetime, settings, persistence, stat file,
// events and painting, time zone, unloading, unregistration.
void RunConformanceChecks(HostDriver& driver, CheckReport& report);

void CheckRegistration(HostDriver& driver, CheckReport& report);
void CheckActivationAndLifetime(HostDriver& driver, CheckReport& report);
void CheckSettings(HostDriver& driver, CheckReport& report);
void CheckPersistence(HostDriver& driver, CheckReport& report);
void CheckStatFile(HostDriver& driver, CheckReport& report);
void CheckEvents(HostDriver& driver, CheckReport& report);
void CheckPainting(HostDriver& driver, CheckReport& report);
void CheckTimeZone(HostDriver& driver, CheckReport& report);
void CheckUnregistration(HostDriver& driver, CheckReport& report);
