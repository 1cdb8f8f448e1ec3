// Class ids as the registry and the home-screen file write them.
#pragma once

#include <string>

#include "platform/api.h"

// {FDEA2F9B-0266-11cf-BAA6-00AA003E0E01}: the battery plug-in, the one class this home screen shows.
inline constexpr CLSID kBatteryPluginClassId = {0xFDEA2F9B, 0x0266, 0x11CF, {0xBA, 0xA6, 0x00, 0xAA, 0x00, 0x3E, 0x0E, 0x01}};

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case.
std::string ClassIdText(REFCLSID id);
// Whether the text names the class, without regard to case.
bool NamesClassId(std::string_view text, REFCLSID id);
