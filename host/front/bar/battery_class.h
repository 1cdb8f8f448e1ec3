// The battery's state in one word, for a status bar's styling (waybar's class): "charging",
// "discharging", "low", "critical", "full" (on mains and not charging) or "unknown" (no battery,
// or the power status cannot be read). "low" follows the platform's battery flag (below 33 %);
// "critical" is the charge on battery at or below the critical level, where the critical warning
// comes (CriticalLevel of the warnings' thresholds).
#pragma once

#include <optional>

#include "platform/api.h"

// nullopt: the power status could not be read.
const char* BatteryClass(const std::optional<SYSTEM_POWER_STATUS_EX2>& status, int criticalLevel);
