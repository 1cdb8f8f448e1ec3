// The text of one sysfs attribute.
#pragma once

#ifndef ZELVAR_POWER_INTERNALS
#error \
    "internal to the platform's power family: only platform_power and its tests (platform_power_internals) include it"
#endif

#include <cstdint>
#include <optional>
#include <string_view>

// Longer than any value the reader takes (a 64-bit number, a status word): a file that holds more
// is no reading of a supply, and counts as absent.
inline constexpr size_t kLongestAttribute = 63;

// The file's text without surrounding whitespace (the kernel ends each value with a line feed).
// Empty text is absent: drivers leave out what they cannot measure, and some answer a read with
// nothing instead.
std::optional<std::string_view> TrimAttribute(std::string_view text);
// A base-10 integer with an optional minus sign and nothing else; absent for any other text and
// for a value outside 64 bits.
std::optional<int64_t> ParseStrictInteger(std::string_view text);
