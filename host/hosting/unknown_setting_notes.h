// Attributes of the home-screen file that nothing reads: a misspelt setting would otherwise be
// ignored without a word, and its user believe it applied.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "host/hosting/settings_element.h"

// One note for each attribute of the plug-in's element that is not one of its settings (nor its
// clsid), and each attribute of <home> that is not one of the home screen's, with the nearest name
// of the element's settings where one is near: "the home-screen file <file>: MaxHistroyDays is not
// a setting of the plug-in (did you mean MaxHistoryDays?); it is ignored".
std::vector<std::string> UnknownSettingNotes(const std::filesystem::path& file,
                                             const std::vector<XmlAttribute>& pluginElement,
                                             const std::vector<XmlAttribute>& homeElement);
