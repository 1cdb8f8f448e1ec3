#include "host/hosting/activation/module_activation.h"

#include <vector>

#include "host/hosting/activation/class_id.h"
#include "host/hosting/host_error.h"

namespace {

std::string KeyText(REFCLSID classId) {
  return "HKEY_CLASSES_ROOT\\" + NarrowUtf8(ServerKeyOf(classId));
}

// The key's default value as text; nullopt when the key has no default value.
std::optional<WString> DefaultText(HKEY key, const std::string& keyName) {
  DWORD type = REG_NONE;
  DWORD size = 0;
  LSTATUS status = RegQueryValueExW(key, nullptr, nullptr, &type, nullptr, &size);
  if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;
  std::vector<BYTE> bytes(size);
  if (status == ERROR_SUCCESS)
    status = RegQueryValueExW(key, nullptr, nullptr, &type, bytes.data(), &size);
  if (status != ERROR_SUCCESS) {
    throw HostError("cannot read " + keyName + " (registry error " + std::to_string(status) + ")");
  }
  if (type != REG_SZ)
    throw HostError(keyName + " does not hold a file name (value type " + std::to_string(type) +
                    ")");
  WString text;
  for (size_t i = 0; i + 1 < size; i += 2) {
    const WCHAR unit = static_cast<WCHAR>(bytes[i] | (bytes[i + 1] << 8));
    if (unit == 0) break;
    text.push_back(unit);
  }
  return text;
}

// Only a file that is not there: one that cannot be looked at (a folder without permission) is left
// registered, and activating it says why it fails.
bool NoLongerExists(const std::filesystem::path& file) {
  std::error_code error;
  return std::filesystem::status(file, error).type() == std::filesystem::file_type::not_found;
}

}  // namespace

ULONG ActivatedPlugin::Release() {
  const ULONG remaining = plugin_.Reset();
  server_->TryUnload();
  return remaining;
}

WString ServerKeyOf(REFCLSID classId) {
  return TEXT("CLSID\\") + WidenLatin1(ClassIdText(classId)) + TEXT("\\InprocServer32");
}

std::optional<std::filesystem::path> RegisteredServerFile(REFCLSID classId) {
  HKEY key = nullptr;
  const LSTATUS status =
      RegOpenKeyExW(HKEY_CLASSES_ROOT, ServerKeyOf(classId).c_str(), 0, KEY_READ, &key);
  if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;
  if (status != ERROR_SUCCESS) {
    throw HostError("cannot read " + KeyText(classId) + " (registry error " +
                    std::to_string(status) + ")");
  }
  std::optional<WString> file;
  try {
    file = DefaultText(key, KeyText(classId));
  } catch (...) {
    RegCloseKey(key);
    throw;
  }
  RegCloseKey(key);
  if (!file || file->empty()) return std::nullopt;
  return std::filesystem::path(NarrowUtf8(*file));
}

std::optional<std::filesystem::path> EnsureRegistered(REFCLSID classId,
                                                      const std::filesystem::path& moduleFile,
                                                      Registration when) {
  std::optional<std::filesystem::path> gone;
  if (when == Registration::IfMissing) {
    gone = RegisteredServerFile(classId);
    if (gone && !NoLongerExists(*gone)) return std::nullopt;
  }
  const InprocServer server(moduleFile);
  const HRESULT result = server.RegisterServer();
  if (result != S_OK) {
    throw HostError("registering the module " + moduleFile.string() +
                    " failed: DllRegisterServer answered " + ResultText(result));
  }
  return gone;
}

ActivatedPlugin ActivatePlugin(REFCLSID classId) {
  const std::string what = "cannot activate the class " + ClassIdText(classId) + ": ";
  const std::optional<std::filesystem::path> file = RegisteredServerFile(classId);
  if (!file) throw HostError(what + "it is not registered (no " + KeyText(classId) + ")");

  std::unique_ptr<InprocServer> server;
  try {
    server = std::make_unique<InprocServer>(*file);
  } catch (const HostError& error) {
    throw HostError(what + error.what() + " (registered in " + KeyText(classId) + ")");
  }

  void* factoryOut = nullptr;
  HRESULT result = server->GetClassObject(classId, IID_IClassFactory, &factoryOut);
  if (FAILED(result) || factoryOut == nullptr) {
    throw HostError(what + "DllGetClassObject answered " + ResultText(result));
  }
  const auto factory = ComPtr<IClassFactory>::Adopt(static_cast<IClassFactory*>(factoryOut));

  void* pluginOut = nullptr;
  result = factory->CreateInstance(nullptr, IID_HomeScreenPlugin, &pluginOut);
  if (FAILED(result) || pluginOut == nullptr) {
    throw HostError(what + "the class factory's CreateInstance answered " + ResultText(result));
  }
  return ActivatedPlugin(std::move(server), ComPtr<HomeScreenPlugin>::Adopt(
                                                static_cast<HomeScreenPlugin*>(pluginOut)));
}
