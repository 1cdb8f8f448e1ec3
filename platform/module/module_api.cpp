#include "platform/module/module_api.h"

#include <link.h>
#include <unistd.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/text/wide_text.h"

namespace {

struct LoadedModule {
  HMODULE handle;
  std::string path;  // as the loader knows it; empty for the main program
};

int CollectModule(dl_phdr_info* info, size_t /*size*/, void* modules) {
  std::optional<ElfW(Addr)> firstSegment;
  for (ElfW(Half) i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr)& header = info->dlpi_phdr[i];
    if (header.p_type == PT_LOAD) {
      firstSegment = std::min(firstSegment.value_or(header.p_vaddr), header.p_vaddr);
    }
  }
  if (firstSegment) {
    static_cast<std::vector<LoadedModule>*>(modules)->push_back(
        {reinterpret_cast<HMODULE>(info->dlpi_addr + *firstSegment),
         info->dlpi_name != nullptr ? info->dlpi_name : ""});
  }
  return 0;
}

// The loaded modules, the main program first.
std::vector<LoadedModule> LoadedModules() {
  std::vector<LoadedModule> modules;
  dl_iterate_phdr(CollectModule, &modules);
  return modules;
}

std::string ExecutablePath() {
  std::string path(256, '\0');
  while (true) {
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length < 0) return "";
    if (static_cast<size_t>(length) < path.size()) {
      path.resize(static_cast<size_t>(length));
      return path;
    }
    path.resize(path.size() * 2);
  }
}

// The path of the file mapped at `address`, as the kernel names it; empty when none is.
std::string MappedFilePath(HMODULE address) {
  std::ifstream maps("/proc/self/maps");
  std::string line;
  const auto target = reinterpret_cast<uintptr_t>(address);
  while (std::getline(maps, line)) {
    uintptr_t start = 0;
    uintptr_t end = 0;
    int pathStart = 0;
    // start-end perms offset device inode, then the path after some blanks.
    if (std::sscanf(line.c_str(), "%" SCNxPTR "-%" SCNxPTR " %*s %*s %*s %*s %n", &start, &end,
                    &pathStart) < 2 ||
        pathStart == 0 || target < start || target >= end) {
      continue;
    }
    return line.substr(static_cast<size_t>(pathStart));
  }
  return "";
}

std::string FullPath(const LoadedModule& module, bool mainProgram) {
  if (mainProgram && module.path.empty()) return ExecutablePath();
  if (module.path.empty() || module.path.front() == '/') return module.path;
  // The loader keeps a relative path as it was given, relative to the folder current at loading
  // time; the mapping knows where the file really is.
  return MappedFilePath(module.handle);
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [&](char x, char y) { return lower(x) == lower(y); });
}

// The shared library file name that a device module name stands for.
std::string FileNameOnThisPlatform(WStringView moduleName) {
  std::string name = NarrowUtf8(moduleName);
  constexpr std::string_view kDeviceSuffix = ".dll";
  if (name.size() > kDeviceSuffix.size() &&
      EqualIgnoringAsciiCase(std::string_view(name).substr(name.size() - kDeviceSuffix.size()),
                             kDeviceSuffix)) {
    name.replace(name.size() - kDeviceSuffix.size(), kDeviceSuffix.size(), ".so");
  }
  return name;
}

std::string_view BaseName(std::string_view path) {
  const size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::mutex disabledMutex;
std::set<HMODULE> threadCallsDisabled;

}  // namespace

HMODULE WINAPI GetModuleHandleW(LPCWSTR moduleName) {
  const std::vector<LoadedModule> modules = LoadedModules();
  if (moduleName == nullptr) return modules.empty() ? nullptr : modules.front().handle;
  const WStringView requested(moduleName);
  if (requested.empty() || requested.find_first_of(u"\\/") != WStringView::npos) return nullptr;
  const std::string fileName = FileNameOnThisPlatform(requested);
  for (size_t i = 0; i < modules.size(); ++i) {
    const bool mainProgram = i == 0 && modules[i].path.empty();
    const std::string loaderName = mainProgram ? ExecutablePath() : modules[i].path;
    if (EqualIgnoringAsciiCase(BaseName(loaderName), fileName)) {
      return modules[i].handle;
    }
  }
  return nullptr;
}

DWORD WINAPI GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD capacity) {
  if (fileName == nullptr || capacity == 0) return 0;
  const std::vector<LoadedModule> modules = LoadedModules();
  for (size_t i = 0; i < modules.size(); ++i) {
    const bool mainProgram = i == 0;
    if (modules[i].handle != module && !(module == nullptr && mainProgram)) continue;
    const WString path = WidenUtf8(FullPath(modules[i], mainProgram));
    if (path.empty()) return 0;
    const size_t copied = std::min<size_t>(path.size(), capacity - 1);
    std::copy_n(path.begin(), copied, fileName);
    fileName[copied] = 0;
    return path.size() < capacity ? static_cast<DWORD>(path.size()) : capacity;
  }
  return 0;
}

BOOL WINAPI DisableThreadLibraryCalls(HMODULE module) {
  const std::vector<LoadedModule> modules = LoadedModules();
  const bool loaded = std::any_of(modules.begin(), modules.end(),
                                  [&](const LoadedModule& m) { return m.handle == module; });
  if (!loaded) return FALSE;
  std::lock_guard lock(disabledMutex);
  threadCallsDisabled.insert(module);
  return TRUE;
}

bool ThreadLibraryCallsDisabled(HMODULE module) {
  std::lock_guard lock(disabledMutex);
  return threadCallsDisabled.count(module) == 1;
}
