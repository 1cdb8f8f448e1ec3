// A module file loaded into this process as an in-process server, reached only through its
// exports, as a COM runtime reaches one.
#pragma once

#include <filesystem>

#include "platform/api.h"

class InprocServer {
 public:
  // Loads the file. Throws HostError when the file does not exist, is not a loadable module, or
  // lacks DllGetClassObject or DllCanUnloadNow.
  explicit InprocServer(std::filesystem::path file);
  // Unloads the module when DllCanUnloadNow allows it; otherwise the module stays mapped, since a
  // live object's code is in it.
  ~InprocServer();
  InprocServer(const InprocServer&) = delete;
  InprocServer& operator=(const InprocServer&) = delete;

  const std::filesystem::path& file() const { return file_; }
  bool loaded() const { return handle_ != nullptr; }

  HRESULT GetClassObject(REFCLSID classId, REFIID iid, void** object) const;
  // Each reaches the registry in one save of everything the module wrote, whatever it answered
  // (RegistryBatch): a process started at the same time never reads half a registration. Each
  // throws HostError when the module does not export its function.
  HRESULT RegisterServer() const;
  HRESULT UnregisterServer() const;
  // Asks DllCanUnloadNow and unloads the module when it answers S_OK; answers whether the module
  // is unloaded now.
  bool TryUnload();

 private:
  HRESULT CallInOneSave(const char* name) const;

  std::filesystem::path file_;
  void* handle_;
  HRESULT (*getClassObject_)(REFCLSID, REFIID, void**) = nullptr;
  HRESULT (*canUnloadNow_)() = nullptr;
};

// "0x80004005": result codes as the host's messages show them.
std::string ResultText(HRESULT result);
