// The registry of the device platform: keys under the predefined roots, each with named values of a
// type and exact bytes. The calls work on the installed registry store (registry_store.h).
//
// As on the device: key and value names are compared without regard to case and kept in the case
// they were created with; a value keeps its type, its bytes and the byte size the caller gave (a
// REG_SZ value holds its terminating NUL only when the caller counted it). Deleting a key that
// still has subkeys fails with ERROR_ACCESS_DENIED. Not kept: access rights (the access mask is
// ignored), security attributes, key classes and write times (reported empty and zero), volatile
// keys.
#pragma once

#include "platform/time/time_api.h"
#include "platform/win_errors.h"
#include "platform/win_types.h"

typedef struct HKEY__* HKEY;
typedef HKEY* PHKEY;
typedef LONG LSTATUS;
typedef DWORD ACCESS_MASK;
typedef ACCESS_MASK REGSAM;
typedef DWORD* LPDWORD;

typedef struct _SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *PSECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;

#define HKEY_CLASSES_ROOT ((HKEY)(ULONG_PTR)0x80000000)
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)0x80000001)
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)0x80000002)
#define HKEY_USERS ((HKEY)(ULONG_PTR)0x80000003)

#define REG_NONE 0
#define REG_SZ 1
#define REG_BINARY 3
#define REG_DWORD 4

#define REG_OPTION_NON_VOLATILE 0x00000000L

#define KEY_QUERY_VALUE 0x0001
#define KEY_READ 0x20019
#define KEY_ALL_ACCESS 0xF003F

#define REG_CREATED_NEW_KEY 0x00000001L
#define REG_OPENED_EXISTING_KEY 0x00000002L

// Creates the subkey path (with any missing keys on the way) or opens it if it exists, and hands
// out a handle in *result (nullptr on failure). An empty or null subkey opens `key` itself again.
// Reserved must be 0 and options REG_OPTION_NON_VOLATILE. A path with an empty name in it ("a\\b",
// "\a", "a\") fails with ERROR_BAD_PATHNAME.
LSTATUS WINAPI RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass,
                               DWORD options, REGSAM desiredAccess,
                               const LPSECURITY_ATTRIBUTES securityAttributes, PHKEY result,
                               LPDWORD disposition);
// Opens an existing key; ERROR_FILE_NOT_FOUND when it does not exist.
LSTATUS WINAPI RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM desiredAccess,
                             PHKEY result);
// Stores `size` bytes from `data` under the value name (null or "" names the default value).
LSTATUS WINAPI RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type,
                              const BYTE* data, DWORD size);
// Reports the value's type and byte size exactly as stored. With `data` null only the size is
// reported; a buffer smaller than the value gives ERROR_MORE_DATA, the needed size in *size, and
// leaves the buffer as it was.
LSTATUS WINAPI RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type,
                                LPBYTE data, LPDWORD size);
// Subkey names in order without regard to case; ERROR_NO_MORE_ITEMS past the last one. *nameLength
// holds the buffer's capacity in characters on entry and the name's length without the NUL on
// return; a buffer too small for name and NUL gives ERROR_MORE_DATA.
LSTATUS WINAPI RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameLength,
                             LPDWORD reserved, LPWSTR keyClass, LPDWORD keyClassLength,
                             LPFILETIME lastWriteTime);
// Value names in order without regard to case, with type and data as RegQueryValueExW reports them.
LSTATUS WINAPI RegEnumValueW(HKEY key, DWORD index, LPWSTR valueName, LPDWORD valueNameLength,
                             LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size);
// Closing a predefined root is allowed and does nothing.
LSTATUS WINAPI RegCloseKey(HKEY key);
// Deletes one key without subkeys: ERROR_FILE_NOT_FOUND when it is missing, ERROR_ACCESS_DENIED
// when it has subkeys or is a predefined root. An empty subkey deletes `key` itself. Handles still
// open on a deleted key answer ERROR_KEY_DELETED.
LSTATUS WINAPI RegDeleteKeyW(HKEY key, LPCWSTR subKey);
