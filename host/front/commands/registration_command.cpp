#include "host/front/commands/registration_command.h"

#include "host/hosting/activation/class_id.h"
#include "host/hosting/activation/inproc_server.h"
#include "host/hosting/activation/module_activation.h"
#include "host/hosting/host_error.h"
#include "host/hosting/damaged_file.h"
#include "platform/registry/registry_store_file.h"

namespace {

std::string InRegistry() {
  return " in HKEY_CLASSES_ROOT\\" + NarrowUtf8(ServerKeyOf(kBatteryPluginClassId)) +
         " of the registry " + DefaultRegistryFile();
}

}  // namespace

std::optional<std::string> SetAsideDamagedRegistry() {
  FileRegistryStore store(DefaultRegistryFile());
  const RegistryStoreResult loaded = store.Check();
  if (loaded.status != ERROR_BADDB) return std::nullopt;
  const std::string aside = SetAsideName(store.path()).string();
  if (const std::optional<std::string> failure = SetAside(store.path())) {
    throw HostError(loaded.message + "; cannot set it aside as " + aside + ": " + *failure);
  }
  return loaded.message + ": set aside as " + aside + "; the registration writes a fresh one";
}

std::string RunRegister(const std::filesystem::path& moduleFile) {
  EnsureRegistered(kBatteryPluginClassId, moduleFile, Registration::Always);
  return "registered " + moduleFile.string() + InRegistry() + "\n";
}

std::filesystem::path ModuleToUnregister(const std::optional<std::string>& given,
                                         const std::filesystem::path& fallback) {
  if (given) return *given;
  return RegisteredServerFile(kBatteryPluginClassId).value_or(fallback);
}

std::string RunUnregister(const std::filesystem::path& file) {
  // The module would only answer E_FAIL, which tells the user nothing.
  if (!RegisteredServerFile(kBatteryPluginClassId))
    throw HostError("nothing was registered" + InRegistry());
  const InprocServer server(file);
  const HRESULT result = server.UnregisterServer();
  if (result != S_OK) {
    throw HostError("unregistering through the module " + file.string() +
                    " failed: DllUnregisterServer answered " + ResultText(result) +
                    " for the class registered" + InRegistry());
  }
  return "unregistered " + file.string() + InRegistry() + "\n";
}
