// A battery for demos and tests that follows the installed clock (CurrentClock()). Off mains its
// charge drains by a profile of percentage points per local hour of day; on mains it charges at a
// fixed rate up to 100 %. It goes on and off mains when told, or by itself as a user's charging
// habit has it. It can be made to fail, and the status call then fails.
//
// The charge is brought up to the clock's "now" whenever it is read or a setting changes, so time
// runs from the clock's instant at construction: install the clock first. A clock set back restarts
// from its new instant without changing the charge.
#pragma once

#include <array>
#include <optional>

#include "platform/power/power_source.h"

// When the user puts the battery on the charger: every night, from the start of local hour
// plugInHour to the start of local hour unplugHour, and during the day when the charge has fallen
// to plugBelowPercent, until it is full again. Equal hours mean no night on the charger.
struct ChargingHabit {
  int plugInHour = 23;
  int unplugHour = 7;
  double plugBelowPercent = 15.0;

  // Whether a local hour of day (0..23) lies in the night on the charger.
  bool InNight(int hourOfDay) const;
};

class SimulatedBattery : public PowerSource {
 public:
  // Percentage points lost per hour, by local hour of day (0..23).
  using DrainProfile = std::array<double, 24>;

  static constexpr double kCapacityMilliampHours = 1500.0;
  static constexpr double kDefaultChargeRate = 40.0;  // percentage points per hour on mains

  // A phone's day: little at night, more in the day, most in the evening.
  static DrainProfile DefaultDrainProfile();

  explicit SimulatedBattery(double percent = 80.0,
                            const DrainProfile& profile = DefaultDrainProfile());

  // Fills the record from the charge at the clock's "now"; false while failing. Always current,
  // whatever the update flag.
  bool Read(SYSTEM_POWER_STATUS_EX2& status, bool update) override;

  // Held within 0..100.
  void SetPercent(double percent);
  void SetOnMains(bool onMains);
  void SetChargeRate(double pointsPerHour);
  // Negative entries count as 0.
  void SetDrainProfile(const DrainProfile& profile);
  // From now on the battery goes on and off mains by itself as the habit says, starting on mains
  // when "now" lies in its night. plugBelowPercent is held within 0..99, so that a full battery
  // is never due for the charger. SetOnMains still applies until the habit's next change.
  void FollowHabit(const ChargingHabit& habit);
  void SetFailing(bool failing);

  double Percent();
  // Negative while discharging.
  LONG CurrentMilliamps();
  // From 3600 mV empty to 4200 mV full.
  DWORD VoltageMillivolts();
  bool OnMains();

 private:
  // Brings the charge from the last update up to the clock's "now".
  void CatchUp();
  // Runs the charge from `from` towards `to`, both within one local hour; answers where it
  // stopped: `to`, or earlier where the habit put the battery on or off mains.
  ULONGLONG RunWithinHour(ULONGLONG from, ULONGLONG to, int hourOfDay);
  double DrainRateAt(ULONGLONG utc);
  bool Charging() const { return onMains_ && percent_ < 100.0; }

  double percent_;
  DrainProfile profile_;
  double chargeRate_ = kDefaultChargeRate;
  bool onMains_ = false;
  bool failing_ = false;
  std::optional<ChargingHabit> habit_;
  // On mains by the habit's charge threshold rather than its night: off again once full.
  bool toppingUp_ = false;
  ULONGLONG updatedAt_;
};
