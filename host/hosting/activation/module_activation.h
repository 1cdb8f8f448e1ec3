// Activating a class the way COM does: the class id names a registry key whose InprocServer32
// default value is the server's file; the file is loaded, DllGetClassObject hands out the class
// factory, and the factory creates the object.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>

#include "com_toolkit/com_ptr.h"
#include "host/hosting/activation/inproc_server.h"
#include "plugin_host/home_screen_plugin.h"

// A plug-in object and the server it lives in.
class ActivatedPlugin {
 public:
  ActivatedPlugin(std::unique_ptr<InprocServer> server, ComPtr<HomeScreenPlugin> plugin)
      : server_(std::move(server)), plugin_(std::move(plugin)) {}

  HomeScreenPlugin* plugin() const { return plugin_.Get(); }
  const InprocServer& server() const { return *server_; }
  // Gives back the host's reference, then unloads the server if DllCanUnloadNow allows it.
  // Answers the count that Release reported: 0 when that was the last reference.
  ULONG Release();

 private:
  std::unique_ptr<InprocServer> server_;
  ComPtr<HomeScreenPlugin> plugin_;
};

// HKEY_CLASSES_ROOT\CLSID\{id}\InprocServer32, where a class's server file is registered.
WString ServerKeyOf(REFCLSID classId);

// The class's registered server file; nullopt when the class is not registered. Throws HostError
// when the registry cannot be read or the value is not text.
std::optional<std::filesystem::path> RegisteredServerFile(REFCLSID classId);

enum class Registration {
  // A first run: the class is registered only when it is not yet, or when its registered file no
  // longer exists (a build folder since removed, an older installation).
  IfMissing,
  Always,  // the file replaces whatever server is registered
};

// Registers moduleFile as the class's server through the module's own DllRegisterServer. With
// IfMissing, answers the registered file it replaced because that no longer existed. Throws
// HostError when the module cannot be loaded or its registration fails.
std::optional<std::filesystem::path> EnsureRegistered(REFCLSID classId,
                                                      const std::filesystem::path& moduleFile,
                                                      Registration when);

// Activates the class through the registry and asks the new object for HomeScreenPlugin. Throws
// HostError naming what failed: not registered, file missing, not a module, export missing, or the
// factory's result code.
ActivatedPlugin ActivatePlugin(REFCLSID classId);
