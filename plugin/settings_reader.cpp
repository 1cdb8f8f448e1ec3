#include "plugin/settings_reader.h"

namespace {

// Looks the attribute up and converts its value in place to the given type. On S_OK, value holds
// the converted VARIANT, which the caller clears.
HRESULT ReadAttribute(IXMLDOMNamedNodeMap* attributes, const WCHAR* name, VARTYPE type,
                      VARIANT& value) {
  BSTR bstrName = SysAllocString(name);
  if (bstrName == nullptr) return E_OUTOFMEMORY;
  IXMLDOMNode* node = nullptr;
  HRESULT hr = attributes->getNamedItem(bstrName, &node);
  SysFreeString(bstrName);
  if (hr == S_FALSE) {
    if (node != nullptr) node->Release();
    return E_FAIL;
  }
  if (hr != S_OK) return hr;
  if (node == nullptr) return E_FAIL;
  VariantInit(&value);
  hr = node->get_nodeValue(&value);
  if (SUCCEEDED(hr)) hr = VariantChangeType(&value, &value, 0, type);
  node->Release();
  if (FAILED(hr)) {
    VariantClear(&value);
    return hr;
  }
  return S_OK;
}

}  // namespace

HRESULT ReadIntAttribute(IXMLDOMNamedNodeMap* attributes, const WCHAR* name, LONG& target) {
  VARIANT value;
  const HRESULT hr = ReadAttribute(attributes, name, VT_INT, value);
  if (hr != S_OK) return hr;
  target = value.intVal;
  VariantClear(&value);
  return S_OK;
}

HRESULT ReadTextAttribute(IXMLDOMNamedNodeMap* attributes, const WCHAR* name, WString& target) {
  VARIANT value;
  const HRESULT hr = ReadAttribute(attributes, name, VT_BSTR, value);
  if (hr != S_OK) return hr;
  target = value.bstrVal != nullptr ? WString(value.bstrVal) : WString();
  VariantClear(&value);
  return S_OK;
}

void ReadSettings(IXMLDOMNode* element, PluginSettings& settings) {
  IXMLDOMNamedNodeMap* attributes = nullptr;
  if (element == nullptr || FAILED(element->get_attributes(&attributes)) || attributes == nullptr) {
    settings = DefaultSettings();
    return;
  }
  for (const SettingAttribute& setting : kSettingAttributes) {
    if (setting.integer != nullptr) {
      LONG& field = settings.*setting.integer;
      if (FAILED(ReadIntAttribute(attributes, setting.name, field))) field = setting.integerDefault;
    } else {
      WString& field = settings.*setting.text;
      if (FAILED(ReadTextAttribute(attributes, setting.name, field))) field = setting.textDefault;
    }
  }
  attributes->Release();
}
