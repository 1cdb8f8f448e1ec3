#include "host/notify/systemd_library.h"

#include <dlfcn.h>

#include <string>
#include <type_traits>

namespace {

constexpr const char* kLibrary = "libsystemd.so.0";

Outcome<SystemdLibrary> Load() {
  // Kept loaded until the process ends: the bus connections made through it live as long.
  void* library = dlopen(kLibrary, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* cause = dlerror();
    return Problem{std::string("cannot load ") + kLibrary + ": " +
                   (cause != nullptr ? cause : "unknown cause")};
  }
  SystemdLibrary c{};
  // The first symbol the library lacks.
  const char* missing = nullptr;
  const auto resolve = [library, &missing](const char* name, auto& call) {
    call = reinterpret_cast<std::remove_reference_t<decltype(call)>>(dlsym(library, name));
    if (call == nullptr && missing == nullptr) missing = name;
  };
  resolve("sd_bus_open_user", c.busOpenUser);
  resolve("sd_bus_open_system", c.busOpenSystem);
  resolve("sd_bus_close_unref", c.busCloseUnref);
  resolve("sd_bus_flush", c.busFlush);
  resolve("sd_bus_call_async", c.busCallAsync);
  resolve("sd_bus_process", c.busProcess);
  resolve("sd_bus_wait", c.busWait);
  resolve("sd_bus_get_fd", c.busGetFd);
  resolve("sd_bus_get_events", c.busGetEvents);
  resolve("sd_bus_get_timeout", c.busGetTimeout);
  resolve("sd_bus_is_open", c.busIsOpen);
  resolve("sd_bus_is_ready", c.busIsReady);
  resolve("sd_bus_error_free", c.busErrorFree);
  resolve("sd_bus_message_new_method_call", c.messageNewMethodCall);
  resolve("sd_bus_message_unref", c.messageUnref);
  resolve("sd_bus_message_append", c.messageAppend);
  resolve("sd_bus_message_open_container", c.messageOpenContainer);
  resolve("sd_bus_message_close_container", c.messageCloseContainer);
  resolve("sd_bus_message_enter_container", c.messageEnterContainer);
  resolve("sd_bus_message_read", c.messageRead);
  resolve("sd_bus_message_get_error", c.messageGetError);
  resolve("sd_notify", c.notify);
  if (missing == nullptr) return c;
  dlclose(library);
  return Problem{std::string("cannot find ") + missing + " in " + kLibrary};
}

}  // namespace

Outcome<const SystemdLibrary*> Systemd() {
  static const Outcome<SystemdLibrary> loaded = Load();
  if (!loaded.ok()) return Problem{loaded.problem()};
  return &loaded.value();
}
