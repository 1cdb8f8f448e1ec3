// The home-screen file: an XML document listing the plug-ins the home screen shows, each an
// element that names its class in a clsid attribute and carries the plug-in's settings as its
// other attributes. The host reads the battery plug-in's element and hands it to Initialize.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/hosting/settings_element.h"
#include "platform/api.h"

// $XDG_CONFIG_HOME/zelvar/home.xml (when that is an absolute path), else ~/.config/zelvar/home.xml.
std::filesystem::path DefaultHomeScreenFile();

// The file written on a first run: the battery plug-in's element with every setting at its
// default, and a comment explaining them.
std::string DefaultHomeScreenText();

// Writes the default file (and its folder) when the file does not exist; answers whether it did.
// Throws HostError when it cannot be written.
bool WriteDefaultHomeScreenFileIfMissing(const std::filesystem::path& file);

// The attributes, in document order, of the first element whose clsid attribute names the class
// (compared without regard to case); a missing file reads as the default file, which the host could
// not write. Throws HostError when the file cannot be read, is not
// well-formed XML ("<file>:<line>: <what the parser found>"), or has no element for the class.
std::vector<XmlAttribute> ReadPluginElement(const std::filesystem::path& file, REFCLSID classId);

// ReadPluginElement on the file's content, already read; `file` is the name its errors give.
std::vector<XmlAttribute> FindPluginElement(std::string_view content,
                                            const std::filesystem::path& file, REFCLSID classId);

// The attributes, in document order, of the document's root element (the home screen's own
// <home>). Throws HostError as ReadPluginElement does.
std::vector<XmlAttribute> ReadHomeAttributes(const std::filesystem::path& file);

// The value of an attribute of the document's root element (the home screen's own <home>), nullopt
// without it. Throws HostError as ReadPluginElement does.
std::optional<std::string> ReadHomeAttribute(const std::filesystem::path& file,
                                             const std::string& name);

// One note for each integer setting among the attributes whose value the plug-in cannot take as a
// number (it then takes the setting's default): "the home-screen file <file>: MinPercent="low" is
// not a number; ...", or "...: 4294967295 is out of range for FlushTimeoutHours; ...".
std::vector<std::string> NonNumericSettingNotes(const std::filesystem::path& file,
                                                const std::vector<XmlAttribute>& attributes);
