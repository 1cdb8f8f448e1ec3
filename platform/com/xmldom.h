// The XML DOM interfaces through which the host hands over the plug-in's settings element.
#pragma once

#include "platform/com/com.h"
#include "platform/com/oleauto.h"

inline constexpr IID IID_IXMLDOMNode = {
    0x2933BF80, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
inline constexpr IID IID_IXMLDOMNamedNodeMap = {
    0x2933BF83, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

struct IXMLDOMNamedNodeMap;

struct IXMLDOMNode : IUnknown {
  // The node's value: an attribute's text as VT_BSTR.
  virtual HRESULT STDMETHODCALLTYPE get_nodeValue(VARIANT* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_attributes(IXMLDOMNamedNodeMap** attributeMap) = 0;
};

struct IXMLDOMNamedNodeMap : IUnknown {
  // S_OK with the attribute's node, or S_FALSE and null when there is no such attribute.
  virtual HRESULT STDMETHODCALLTYPE getNamedItem(BSTR name, IXMLDOMNode** namedItem) = 0;
};
