// Reading one attribute file of a sysfs folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// The file's text without surrounding whitespace (the kernel ends each value with a line feed).
// A missing, unreadable or empty file is absent: drivers leave out what they cannot measure, and
// some answer a read with nothing or an error instead.
std::optional<std::string> ReadSysfsAttribute(const std::filesystem::path& folder,
                                              std::string_view name);
// A base-10 integer with an optional minus sign and nothing else; absent for any other text and
// for a value outside 64 bits.
std::optional<int64_t> ParseStrictInteger(std::string_view text);
std::optional<int64_t> ReadSysfsInteger(const std::filesystem::path& folder, std::string_view name);
