#include "host/hosting/activation/module_location.h"

#include <system_error>

#include "host/hosting/host_error.h"

std::filesystem::path ModuleBesideProgram() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error)
    throw HostError("cannot find the program's own file in /proc/self/exe: " + error.message());
  return (program.parent_path() / ZELVARPLUG_FROM_PROGRAM).lexically_normal();
}
