#include "platform/module/module_entry.h"

#include <dlfcn.h>

HMODULE ModuleHandleContaining(const void* address) {
  Dl_info info{};
  if (dladdr(address, &info) == 0) return nullptr;
  // The loader's base of the object is the address of its first mapped segment, which is what
  // GetModuleHandleW answers for it.
  return static_cast<HMODULE>(info.dli_fbase);
}
