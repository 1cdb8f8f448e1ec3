// The plug-in's element of the home-screen file, offered to the plug-in through the XML DOM: the
// element's get_attributes gives an attribute map, whose getNamedItem finds an attribute by its
// exact name (S_OK with the attribute's node) or answers S_FALSE; an attribute node's
// get_nodeValue gives its text as VT_BSTR. Each object is reference counted and frees itself; the
// map keeps its element alive.
#pragma once

#include <vector>

#include "com_toolkit/com_ptr.h"
#include "platform/api.h"

struct XmlAttribute {
  WString name;
  WString value;
};

// A new element with one reference, the caller's.
ComPtr<IXMLDOMNode> CreateSettingsElement(std::vector<XmlAttribute> attributes);
