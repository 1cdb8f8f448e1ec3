// Reads arbitrary bytes as the home-screen file. The reader must either report a HostError that
// names the file, or answer the attributes of an element whose clsid attribute names the battery
// plug-in's class, each with a name; and the settings element made from them must offer the
// plug-in exactly those values, looked up by name. The file lives in memory (a memfd reached
// through /proc/self/fd): nothing is written to disk.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "host/hosting/activation/class_id.h"
#include "host/hosting/host_error.h"
#include "host/hosting/home_screen_file.h"
#include "host/hosting/settings_element.h"

namespace {

class MemoryFile {
 public:
  MemoryFile() : descriptor_(memfd_create("home-screen", 0)), path_("/proc/self/fd/" + std::to_string(descriptor_)) {
    if (descriptor_ < 0) std::abort();
  }
  void Fill(const uint8_t* data, size_t size) const {
    if (ftruncate(descriptor_, 0) != 0 || pwrite(descriptor_, data, size, 0) != static_cast<ssize_t>(size)) {
      std::abort();
    }
  }
  const std::string& path() const { return path_; }

 private:
  int descriptor_;
  std::string path_;
};

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
  static const MemoryFile file;
  file.Fill(data, size);
  std::vector<XmlAttribute> attributes;
  try {
    attributes = ReadPluginElement(file.path(), kBatteryPluginClassId);
  } catch (const HostError& error) {
    if (std::string(error.what()).find(file.path()) == std::string::npos) std::abort();
    return 0;
  }
  bool namesClass = false;
  for (const XmlAttribute& attribute : attributes) {
    if (attribute.name.empty()) std::abort();
    if (attribute.name == u"clsid" && NamesClassId(NarrowUtf8(attribute.value), kBatteryPluginClassId)) namesClass = true;
  }
  if (!namesClass) std::abort();
  ComPtr<IXMLDOMNode> element = CreateSettingsElement(attributes);
  for (const XmlAttribute& attribute : attributes) {
    if (OfferedValue(*element.Get(), attribute.name) != attribute.value) std::abort();
  }
  return 0;
}
