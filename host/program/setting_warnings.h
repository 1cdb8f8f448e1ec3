// Settings that the plug-in takes as they are but in a way a user would not expect, or that will
// behave badly: the host says so once, at start, and changes nothing (its timer floor already
// keeps a timeout of 0 from busying it).
#pragma once

#include <string>
#include <vector>

#include "plugin_host/saved_configuration.h"

// One sentence for each such setting, naming it and its value; empty when all are sound.
std::vector<std::string> SettingWarnings(const SavedConfiguration& settings);
