// A settings element with a fixed set of attributes, as the host's XML DOM hands it over.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "platform/api.h"
#include "tests/fakes/unqueried_com_object.h"

class FakeAttributeNode : public UnqueriedComObject<Face<IXMLDOMNode, IID_IXMLDOMNode>> {
 public:
  explicit FakeAttributeNode(WString value) : value_(std::move(value)) {}
  HRESULT STDMETHODCALLTYPE get_nodeValue(VARIANT* value) override;
  HRESULT STDMETHODCALLTYPE get_attributes(IXMLDOMNamedNodeMap** map) override;

 private:
  WString value_;
};

class FakeXmlElement
    : public UnqueriedComObject<Face<IXMLDOMNode, IID_IXMLDOMNode>,
                                Face<IXMLDOMNamedNodeMap, IID_IXMLDOMNamedNodeMap>> {
 public:
  // Adds an attribute; its value may hold zero characters.
  FakeXmlElement& With(const WString& name, const WString& value);
  // getNamedItem answers this result for the name, without a node.
  FakeXmlElement& FailLookup(const WString& name, HRESULT result);
  // get_attributes fails.
  FakeXmlElement& WithoutAttributeMap();

  HRESULT STDMETHODCALLTYPE get_nodeValue(VARIANT* value) override;
  HRESULT STDMETHODCALLTYPE get_attributes(IXMLDOMNamedNodeMap** map) override;
  HRESULT STDMETHODCALLTYPE getNamedItem(BSTR name, IXMLDOMNode** item) override;

  // Names asked for, in order.
  const std::vector<WString>& lookups() const { return lookups_; }
  // Every reference handed out (map and attribute nodes) was released again.
  bool AllReferencesReturned() const;

 private:
  std::map<WString, std::unique_ptr<FakeAttributeNode>> attributes_;
  std::map<WString, HRESULT> failures_;
  bool withoutMap_ = false;
  std::vector<WString> lookups_;
};
