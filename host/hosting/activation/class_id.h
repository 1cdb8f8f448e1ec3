// Class ids as the registry and the home-screen file write them.
#pragma once

#include <string>

#include "platform/api.h"
#include "plugin_host/zelvar_class_id.h"

// The battery plug-in, the one class this home screen shows.
inline constexpr CLSID kBatteryPluginClassId = CLSID_ZelvarPlugin;

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case.
std::string ClassIdText(REFCLSID id);
// Whether the text names the class, without regard to case.
bool NamesClassId(std::string_view text, REFCLSID id);
