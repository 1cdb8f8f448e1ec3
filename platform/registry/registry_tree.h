// A whole registry as plain data: every key by its full path ("HKEY_CLASSES_ROOT\CLSID\..."), each
// with its values. The registry calls load it from the store, change it and hand it back.
#pragma once

#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "platform/registry/registry.h"
#include "platform/text/wide_text.h"

struct RegistryValue {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
  bool operator==(const RegistryValue&) const = default;
};

// Orders key and value names without regard to case, as the device compares them: ASCII and
// Latin-1 letters match their capitals.
struct RegistryNameLess {
  using is_transparent = void;
  bool operator()(WStringView a, WStringView b) const;
};
bool RegistryNamesEqual(WStringView a, WStringView b);

// Names of the predefined roots; the key paths of HKEY_CLASSES_ROOT, HKEY_CURRENT_USER...
inline constexpr WStringView kRegistryRootNames[] = {u"HKEY_CLASSES_ROOT", u"HKEY_CURRENT_USER",
                                                     u"HKEY_LOCAL_MACHINE", u"HKEY_USERS"};

class RegistryTree {
 public:
  using Values = std::map<WString, RegistryValue, RegistryNameLess>;
  using Keys = std::map<WString, Values, RegistryNameLess>;

  // An empty registry: the predefined roots without values.
  RegistryTree();

  // The path of an existing key as stored (in the case each key was created with), or nullopt.
  std::optional<WString> Find(WStringView path) const;
  // Creates the key and any missing keys above it. Answers the stored path and whether the key is
  // new, or nullopt (creating nothing) when the path is not well formed or its root is not
  // predefined.
  std::optional<std::pair<WString, bool>> Create(WStringView path);
  // Deletes the one key; the caller makes sure that it is no root and has no subkeys.
  void Remove(WStringView path);
  bool HasSubkeys(WStringView path) const;
  // Names of the key's direct subkeys in order.
  std::vector<WString> SubkeyNames(WStringView path) const;
  // The values of an existing key, or nullptr.
  Values* ValuesOf(WStringView path);
  const Values* ValuesOf(WStringView path) const;
  // Every key in order: a key comes before its subkeys.
  const Keys& AllKeys() const { return keys_; }

  bool operator==(const RegistryTree&) const = default;

 private:
  std::pair<WString, bool> CreateWellFormed(WStringView path);

  Keys keys_;
};

// A path is well formed when it is made of one or more non-empty names separated by single
// backslashes.
bool RegistryPathWellFormed(WStringView path);

// The parent's path, or an empty view for a root.
WStringView RegistryParentPath(WStringView path);
