// A power source that answers exactly the record a test gives it, or fails on demand.
#pragma once

#include "platform/power/power_source.h"

class FixedPowerSource : public PowerSource {
 public:
  FixedPowerSource();

  bool Read(SYSTEM_POWER_STATUS_EX2& status, bool update) override;

  // On battery at the given percent, drawing 151 mA.
  void OnBattery(BYTE percent);
  // On external power at the given percent.
  void OnMains(BYTE percent);

  SYSTEM_POWER_STATUS_EX2 record;
  bool failing = false;
  int reads = 0;
};
