#include "host/hosting/settings_element.h"

#include <new>

#include "com_toolkit/com_object.h"

namespace {

class AttributeNode final : public ComObject<Face<IXMLDOMNode, IID_IXMLDOMNode>> {
 public:
  explicit AttributeNode(WString value) : value_(std::move(value)) {}

  HRESULT STDMETHODCALLTYPE get_nodeValue(VARIANT* value) override {
    if (value == nullptr) return E_POINTER;
    VariantInit(value);
    const BSTR text = SysAllocStringLen(value_.data(), static_cast<UINT>(value_.size()));
    if (text == nullptr) return E_OUTOFMEMORY;
    value->vt = VT_BSTR;
    value->bstrVal = text;
    return S_OK;
  }
  // An attribute has no attributes of its own.
  HRESULT STDMETHODCALLTYPE get_attributes(IXMLDOMNamedNodeMap** map) override {
    if (map == nullptr) return E_POINTER;
    *map = nullptr;
    return S_FALSE;
  }

 private:
  WString value_;
};

class SettingsElement;

class AttributeMap final : public ComObject<Face<IXMLDOMNamedNodeMap, IID_IXMLDOMNamedNodeMap>> {
 public:
  explicit AttributeMap(SettingsElement& element);
  ~AttributeMap() override;

  HRESULT STDMETHODCALLTYPE getNamedItem(BSTR name, IXMLDOMNode** item) override;

 private:
  SettingsElement& element_;
};

class SettingsElement final : public ComObject<Face<IXMLDOMNode, IID_IXMLDOMNode>> {
 public:
  explicit SettingsElement(std::vector<XmlAttribute> attributes)
      : attributes_(std::move(attributes)) {}

  // An element's value is null.
  HRESULT STDMETHODCALLTYPE get_nodeValue(VARIANT* value) override {
    if (value == nullptr) return E_POINTER;
    VariantInit(value);
    value->vt = VT_NULL;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_attributes(IXMLDOMNamedNodeMap** map) override {
    if (map == nullptr) return E_POINTER;
    *map = new (std::nothrow) AttributeMap(*this);
    return *map != nullptr ? S_OK : E_OUTOFMEMORY;
  }

  const XmlAttribute* Find(WStringView name) const {
    for (const XmlAttribute& attribute : attributes_) {
      if (attribute.name == name) return &attribute;
    }
    return nullptr;
  }

 private:
  std::vector<XmlAttribute> attributes_;
};

AttributeMap::AttributeMap(SettingsElement& element) : element_(element) { element_.AddRef(); }

AttributeMap::~AttributeMap() { element_.Release(); }

HRESULT AttributeMap::getNamedItem(BSTR name, IXMLDOMNode** item) {
  if (item == nullptr) return E_POINTER;
  *item = nullptr;
  // A null BSTR is the empty text; a BSTR's length may count zero characters inside it.
  const WStringView wanted =
      name != nullptr ? WStringView(name, SysStringLen(name)) : WStringView();
  const XmlAttribute* attribute = element_.Find(wanted);
  if (attribute == nullptr) return S_FALSE;
  try {
    *item = new AttributeNode(attribute->value);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

}  // namespace

ComPtr<IXMLDOMNode> CreateSettingsElement(std::vector<XmlAttribute> attributes) {
  return ComPtr<IXMLDOMNode>::Adopt(new SettingsElement(std::move(attributes)));
}
