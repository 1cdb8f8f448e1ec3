// The module's four exports, the only names a host finds in it: the class object and the unload
// answer for activation, and self-registration for installation and removal.
#pragma once

#include "platform/api.h"

// Hands out a CZelvarPluginFactory for the plug-in's class id: CLASS_E_CLASSNOTAVAILABLE for any
// other class, E_NOINTERFACE when the factory does not offer the interface, E_OUTOFMEMORY, and
// E_POINTER for a null out pointer. *ppv is null after every failure.
STDAPI DllGetClassObject(REFCLSID classId, REFIID riid, LPVOID* ppv);
// S_OK when no plug-in object lives and no server lock is held, S_FALSE otherwise.
STDAPI DllCanUnloadNow();
// Writes the class key and its InprocServer32 key with this module's path; S_OK or E_FAIL.
STDAPI DllRegisterServer();
// Deletes the InprocServer32 key, then the class key; S_OK or E_FAIL.
STDAPI DllUnregisterServer();
