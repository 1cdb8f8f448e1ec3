#include "tests/conformance/standin_host_driver.h"

#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <utility>

#include "com_toolkit/memory_stream.h"
#include "platform/gdi/canvas.h"
#include "platform/time/calendar.h"
#include "platform/time/clock.h"
#include "tests/conformance/pixel_canvas.h"

namespace {

// Class not registered, as COM answers for a class id without an InprocServer32 path.
constexpr HRESULT kClassNotRegistered = static_cast<HRESULT>(0x80040154L);

class StandInSurface : public PaintSurface {
 public:
  StandInSurface(LONG width, LONG height, COLORREF background)
      : canvas_(width, height, background), context_(canvas_) {}
  DWORD EventWord() const override { return context_.eventWord(); }
  COLORREF PixelAt(LONG x, LONG y) const override { return canvas_.PixelAt(x, y); }

 private:
  PixelCanvas canvas_;
  ScopedDeviceContext context_;
};

template <typename Function>
void LookUp(void* module, const char* name, Function& function) {
  function = reinterpret_cast<Function>(dlsym(module, name));
  if (function == nullptr)
    throw std::runtime_error(std::string("the module does not export ") + name);
}

WString ClassKeyOf(REFCLSID id) {
  char text[64];
  std::snprintf(text, sizeof text,
                "CLSID\\{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}\\InprocServer32",
                static_cast<unsigned>(id.Data1), id.Data2, id.Data3, id.Data4[0], id.Data4[1],
                id.Data4[2], id.Data4[3], id.Data4[4], id.Data4[5], id.Data4[6], id.Data4[7]);
  return WidenLatin1(text);
}

// The registered server's path: the default value of the class's InprocServer32 key.
bool RegisteredServer(REFCLSID classId, WString& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, ClassKeyOf(classId).c_str(), 0, KEY_READ, &key) !=
      ERROR_SUCCESS)
    return false;
  WCHAR value[1024];
  DWORD size = sizeof value;
  DWORD type = 0;
  const bool found = RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value),
                                      &size) == ERROR_SUCCESS &&
                     type == REG_SZ && size >= sizeof(WCHAR);
  RegCloseKey(key);
  if (found) path.assign(value, size / sizeof(WCHAR) - 1);
  return found;
}

}  // namespace

StandInHostDriver::StandInHostDriver() { power_.OnMains(100); }

StandInHostDriver::~StandInHostDriver() {
  for (void* module : loaded_) dlclose(module);
}

void* StandInHostDriver::Load(const std::string& file) {
  void* module = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr)
    throw std::runtime_error(std::string("cannot load the module: ") + dlerror());
  loaded_.push_back(module);
  return module;
}

const ModuleExports& StandInHostDriver::Exports() {
  if (exports_.DllGetClassObject == nullptr) {
    void* module = Load(ZELVARPLUG_FILE);
    LookUp(module, "DllGetClassObject", exports_.DllGetClassObject);
    LookUp(module, "DllCanUnloadNow", exports_.DllCanUnloadNow);
    LookUp(module, "DllRegisterServer", exports_.DllRegisterServer);
    LookUp(module, "DllUnregisterServer", exports_.DllUnregisterServer);
  }
  return exports_;
}

bool StandInHostDriver::RegisterModule() { return Exports().DllRegisterServer() == S_OK; }

bool StandInHostDriver::UnregisterModule() { return Exports().DllUnregisterServer() == S_OK; }

WString StandInHostDriver::ModulePath() const {
  return WidenUtf8(std::filesystem::canonical(ZELVARPLUG_FILE).string());
}

HRESULT StandInHostDriver::CreateByClassId(REFCLSID classId, REFIID riid, void** object) {
  *object = nullptr;
  WString server;
  if (!RegisteredServer(classId, server)) return kClassNotRegistered;
  HRESULT (*getClassObject)(REFCLSID, REFIID, LPVOID*) = nullptr;
  LookUp(Load(NarrowUtf8(server)), "DllGetClassObject", getClassObject);
  void* factory = nullptr;
  const HRESULT hr = getClassObject(classId, IID_IClassFactory, &factory);
  if (FAILED(hr)) return hr;
  const auto classFactory = ComPtr<IClassFactory>::Adopt(static_cast<IClassFactory*>(factory));
  return classFactory->CreateInstance(nullptr, riid, object);
}

IXMLDOMNode* StandInHostDriver::ParseSettingsElement(
    const std::vector<SettingsAttribute>& attributes) {
  auto element = std::make_unique<FakeXmlElement>();
  for (const SettingsAttribute& attribute : attributes)
    element->With(attribute.name, attribute.value);
  elements_.push_back(std::move(element));
  return elements_.back().get();
}

IStream* StandInHostDriver::NewStream(const std::vector<BYTE>& bytes) {
  return MemoryStream::Create(bytes).Detach();
}

std::vector<BYTE> StandInHostDriver::StreamBytes(IStream* stream) {
  return static_cast<MemoryStream*>(stream)->bytes();
}

std::unique_ptr<PaintSurface> StandInHostDriver::NewSurface(LONG width, LONG height,
                                                            COLORREF background) {
  return std::make_unique<StandInSurface>(width, height, background);
}

std::vector<ShownMessage> StandInHostDriver::TakeMessages() {
  return std::exchange(messageBoxes_.messages, {});
}

WString StandInHostDriver::FileNameInRunFolder(const char* leaf) {
  return TEXT("\\") + WidenLatin1(leaf);
}

LONG StandInHostDriver::ZoneOffsetMinutesAt(const FILETIME& utc) {
  return static_cast<LONG>(CurrentClock().LocalOffsetAt(FileTimeValue(utc)) /
                           static_cast<LONGLONG>(kFileTimeUnitsPerMinute));
}
