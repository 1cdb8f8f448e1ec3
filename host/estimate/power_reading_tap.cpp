#include "host/estimate/power_reading_tap.h"

#include "platform/time/clock.h"

PowerReadingTap::PowerReadingTap(Observer observer)
    : below_(CurrentPowerSource()), observer_(std::move(observer)), installed_(*this) {}

PowerReadingTap::~PowerReadingTap() = default;

bool PowerReadingTap::Read(SYSTEM_POWER_STATUS_EX2& status, bool update) {
  if (!held_ || !read_) {
    SYSTEM_POWER_STATUS_EX2 reading{};
    last_ = below_.Read(reading, update) ? std::optional(reading) : std::nullopt;
    read_ = true;
    observer_(CurrentClock().UtcNow(), last_);
  }
  if (last_) status = *last_;
  return last_.has_value();
}
