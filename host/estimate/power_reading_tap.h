// The power source the plug-in reads through while a status bar runs: it passes each read on to the
// source below and keeps the reading, so that everything one bar line shows (the class, the
// percentage, the tooltip's figures and the plug-in's own report) comes from the reading its paint
// took, and the power is read once per line.
#pragma once

#include <functional>
#include <optional>

#include "platform/power/power_source.h"

class PowerReadingTap final : public PowerSource {
 public:
  // Told of every reading taken from the source, with the clock's "now"; nullopt for a failed one.
  using Observer =
      std::function<void(ULONGLONG utc, const std::optional<SYSTEM_POWER_STATUS_EX2>& status)>;

  // Installed in place of the current power source for the tap's lifetime.
  explicit PowerReadingTap(Observer observer);
  ~PowerReadingTap() override;
  PowerReadingTap(const PowerReadingTap&) = delete;
  PowerReadingTap& operator=(const PowerReadingTap&) = delete;

  bool Read(SYSTEM_POWER_STATUS_EX2& status, bool update) override;
  std::optional<BatteryPack> LastPack() const override { return below_.LastPack(); }
  std::optional<ChargeEnd> LastChargeEnd() const override { return below_.LastChargeEnd(); }

  // The last reading; nullopt when it failed or none was taken yet.
  const std::optional<SYSTEM_POWER_STATUS_EX2>& last() const { return last_; }

  // While a Hold lives, reads answer the last reading without asking the source.
  class Hold {
   public:
    explicit Hold(PowerReadingTap& tap) : tap_(tap) { tap_.held_ = true; }
    ~Hold() { tap_.held_ = false; }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

   private:
    PowerReadingTap& tap_;
  };

 private:
  PowerSource& below_;
  Observer observer_;
  ScopedPowerSource installed_;
  std::optional<SYSTEM_POWER_STATUS_EX2> last_;
  bool read_ = false;
  bool held_ = false;
};
