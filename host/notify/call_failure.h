// What a failed call to the desktop's notification service says on standard error. The text comes
// from the bus (the service's own error message, whatever program holds the name), so it is cut to
// one short line of printable characters before it is shown.
#pragma once

#include <string>
#include <string_view>

// The first line of the text, its control characters (and malformed UTF-8) replaced, cut to at
// most kShortLineCharacters characters, "..." marking a cut.
std::string OneShortLine(std::string_view text);

// Why a call failed: from the bus's error (its name and message, either may be empty), else from
// the system's error number (positive).
std::string CallFailure(std::string_view errorName, std::string_view errorMessage, int errorNumber);

inline constexpr size_t kShortLineCharacters = 120;
