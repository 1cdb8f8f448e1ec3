#include "tests/module/loaded_module.h"

#include <dlfcn.h>

#include <stdexcept>
#include <string>

namespace {

template <typename Function>
void LookUp(void* handle, const char* name, Function*& function) {
  function = reinterpret_cast<Function*>(dlsym(handle, name));
  if (function == nullptr)
    throw std::runtime_error(std::string("the module does not export ") + name);
}

}  // namespace

LoadedModule::LoadedModule(const std::filesystem::path& file)
    : handle_(dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL)) {
  if (handle_ == nullptr)
    throw std::runtime_error(std::string("cannot load the module: ") + dlerror());
  try {
    LookUp(handle_, "DllGetClassObject", getClassObject_);
    LookUp(handle_, "DllCanUnloadNow", canUnloadNow_);
    LookUp(handle_, "DllRegisterServer", registerServer_);
    LookUp(handle_, "DllUnregisterServer", unregisterServer_);
  } catch (...) {
    dlclose(handle_);
    throw;
  }
}

LoadedModule::~LoadedModule() { dlclose(handle_); }

IClassFactory* LoadedModule::GetFactory() const {
  void* factory = nullptr;
  if (DllGetClassObject(kPluginClassId, IID_IClassFactory, &factory) != S_OK ||
      factory == nullptr) {
    throw std::runtime_error("the module hands out no class factory");
  }
  return static_cast<IClassFactory*>(factory);
}

std::filesystem::path BuiltModuleFile() { return ZELVARPLUG_FILE; }
