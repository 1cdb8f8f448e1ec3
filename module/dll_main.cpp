// The module's entry point, called by the loader when it maps the module and when it unmaps it.
#include "platform/api.h"
#include "platform/module/module_entry.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
  // The module keeps no per-thread state, so thread attach and detach notifications would only
  // cost time.
  if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
  return TRUE;
}

ZELVAR_MODULE_ENTRY_POINT(DllMain)
