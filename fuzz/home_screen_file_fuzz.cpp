// Reads arbitrary bytes as the home-screen file. The reader must either report a HostError that
// names the file, or answer the attributes of an element whose clsid attribute names the battery
// plug-in's class, each with a name; and the settings element made from them must offer the
// plug-in exactly those values, looked up by name. The file's content is parsed from memory, as
// the reader parses a file once it has read it (the tests read real files).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "host/hosting/activation/class_id.h"
#include "host/hosting/host_error.h"
#include "host/hosting/home_screen_file.h"
#include "host/hosting/settings_element.h"

namespace {

// The text the element offers for the name, as the plug-in's settings reader asks for it.
WString OfferedValue(IXMLDOMNode& element, const WString& name) {
  IXMLDOMNamedNodeMap* map = nullptr;
  if (element.get_attributes(&map) != S_OK || map == nullptr) std::abort();
  BSTR text = SysAllocStringLen(name.data(), static_cast<UINT>(name.size()));
  IXMLDOMNode* item = nullptr;
  if (map->getNamedItem(text, &item) != S_OK || item == nullptr) std::abort();
  SysFreeString(text);
  VARIANT value;
  VariantInit(&value);
  if (item->get_nodeValue(&value) != S_OK || value.vt != VT_BSTR) std::abort();
  WString offered(value.bstrVal, SysStringLen(value.bstrVal));
  VariantClear(&value);
  item->Release();
  map->Release();
  return offered;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string file = "/fuzz/home.xml";
  std::vector<XmlAttribute> attributes;
  try {
    attributes = FindPluginElement(std::string_view(reinterpret_cast<const char*>(data), size),
                                   file, kBatteryPluginClassId);
  } catch (const HostError& error) {
    if (std::string(error.what()).find(file) == std::string::npos) std::abort();
    return 0;
  }
  bool namesClass = false;
  for (const XmlAttribute& attribute : attributes) {
    if (attribute.name.empty()) std::abort();
    if (attribute.name == u"clsid" &&
        NamesClassId(NarrowUtf8(attribute.value), kBatteryPluginClassId))
      namesClass = true;
  }
  if (!namesClass) std::abort();
  ComPtr<IXMLDOMNode> element = CreateSettingsElement(attributes);
  for (const XmlAttribute& attribute : attributes) {
    if (OfferedValue(*element.Get(), attribute.name) != attribute.value) std::abort();
  }
  return 0;
}
