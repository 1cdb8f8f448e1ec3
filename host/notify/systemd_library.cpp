#include "host/notify/systemd_library.h"

#include <dlfcn.h>

#include <optional>

namespace {

constexpr const char* kLibrary = "libsystemd.so.0";

struct Loaded {
  SystemdLibrary calls{};
  std::string error;
};

// Fills `call` with the named symbol; false with `error` set when the library lacks it.
template <typename Call>
bool Resolve(void* library, const char* name, Call& call, std::string& error) {
  call = reinterpret_cast<Call>(dlsym(library, name));
  if (call == nullptr) error = std::string("cannot find ") + name + " in " + kLibrary;
  return call != nullptr;
}

Loaded Load() {
  Loaded loaded;
  // Kept loaded until the process ends: the bus connections made through it live as long.
  void* library = dlopen(kLibrary, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* cause = dlerror();
    loaded.error = std::string("cannot load ") + kLibrary + ": " +
                   (cause != nullptr ? cause : "unknown cause");
    return loaded;
  }
  SystemdLibrary& c = loaded.calls;
  std::string& e = loaded.error;
  const bool resolved =
      Resolve(library, "sd_bus_open_user", c.busOpenUser, e) &&
      Resolve(library, "sd_bus_flush_close_unref", c.busFlushCloseUnref, e) &&
      Resolve(library, "sd_bus_call_async", c.busCallAsync, e) &&
      Resolve(library, "sd_bus_process", c.busProcess, e) &&
      Resolve(library, "sd_bus_get_fd", c.busGetFd, e) &&
      Resolve(library, "sd_bus_get_events", c.busGetEvents, e) &&
      Resolve(library, "sd_bus_get_timeout", c.busGetTimeout, e) &&
      Resolve(library, "sd_bus_is_open", c.busIsOpen, e) &&
      Resolve(library, "sd_bus_is_ready", c.busIsReady, e) &&
      Resolve(library, "sd_bus_error_free", c.busErrorFree, e) &&
      Resolve(library, "sd_bus_message_new_method_call", c.messageNewMethodCall, e) &&
      Resolve(library, "sd_bus_message_unref", c.messageUnref, e) &&
      Resolve(library, "sd_bus_message_append", c.messageAppend, e) &&
      Resolve(library, "sd_bus_message_open_container", c.messageOpenContainer, e) &&
      Resolve(library, "sd_bus_message_close_container", c.messageCloseContainer, e) &&
      Resolve(library, "sd_bus_message_read", c.messageRead, e) &&
      Resolve(library, "sd_bus_message_get_error", c.messageGetError, e) &&
      Resolve(library, "sd_notify", c.notify, e);
  if (!resolved) dlclose(library);
  return loaded;
}

}  // namespace

const SystemdLibrary* Systemd(std::string& error) {
  static const Loaded loaded = Load();
  if (!loaded.error.empty()) {
    error = loaded.error;
    return nullptr;
  }
  return &loaded.calls;
}
