#include "windows/conformance/registry_reader.h"

namespace {

// Longer than any key or value name in the registry.
constexpr DWORD kNameCapacity = 16384;

}  // namespace

OpenedKey::OpenedKey(HKEY parent, const WString& path)
    : openResult_(RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, &key_)) {
  if (openResult_ != ERROR_SUCCESS) key_ = nullptr;
}

OpenedKey::~OpenedKey() {
  if (key_ != nullptr) RegCloseKey(key_);
}

std::vector<WString> OpenedKey::Subkeys() const {
  std::vector<WString> names;
  if (key_ == nullptr) return names;
  std::vector<WCHAR> name(kNameCapacity);
  for (DWORD index = 0;; ++index) {
    DWORD length = kNameCapacity;
    if (RegEnumKeyExW(key_, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    names.emplace_back(name.data(), length);
  }
  return names;
}

std::vector<StoredValue> OpenedKey::Values() const {
  std::vector<StoredValue> values;
  if (key_ == nullptr) return values;
  std::vector<WCHAR> name(kNameCapacity);
  for (DWORD index = 0;; ++index) {
    DWORD length = kNameCapacity;
    DWORD type = 0;
    DWORD size = 0;
    if (RegEnumValueW(key_, index, name.data(), &length, nullptr, &type, nullptr, &size) !=
        ERROR_SUCCESS)
      break;
    StoredValue value{WString(name.data(), length), type, std::vector<BYTE>(size)};
    DWORD read = size;
    RegQueryValueExW(key_, value.name.c_str(), nullptr, nullptr,
                     value.data.empty() ? nullptr : value.data.data(), &read);
    value.data.resize(read);
    values.push_back(std::move(value));
  }
  return values;
}

std::vector<BYTE> TextValueBytes(const WString& text) {
  std::vector<BYTE> bytes;
  for (WCHAR unit : text) {
    bytes.push_back(static_cast<BYTE>(unit));
    bytes.push_back(static_cast<BYTE>(static_cast<USHORT>(unit) >> 8));
  }
  bytes.push_back(0);
  bytes.push_back(0);
  return bytes;
}
