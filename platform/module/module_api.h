// Module handles and file names of the device platform, for the modules (shared libraries) loaded
// in this process.
//
// A module handle is the address at which the module's first segment is mapped, as on the device,
// where a module's handle is its load address; it stays valid while the module is loaded.
//
// Module names: the device's "<name>.dll" is the shared library file "<name>.so" here. A name
// ending in ".dll" stands for the file with ".so" in its place ("zelvarplug.dll" ->
// "zelvarplug.so"); any other name stands for itself. A name is matched against the file name of
// each loaded module without its folder, ignoring the case of ASCII letters as the device's file
// system does. Nothing else matches: not "libzelvarplug.so", not "zelvarplug.dll", not a copy under
// another name.
#pragma once

#include "platform/win_types.h"

typedef struct HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;

// The handle of the loaded module with that file name (see above), without adding a reference; the
// main program for a null name; nullptr when no such module is loaded or the name holds a folder.
HMODULE WINAPI GetModuleHandleW(LPCWSTR moduleName);

// Copies the module's full path (the main program's for a null module) with its NUL and answers
// the number of characters copied without the NUL. A buffer too small receives capacity - 1
// characters and a NUL, and the answer is capacity. Answers 0 for a module that is not loaded, a
// null buffer or a capacity of 0. A module loaded through a relative path is reported under the
// absolute path of the file as it is mapped (links resolved).
DWORD WINAPI GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD capacity);

// The device stops sending thread attach and detach notifications to the module; this platform
// sends none anyway and only records the call. FALSE for a handle that names no loaded module.
BOOL WINAPI DisableThreadLibraryCalls(HMODULE module);

// Whether DisableThreadLibraryCalls succeeded for the handle in this process (stand-in only). The
// record stays when the module is unloaded.
bool ThreadLibraryCallsDisabled(HMODULE module);
