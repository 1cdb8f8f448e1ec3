#include "platform/registry/registry.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/registry/registry_store_memory.h"
#include "tests/fakes/caller_trace.h"

namespace {

constexpr WCHAR kClassKey[] = u"CLSID\\{FDEA2F9B-0266-11cf-BAA6-00AA003E0E01}";
constexpr WCHAR kServerKey[] = u"CLSID\\{FDEA2F9B-0266-11cf-BAA6-00AA003E0E01}\\InprocServer32";
const HKEY kUnset = reinterpret_cast<HKEY>(0x5EED);

std::vector<BYTE> Bytes(const void* data, size_t size) {
  const auto* bytes = static_cast<const BYTE*>(data);
  return std::vector<BYTE>(bytes, bytes + size);
}

class RegistryTest : public ::testing::Test {
 protected:
  ~RegistryTest() override {
    for (HKEY key : opened_) RegCloseKey(key);
  }

  HKEY Create(HKEY parent, LPCWSTR path, DWORD* disposition = nullptr,
              CallerLocation caller = CallerLocation::Current()) {
    const CallerTrace trace(caller);
    HKEY key = kUnset;
    EXPECT_EQ(RegCreateKeyExW(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &key, disposition),
              ERROR_SUCCESS);
    opened_.push_back(key);
    return key;
  }

  LSTATUS Open(HKEY parent, LPCWSTR path, CallerLocation caller = CallerLocation::Current()) {
    const CallerTrace trace(caller);
    HKEY key = kUnset;
    const LSTATUS status = RegOpenKeyExW(parent, path, 0, KEY_READ, &key);
    if (status == ERROR_SUCCESS) {
      opened_.push_back(key);
    } else {
      EXPECT_EQ(key, nullptr);
    }
    return status;
  }

  void Set(HKEY key, LPCWSTR name, DWORD type, const void* data, DWORD size,
           CallerLocation caller = CallerLocation::Current()) {
    const CallerTrace trace(caller);
    EXPECT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
  }

  std::vector<BYTE> Query(HKEY key, LPCWSTR name, DWORD expectedType,
                          CallerLocation caller = CallerLocation::Current()) {
    const CallerTrace trace(caller);
    DWORD type = 0xDEAD;
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(key, name, nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, expectedType);
    std::vector<BYTE> data(size + 8, 0xCC);
    DWORD capacity = static_cast<DWORD>(data.size());
    EXPECT_EQ(RegQueryValueExW(key, name, nullptr, nullptr, data.data(), &capacity), ERROR_SUCCESS);
    EXPECT_EQ(capacity, size);
    data.resize(capacity);
    return data;
  }

  WString SubkeyAt(HKEY key, DWORD index, CallerLocation caller = CallerLocation::Current()) {
    const CallerTrace trace(caller);
    WCHAR name[64];
    DWORD length = 64;
    EXPECT_EQ(RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    return WString(name, length);
  }

  MemoryRegistryStore store_;
  ScopedRegistryStore installed_{store_};
  std::vector<HKEY> opened_;
};

TEST_F(RegistryTest, CreatingReportsNewOrExistingKeysAndMakesMissingParents) {
  DWORD disposition = 0;
  Create(HKEY_CLASSES_ROOT, kServerKey, &disposition);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  EXPECT_EQ(Open(HKEY_CLASSES_ROOT, kClassKey), ERROR_SUCCESS);
  Create(HKEY_CLASSES_ROOT, kClassKey, &disposition);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);

  EXPECT_EQ(Open(HKEY_CLASSES_ROOT, u"CLSID\\missing"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Open(HKEY_CURRENT_USER, u"CLSID"), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, NamesMatchWithoutRegardToCaseAndKeepTheirFirstSpelling) {
  HKEY classKey = Create(HKEY_CLASSES_ROOT, kClassKey);
  DWORD disposition = 0;
  Create(HKEY_CLASSES_ROOT, u"clsid\\{fdea2f9b-0266-11CF-baa6-00aa003e0e01}", &disposition);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  EXPECT_EQ(Open(HKEY_CLASSES_ROOT, u"CLSID\\{FDEA2F9B-0266-11CF-BAA6-00AA003E0E01}"),
            ERROR_SUCCESS);

  HKEY clsid = Create(HKEY_CLASSES_ROOT, u"ClSiD");
  EXPECT_EQ(SubkeyAt(HKEY_CLASSES_ROOT, 0), u"CLSID");
  EXPECT_EQ(SubkeyAt(clsid, 0), u"{FDEA2F9B-0266-11cf-BAA6-00AA003E0E01}");

  Set(classKey, u"Mode", REG_SZ, u"a", 4);
  Set(classKey, u"MODE", REG_SZ, u"b", 4);
  EXPECT_EQ(Query(classKey, u"mode", REG_SZ), Bytes(u"b", 4));
  WCHAR name[16];
  DWORD nameLength = 16;
  ASSERT_EQ(RegEnumValueW(classKey, 0, name, &nameLength, nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(WString(name, nameLength), u"Mode");
  nameLength = 16;
  EXPECT_EQ(RegEnumValueW(classKey, 1, name, &nameLength, nullptr, nullptr, nullptr, nullptr),
            ERROR_NO_MORE_ITEMS);
}

TEST_F(RegistryTest, ValuesKeepTypeBytesAndTheSizeTheCallerGave) {
  HKEY key = Create(HKEY_CLASSES_ROOT, kClassKey);
  Set(key, nullptr, REG_SZ, u"Demo Plugin", 24);
  EXPECT_EQ(Query(key, u"", REG_SZ), Bytes(u"Demo Plugin", 24));

  Set(key, u"odd", REG_SZ, u"xy", 3);
  EXPECT_EQ(Query(key, u"odd", REG_SZ).size(), 3u);

  const BYTE binary[] = {0, 0xFF, 0, 7};
  Set(key, u"bin", REG_BINARY, binary, sizeof binary);
  EXPECT_EQ(Query(key, u"bin", REG_BINARY), Bytes(binary, sizeof binary));

  Set(key, u"empty", REG_BINARY, nullptr, 0);
  EXPECT_TRUE(Query(key, u"empty", REG_BINARY).empty());
  EXPECT_EQ(RegSetValueExW(key, u"bad", 0, REG_BINARY, nullptr, 4), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, QueryRefusesSmallBuffersAndMissingValues) {
  HKEY key = Create(HKEY_CLASSES_ROOT, kClassKey);
  Set(key, nullptr, REG_SZ, u"Demo Plugin", 24);

  BYTE buffer[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  DWORD size = sizeof buffer;
  DWORD type = 0;
  EXPECT_EQ(RegQueryValueExW(key, nullptr, nullptr, &type, buffer, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 24u);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(buffer[0], 1);

  size = sizeof buffer;
  EXPECT_EQ(RegQueryValueExW(key, u"missing", nullptr, nullptr, buffer, &size),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegQueryValueExW(key, nullptr, nullptr, nullptr, buffer, nullptr),
            ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, DeletingNeedsAnExistingKeyWithoutSubkeys) {
  EXPECT_EQ(RegDeleteKeyW(HKEY_CLASSES_ROOT, kServerKey), ERROR_FILE_NOT_FOUND);
  Create(HKEY_CLASSES_ROOT, kServerKey);

  EXPECT_EQ(RegDeleteKeyW(HKEY_CLASSES_ROOT, kClassKey), ERROR_ACCESS_DENIED);
  EXPECT_EQ(Open(HKEY_CLASSES_ROOT, kClassKey), ERROR_SUCCESS);

  EXPECT_EQ(RegDeleteKeyW(HKEY_CLASSES_ROOT,
                          u"clsid\\{FDEA2F9B-0266-11CF-BAA6-00AA003E0E01}\\inprocserver32"),
            ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CLASSES_ROOT, kClassKey), ERROR_SUCCESS);
  EXPECT_EQ(Open(HKEY_CLASSES_ROOT, kClassKey), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CLASSES_ROOT, kClassKey), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CLASSES_ROOT, u""), ERROR_ACCESS_DENIED);
}

TEST_F(RegistryTest, HandlesOfDeletedOrClosedKeysAreRefused) {
  HKEY key = Create(HKEY_CLASSES_ROOT, kClassKey);
  ASSERT_EQ(RegDeleteKeyW(HKEY_CLASSES_ROOT, kClassKey), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExW(key, nullptr, 0, REG_SZ, nullptr, 0), ERROR_KEY_DELETED);

  opened_.clear();
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegSetValueExW(key, nullptr, 0, REG_SZ, nullptr, 0), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(HKEY_CLASSES_ROOT), ERROR_SUCCESS);
}

TEST_F(RegistryTest, MalformedPathsAndArgumentsChangeNothing) {
  HKEY key = kUnset;
  for (LPCWSTR path : {u"a\\\\b", u"\\a", u"a\\"}) {
    EXPECT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_BAD_PATHNAME);
    EXPECT_EQ(key, nullptr);
  }
  EXPECT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, u"a", 1, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegCreateKeyExW(kUnset, u"a", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_INVALID_HANDLE);
  EXPECT_EQ(store_.tree(), RegistryTree());
}

TEST_F(RegistryTest, SubkeysEnumerateInOrderWithoutRegardToCase) {
  HKEY parent = Create(HKEY_CURRENT_USER, u"Software");
  for (LPCWSTR name : {u"beta", u"Alpha", u"gamma\\deeper"}) Create(parent, name);
  EXPECT_EQ(SubkeyAt(parent, 0), u"Alpha");
  EXPECT_EQ(SubkeyAt(parent, 1), u"beta");
  EXPECT_EQ(SubkeyAt(parent, 2), u"gamma");
  WCHAR name[8];
  DWORD length = 8;
  EXPECT_EQ(RegEnumKeyExW(parent, 3, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_NO_MORE_ITEMS);
  length = 5;
  EXPECT_EQ(RegEnumKeyExW(parent, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_MORE_DATA);
}

TEST_F(RegistryTest, ScopedStoreRestoresThePreviousStore) {
  {
    MemoryRegistryStore inner;
    ScopedRegistryStore installed(inner);
    Create(HKEY_CLASSES_ROOT, kClassKey);
    EXPECT_NE(inner.tree(), RegistryTree());
  }
  EXPECT_EQ(Open(HKEY_CLASSES_ROOT, kClassKey), ERROR_FILE_NOT_FOUND);
}

class UnwritableStore : public MemoryRegistryStore {
 public:
  RegistryStoreResult Save(const RegistryTree&) override {
    return {ERROR_REGISTRY_IO_FAILED, "cannot write the test store"};
  }
};

TEST_F(RegistryTest, StoreFailuresAreAnsweredWithTheStoresCode) {
  UnwritableStore unwritable;
  ScopedRegistryStore installed(unwritable);
  HKEY key = kUnset;
  EXPECT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, kClassKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_REGISTRY_IO_FAILED);
  EXPECT_EQ(key, nullptr);
  EXPECT_EQ(RegSetValueExW(HKEY_CLASSES_ROOT, nullptr, 0, REG_SZ, nullptr, 0),
            ERROR_REGISTRY_IO_FAILED);
}

}  // namespace
