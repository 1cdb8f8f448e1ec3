#include "platform/registry/registry.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <iterator>
#include <map>
#include <mutex>
#include <optional>
#include <tuple>
#include <utility>

#include "platform/registry/registry_batch.h"
#include "platform/registry/registry_store.h"
#include "platform/registry/registry_store_file.h"

namespace {

constexpr ULONG_PTR kFirstRoot = 0x80000000;

// Guards the installed store and the open handles; held for the whole of each registry call.
std::mutex registryMutex;
ServiceSlot<RegistryStore> slot;
// Open handles and the stored path of the key each one names.
std::map<HKEY, WString> openKeys;
ULONG_PTR lastHandle = 0;

bool IsPredefined(HKEY key) {
  const auto value = reinterpret_cast<ULONG_PTR>(key);
  return value >= kFirstRoot && value - kFirstRoot < std::size(kRegistryRootNames);
}

std::optional<WString> HandlePath(HKEY key) {
  if (IsPredefined(key)) {
    return WString(kRegistryRootNames[reinterpret_cast<ULONG_PTR>(key) - kFirstRoot]);
  }
  const auto found = openKeys.find(key);
  if (found == openKeys.end()) return std::nullopt;
  return found->second;
}

HKEY OpenHandle(WString path) {
  // Small aligned numbers like the device's handles; they never reach the predefined roots.
  lastHandle += 4;
  const HKEY key = reinterpret_cast<HKEY>(lastHandle);
  openKeys.emplace(key, std::move(path));
  return key;
}

// The full path of `subKey` below the key that `key` names; an empty or null subkey names the key.
LSTATUS ResolvePath(const RegistryTree& tree, HKEY key, LPCWSTR subKey, WString& path) {
  const auto base = HandlePath(key);
  if (!base) return ERROR_INVALID_HANDLE;
  if (!tree.Find(*base)) return ERROR_KEY_DELETED;
  path = *base;
  if (subKey != nullptr && *subKey != 0) {
    const WStringView relative(subKey);
    if (!RegistryPathWellFormed(relative)) return ERROR_BAD_PATHNAME;
    path.push_back(u'\\');
    path.append(relative);
  }
  return ERROR_SUCCESS;
}

const RegistryValue* FindValue(const RegistryTree& tree, const WString& path, LPCWSTR name) {
  const RegistryTree::Values& values = *tree.ValuesOf(path);
  const auto found = values.find(WStringView(name != nullptr ? name : u""));
  return found == values.end() ? nullptr : &found->second;
}

LSTATUS ReportStoreFailure(const RegistryStoreResult& result) {
  std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, result.message.c_str());
  return result.status;
}

// The user's registry file, kept for the whole process so that it is parsed once; a new one when
// the environment names another file.
RegistryStore& UserFileStore() {
  static std::optional<FileRegistryStore> userFile;
  std::string path = DefaultRegistryFile();
  if (!userFile || userFile->path() != path) userFile.emplace(std::move(path));
  return *userFile;
}

RegistryStore& CurrentStore() {
  RegistryStore* installed = slot.installed();
  return installed != nullptr ? *installed : UserFileStore();
}

// Loads the registry from the installed store (or the user's registry file), runs `operation` on
// it, and saves it when the operation reports a change. A store failure is reported on standard
// error and answered with the store's error code; nothing is saved then.
template <typename Operation>
LSTATUS WithRegistry(Operation operation) {
  RegistryStore& store = CurrentStore();
  RegistryTree tree;
  if (const auto loaded = store.Load(tree); !loaded.ok()) return ReportStoreFailure(loaded);
  bool changed = false;
  const LSTATUS status = operation(tree, changed);
  if (!changed) return status;
  if (const auto saved = store.Save(tree); !saved.ok()) return ReportStoreFailure(saved);
  return status;
}

LSTATUS CopyName(const WString& name, LPWSTR buffer, LPDWORD capacity) {
  if (name.size() + 1 > *capacity) return ERROR_MORE_DATA;
  std::copy(name.begin(), name.end(), buffer);
  buffer[name.size()] = 0;
  *capacity = static_cast<DWORD>(name.size());
  return ERROR_SUCCESS;
}

LSTATUS CopyValue(const RegistryValue& value, LPDWORD type, LPBYTE data, LPDWORD size) {
  if (type != nullptr) *type = value.type;
  if (size == nullptr) return ERROR_SUCCESS;
  const auto needed = static_cast<DWORD>(value.data.size());
  if (data != nullptr && *size < needed) {
    *size = needed;
    return ERROR_MORE_DATA;
  }
  if (data != nullptr) std::copy(value.data.begin(), value.data.end(), data);
  *size = needed;
  return ERROR_SUCCESS;
}

}  // namespace

RegistryStore* InstallRegistryStore(RegistryStore* store) {
  std::lock_guard lock(registryMutex);
  return slot.Install(store);
}

RegistryBatch::RegistryBatch() {
  {
    std::lock_guard lock(registryMutex);
    RegistryStore& store = CurrentStore();
    unheld_ = store.HoldChanges(hold_);
    if (!store.Load(loaded_).ok()) {
      hold_.reset();
      return;
    }
    store_ = &store;
  }
  copy_.Save(loaded_);
  open_.emplace(copy_);
}

LSTATUS RegistryBatch::Commit() {
  if (store_ == nullptr || copy_.tree() == loaded_) return ERROR_SUCCESS;
  std::lock_guard lock(registryMutex);
  if (!unheld_.ok()) return ReportStoreFailure(unheld_);
  if (const auto saved = store_->Save(copy_.tree()); !saved.ok()) return ReportStoreFailure(saved);
  loaded_ = copy_.tree();
  return ERROR_SUCCESS;
}

LSTATUS WINAPI RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR /*keyClass*/,
                               DWORD options, REGSAM /*desiredAccess*/,
                               const LPSECURITY_ATTRIBUTES /*securityAttributes*/, PHKEY result,
                               LPDWORD disposition) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  if (reserved != 0 || options != REG_OPTION_NON_VOLATILE) return ERROR_INVALID_PARAMETER;
  std::lock_guard lock(registryMutex);
  WString storedPath;
  bool created = false;
  const LSTATUS status = WithRegistry([&](RegistryTree& tree, bool& changed) -> LSTATUS {
    WString path;
    if (const LSTATUS resolved = ResolvePath(tree, key, subKey, path); resolved != ERROR_SUCCESS) {
      return resolved;
    }
    std::tie(storedPath, created) = *tree.Create(path);
    changed = created;
    return ERROR_SUCCESS;
  });
  if (status != ERROR_SUCCESS) return status;
  *result = OpenHandle(std::move(storedPath));
  if (disposition != nullptr) {
    *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  }
  return ERROR_SUCCESS;
}

LSTATUS WINAPI RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM /*desiredAccess*/,
                             PHKEY result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  if (options != 0) return ERROR_INVALID_PARAMETER;
  std::lock_guard lock(registryMutex);
  WString storedPath;
  const LSTATUS status = WithRegistry([&](RegistryTree& tree, bool&) -> LSTATUS {
    WString path;
    if (const LSTATUS resolved = ResolvePath(tree, key, subKey, path); resolved != ERROR_SUCCESS) {
      return resolved;
    }
    auto found = tree.Find(path);
    if (!found) return ERROR_FILE_NOT_FOUND;
    storedPath = std::move(*found);
    return ERROR_SUCCESS;
  });
  if (status != ERROR_SUCCESS) return status;
  *result = OpenHandle(std::move(storedPath));
  return ERROR_SUCCESS;
}

LSTATUS WINAPI RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type,
                              const BYTE* data, DWORD size) {
  if (reserved != 0 || (data == nullptr && size > 0)) return ERROR_INVALID_PARAMETER;
  std::lock_guard lock(registryMutex);
  return WithRegistry([&](RegistryTree& tree, bool& changed) -> LSTATUS {
    WString path;
    if (const LSTATUS resolved = ResolvePath(tree, key, nullptr, path); resolved != ERROR_SUCCESS) {
      return resolved;
    }
    RegistryValue& value = (*tree.ValuesOf(path))[WString(valueName != nullptr ? valueName : u"")];
    value.type = type;
    value.data.assign(data, data + size);
    changed = true;
    return ERROR_SUCCESS;
  });
}

LSTATUS WINAPI RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type,
                                LPBYTE data, LPDWORD size) {
  if (reserved != nullptr || (data != nullptr && size == nullptr)) return ERROR_INVALID_PARAMETER;
  std::lock_guard lock(registryMutex);
  RegistryValue value;
  const LSTATUS status = WithRegistry([&](RegistryTree& tree, bool&) -> LSTATUS {
    WString path;
    if (const LSTATUS resolved = ResolvePath(tree, key, nullptr, path); resolved != ERROR_SUCCESS) {
      return resolved;
    }
    const RegistryValue* found = FindValue(tree, path, valueName);
    if (found == nullptr) return ERROR_FILE_NOT_FOUND;
    value = *found;
    return ERROR_SUCCESS;
  });
  if (status != ERROR_SUCCESS) return status;
  return CopyValue(value, type, data, size);
}

LSTATUS WINAPI RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameLength,
                             LPDWORD reserved, LPWSTR keyClass, LPDWORD keyClassLength,
                             LPFILETIME lastWriteTime) {
  if (name == nullptr || nameLength == nullptr || reserved != nullptr) {
    return ERROR_INVALID_PARAMETER;
  }
  std::lock_guard lock(registryMutex);
  WString subkeyName;
  const LSTATUS status = WithRegistry([&](RegistryTree& tree, bool&) -> LSTATUS {
    WString path;
    if (const LSTATUS resolved = ResolvePath(tree, key, nullptr, path); resolved != ERROR_SUCCESS) {
      return resolved;
    }
    const std::vector<WString> names = tree.SubkeyNames(path);
    if (index >= names.size()) return ERROR_NO_MORE_ITEMS;
    subkeyName = names[index];
    return ERROR_SUCCESS;
  });
  if (status != ERROR_SUCCESS) return status;
  if (const LSTATUS copied = CopyName(subkeyName, name, nameLength); copied != ERROR_SUCCESS) {
    return copied;
  }
  if (keyClassLength != nullptr) {
    if (keyClass != nullptr && *keyClassLength > 0) keyClass[0] = 0;
    *keyClassLength = 0;
  }
  if (lastWriteTime != nullptr) *lastWriteTime = FILETIME{0, 0};
  return ERROR_SUCCESS;
}

LSTATUS WINAPI RegEnumValueW(HKEY key, DWORD index, LPWSTR valueName, LPDWORD valueNameLength,
                             LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size) {
  if (valueName == nullptr || valueNameLength == nullptr || reserved != nullptr ||
      (data != nullptr && size == nullptr)) {
    return ERROR_INVALID_PARAMETER;
  }
  std::lock_guard lock(registryMutex);
  WString name;
  RegistryValue value;
  const LSTATUS status = WithRegistry([&](RegistryTree& tree, bool&) -> LSTATUS {
    WString path;
    if (const LSTATUS resolved = ResolvePath(tree, key, nullptr, path); resolved != ERROR_SUCCESS) {
      return resolved;
    }
    const RegistryTree::Values& values = *tree.ValuesOf(path);
    if (index >= values.size()) return ERROR_NO_MORE_ITEMS;
    std::tie(name, value) = *std::next(values.begin(), index);
    return ERROR_SUCCESS;
  });
  if (status != ERROR_SUCCESS) return status;
  if (const LSTATUS copied = CopyName(name, valueName, valueNameLength); copied != ERROR_SUCCESS) {
    return copied;
  }
  return CopyValue(value, type, data, size);
}

LSTATUS WINAPI RegCloseKey(HKEY key) {
  if (IsPredefined(key)) return ERROR_SUCCESS;
  std::lock_guard lock(registryMutex);
  return openKeys.erase(key) == 1 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LSTATUS WINAPI RegDeleteKeyW(HKEY key, LPCWSTR subKey) {
  if (subKey == nullptr) return ERROR_INVALID_PARAMETER;
  std::lock_guard lock(registryMutex);
  return WithRegistry([&](RegistryTree& tree, bool& changed) -> LSTATUS {
    WString path;
    if (const LSTATUS resolved = ResolvePath(tree, key, subKey, path); resolved != ERROR_SUCCESS) {
      return resolved;
    }
    if (!tree.Find(path)) return ERROR_FILE_NOT_FOUND;
    if (RegistryParentPath(path).empty() || tree.HasSubkeys(path)) return ERROR_ACCESS_DENIED;
    tree.Remove(path);
    changed = true;
    return ERROR_SUCCESS;
  });
}
