#include "tests/fakes/fake_xml_element.h"

#include <gtest/gtest.h>

HRESULT FakeAttributeNode::get_nodeValue(VARIANT* value) {
  VariantInit(value);
  value->vt = VT_BSTR;
  value->bstrVal = SysAllocStringLen(value_.data(), static_cast<UINT>(value_.size()));
  return S_OK;
}

HRESULT FakeAttributeNode::get_attributes(IXMLDOMNamedNodeMap** map) {
  *map = nullptr;
  return S_FALSE;
}

FakeXmlElement& FakeXmlElement::With(const WString& name, const WString& value) {
  attributes_[name] = std::make_unique<FakeAttributeNode>(value);
  return *this;
}

FakeXmlElement& FakeXmlElement::FailLookup(const WString& name, HRESULT result) {
  failures_[name] = result;
  return *this;
}

FakeXmlElement& FakeXmlElement::WithoutAttributeMap() {
  withoutMap_ = true;
  return *this;
}

HRESULT FakeXmlElement::get_nodeValue(VARIANT* value) {
  VariantInit(value);
  value->vt = VT_NULL;
  return S_FALSE;
}

HRESULT FakeXmlElement::get_attributes(IXMLDOMNamedNodeMap** map) {
  if (withoutMap_) {
    *map = nullptr;
    return E_FAIL;
  }
  AddRef();
  *map = this;
  return S_OK;
}

HRESULT FakeXmlElement::getNamedItem(BSTR name, IXMLDOMNode** item) {
  const WString key(name, SysStringLen(name));
  lookups_.push_back(key);
  *item = nullptr;
  if (auto failure = failures_.find(key); failure != failures_.end()) return failure->second;
  auto found = attributes_.find(key);
  if (found == attributes_.end()) return S_FALSE;
  found->second->AddRef();
  *item = found->second.get();
  return S_OK;
}

bool FakeXmlElement::AllReferencesReturned() const {
  if (outstanding() != 0) return false;
  for (const auto& [name, node] : attributes_) {
    if (node->outstanding() != 0) return false;
  }
  return true;
}
