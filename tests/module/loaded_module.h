// The built module loaded as a host loads it: dlopen of the file, then its exports by name. The
// module is unloaded again when the object goes.
#pragma once

#include <filesystem>

#include "platform/api.h"

class LoadedModule {
 public:
  // Throws std::runtime_error when the file does not load or lacks one of the four exports.
  explicit LoadedModule(const std::filesystem::path& file);
  ~LoadedModule();
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;

  HRESULT DllGetClassObject(REFCLSID classId, REFIID riid, void** ppv) const {
    return getClassObject_(classId, riid, ppv);
  }
  HRESULT DllCanUnloadNow() const { return canUnloadNow_(); }
  HRESULT DllRegisterServer() const { return registerServer_(); }
  HRESULT DllUnregisterServer() const { return unregisterServer_(); }

  // The plug-in's class factory, as the module hands it out for IClassFactory.
  IClassFactory* GetFactory() const;

 private:
  void* handle_;
  HRESULT (*getClassObject_)(REFCLSID, REFIID, void**);
  HRESULT (*canUnloadNow_)();
  HRESULT (*registerServer_)();
  HRESULT (*unregisterServer_)();
};

// The module file the build produced: zelvarplug.so.
std::filesystem::path BuiltModuleFile();

// {FDEA2F9B-0266-11cf-BAA6-00AA003E0E01}, as a host names the class it activates.
inline constexpr CLSID kPluginClassId = {
    0xFDEA2F9B, 0x0266, 0x11CF, {0xBA, 0xA6, 0x00, 0xAA, 0x00, 0x3E, 0x0E, 0x01}};
