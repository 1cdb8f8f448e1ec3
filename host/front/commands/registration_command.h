// zelvar-home --register and --unregister: the module's own DllRegisterServer and
// DllUnregisterServer, called on the registry of this user.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

// Before a registration: a registry file that cannot be read as one is set aside, so that the
// registration writes a fresh one; answers what was done, for standard error. Throws HostError
// when it cannot be set aside.
std::optional<std::string> SetAsideDamagedRegistry();

// Registers the module file as the battery plug-in's server; answers what was done. Throws
// HostError when the module cannot be loaded or its registration fails.
std::string RunRegister(const std::filesystem::path& moduleFile);

// Removes the battery plug-in's registration through the module's DllUnregisterServer; answers
// what was done. Throws HostError when nothing was registered ("nothing was registered in
// HKEY_CLASSES_ROOT\...") or the module cannot be loaded or fails.
std::string RunUnregister(const std::filesystem::path& moduleFile);

// The module that unregisters: the one given, else the registered one, else the fallback.
std::filesystem::path ModuleToUnregister(const std::optional<std::string>& given,
                                         const std::filesystem::path& fallback);
