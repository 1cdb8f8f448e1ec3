// The registry file's text form. Lines end in "\n" (a "\r" before it is accepted); blank lines and
// lines starting with "#" are ignored when reading. Example:
//
//   zelvar-registry 1
//   key HKEY_CLASSES_ROOT
//   key HKEY_CLASSES_ROOT\CLSID
//   key HKEY_CLASSES_ROOT\CLSID\{FDEA2F9B-0266-11cf-BAA6-00AA003E0E01}
//   value "" 1 24 440065006d006f00200050006c007500670069006e000000
//   end
//
// - The first line names the format and its version.
// - "key <path>" starts a key: its full path from a predefined root, names separated by "\".
//   A key's parent must come before it (roots exist without being listed); no key is listed twice.
// - "value <name> <type> <size> <bytes>" gives a value of the key above it: the name in double
//   quotes ("" is the default value), the type and byte size in decimal, and the bytes as two hex
//   digits each (the bytes are left out when the size is 0). A key lists each value name once.
// - "end" closes the file, so a file cut short is seen as damaged.
// Names are UTF-16 code units: printable ASCII other than space, '%' and '"' stands for itself; any
// other unit is written %XXXX (four hex digits), e.g. "My%0020Documents".
#pragma once

#ifndef ZELVAR_REGISTRY_INTERNALS
#error \
    "internal to the platform's registry family: only platform_registry and its tests (platform_registry_internals) include it"
#endif

#include <string>
#include <string_view>

#include "platform/registry/registry_tree.h"

std::string FormatRegistryFile(const RegistryTree& tree);

// Reads the text into a fresh tree. On damage answers false and describes the problem and its line
// number in `problem` ("line 3: value before any key").
bool ParseRegistryFile(std::string_view text, RegistryTree& tree, std::string& problem);
