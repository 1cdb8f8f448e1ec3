#include "host/hosting/activation/inproc_server.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <system_error>

#include "host/hosting/activation/module_trust.h"
#include "host/hosting/host_error.h"
#include "platform/registry/registry_batch.h"

namespace {

void* LoadModule(const std::filesystem::path& file) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) {
    throw HostError("the module file " + file.string() + " does not exist");
  }
  if (const std::optional<std::string> problem = ModuleTrustProblem(file, geteuid()))
    throw HostError(*problem);
  void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* reason = dlerror();
    throw HostError("the file " + file.string() +
                    " is not a loadable module: " + (reason ? reason : "unknown error"));
  }
  return handle;
}

template <typename Function>
Function* Export(void* handle, const std::filesystem::path& file, const char* name) {
  auto* function = reinterpret_cast<Function*>(dlsym(handle, name));
  if (function == nullptr)
    throw HostError("the module " + file.string() + " does not export " + name);
  return function;
}

}  // namespace

std::string ResultText(HRESULT result) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(result));
  return text;
}

InprocServer::InprocServer(std::filesystem::path file)
    : file_(std::move(file)), handle_(LoadModule(file_)) {
  try {
    getClassObject_ =
        Export<HRESULT(REFCLSID, REFIID, void**)>(handle_, file_, "DllGetClassObject");
    canUnloadNow_ = Export<HRESULT()>(handle_, file_, "DllCanUnloadNow");
  } catch (...) {
    dlclose(handle_);
    throw;
  }
}

InprocServer::~InprocServer() { TryUnload(); }

HRESULT InprocServer::GetClassObject(REFCLSID classId, REFIID iid, void** object) const {
  return getClassObject_(classId, iid, object);
}

HRESULT InprocServer::RegisterServer() const { return CallInOneSave("DllRegisterServer"); }

HRESULT InprocServer::UnregisterServer() const { return CallInOneSave("DllUnregisterServer"); }

HRESULT InprocServer::CallInOneSave(const char* name) const {
  HRESULT (*call)() = Export<HRESULT()>(handle_, file_, name);
  RegistryBatch batch;
  const HRESULT result = call();
  return batch.Commit() == ERROR_SUCCESS ? result : E_FAIL;
}

bool InprocServer::TryUnload() {
  if (handle_ == nullptr) return true;
  if (canUnloadNow_() != S_OK) return false;
  dlclose(handle_);
  handle_ = nullptr;
  return true;
}
