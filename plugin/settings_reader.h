// Reads the plug-in's settings from the attributes of its XML element.
#pragma once

#include "platform/api.h"
#include "plugin_state/plugin_settings.h"

// S_OK when a value was stored into target; E_FAIL when the attribute is absent or its value is not
// a 32-bit decimal integer; any other failure of the lookup is passed on unchanged, as is a success
// other than S_OK (and then nothing is stored).
HRESULT ReadIntAttribute(IXMLDOMNamedNodeMap* attributes, const WCHAR* name, LONG& target);
// The same for text: target receives the value up to its first zero character; an attribute present
// with an empty value gives an empty text.
HRESULT ReadTextAttribute(IXMLDOMNamedNodeMap* attributes, const WCHAR* name, WString& target);

// Reads all seven settings in their order; each one that cannot be read takes its default. A null
// element, or one without an attribute map, gives all the defaults.
void ReadSettings(IXMLDOMNode* element, PluginSettings& settings);
