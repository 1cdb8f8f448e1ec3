// Self-registration: the plug-in's class key under HKEY_CLASSES_ROOT, named "Demo Plugin", and its
// InprocServer32 key holding this module's full path. Nothing is rolled back after a failure.
#include "module/exports.h"
#include "plugin_host/zelvar_class_id.h"

namespace {

constexpr auto kClassKey = ClassKeyName(kZelvarPluginClassIdText);
constexpr auto kServerKey = InprocServerKeyName(kZelvarPluginClassIdText);
constexpr WCHAR kClassName[] = TEXT("Demo Plugin");
constexpr WCHAR kModuleName[] = TEXT("zelvarplug.dll");
// A path of at most 260 characters and its terminator.
constexpr DWORD kPathCapacity = 261;

// Creates or opens the key; `key` receives the handle only on success.
bool CreateKey(HKEY parent, LPCWSTR name, HKEY& key) {
  HKEY created = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExW(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                      &created, &disposition) != ERROR_SUCCESS) {
    return false;
  }
  key = created;
  return true;
}

// Sets the key's default value to the text with its terminator (REG_SZ).
bool SetDefaultText(HKEY key, LPCWSTR text, DWORD length) {
  const DWORD bytes = (length + 1) * sizeof(WCHAR);
  return RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes) ==
         ERROR_SUCCESS;
}

// Stores the full path of the module loaded as "zelvarplug.dll", found by that name and not by the
// instance handle the loader passed in: a copy under another name is not this server.
bool SetModulePath(HKEY key) {
  const HMODULE module = GetModuleHandleW(kModuleName);
  if (module == nullptr) return false;
  WCHAR path[kPathCapacity];
  const DWORD length = GetModuleFileNameW(module, path, kPathCapacity);
  // An answer of the full capacity means the path was cut short; a truncated path would name
  // some other file.
  if (length == 0 || length >= kPathCapacity) return false;
  return SetDefaultText(key, path, length);
}

}  // namespace

STDAPI DllRegisterServer() {
  HKEY classKey = nullptr;
  HKEY serverKey = nullptr;
  const bool registered =
      CreateKey(HKEY_CLASSES_ROOT, kClassKey.data(), classKey) &&
      SetDefaultText(classKey, kClassName, static_cast<DWORD>(WideLength(kClassName))) &&
      CreateKey(classKey, kInprocServerSubkey, serverKey) && SetModulePath(serverKey);
  if (serverKey != nullptr) RegCloseKey(serverKey);
  if (classKey != nullptr) RegCloseKey(classKey);
  return registered ? S_OK : E_FAIL;
}

STDAPI DllUnregisterServer() {
  if (RegDeleteKeyW(HKEY_CLASSES_ROOT, kServerKey.data()) != ERROR_SUCCESS) return E_FAIL;
  if (RegDeleteKeyW(HKEY_CLASSES_ROOT, kClassKey.data()) != ERROR_SUCCESS) return E_FAIL;
  return S_OK;
}
