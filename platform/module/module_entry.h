// The module entry point: the device's loader calls a module's DllMain with its instance handle
// when it maps the module into a process and when it unmaps it. The Windows build gets both from
// the system. Here the shared library's own load and unload hooks play the loader's part: a module
// source defines DllMain and then names it once with ZELVAR_MODULE_ENTRY_POINT(DllMain).
#pragma once

#if defined(_WIN32)
#include <windows.h>

#define ZELVAR_MODULE_ENTRY_POINT(entry)
#else
#include "platform/module/module_api.h"
#include "platform/win_types.h"

#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

// The handle (as GetModuleHandleW gives it) of the loaded module whose image holds `address`;
// nullptr when no module does. A module finds its own instance handle this way whatever its file
// is called.
HMODULE ModuleHandleContaining(const void* address);

// Calls `entry` with the module's instance handle: DLL_PROCESS_ATTACH when the library is loaded,
// DLL_PROCESS_DETACH when it is unloaded. Both hooks stay local to the module.
#define ZELVAR_MODULE_ENTRY_POINT(entry)                                               \
  namespace {                                                                          \
  HINSTANCE ZelvarOwnModuleHandle();                                                   \
  __attribute__((constructor)) void ZelvarModuleAttach() {                             \
    entry(ZelvarOwnModuleHandle(), DLL_PROCESS_ATTACH, nullptr);                       \
  }                                                                                    \
  __attribute__((destructor)) void ZelvarModuleDetach() {                              \
    entry(ZelvarOwnModuleHandle(), DLL_PROCESS_DETACH, nullptr);                       \
  }                                                                                    \
  HINSTANCE ZelvarOwnModuleHandle() {                                                  \
    return ModuleHandleContaining(reinterpret_cast<const void*>(&ZelvarModuleAttach)); \
  }                                                                                    \
  }
#endif
