// libsystemd, loaded on first use: only a run that warns on the desktop or runs as a service maps
// it (and the six libraries it brings), so a run that prints one line starts without them.
#pragma once

#include <systemd/sd-bus.h>
#include <systemd/sd-daemon.h>

#include "host/hosting/outcome.h"

// The library's calls this program makes.
struct SystemdLibrary {
  decltype(&sd_bus_open_user) busOpenUser;
  decltype(&sd_bus_open_system) busOpenSystem;
  // Closes without flushing: sd_bus_flush_close_unref would first wait for the bus's greeting, up
  // to sd-bus's own 90 s on a bus that never answers. A call is written as it is sent on a bus
  // that has greeted, so only what was sent before the greeting is left unwritten.
  decltype(&sd_bus_close_unref) busCloseUnref;
  decltype(&sd_bus_flush) busFlush;
  decltype(&sd_bus_call_async) busCallAsync;
  decltype(&sd_bus_process) busProcess;
  decltype(&sd_bus_wait) busWait;
  decltype(&sd_bus_get_fd) busGetFd;
  decltype(&sd_bus_get_events) busGetEvents;
  decltype(&sd_bus_get_timeout) busGetTimeout;
  decltype(&sd_bus_is_open) busIsOpen;
  decltype(&sd_bus_is_ready) busIsReady;
  decltype(&sd_bus_error_free) busErrorFree;
  decltype(&sd_bus_message_new_method_call) messageNewMethodCall;
  decltype(&sd_bus_message_unref) messageUnref;
  decltype(&sd_bus_message_append) messageAppend;
  decltype(&sd_bus_message_open_container) messageOpenContainer;
  decltype(&sd_bus_message_close_container) messageCloseContainer;
  decltype(&sd_bus_message_enter_container) messageEnterContainer;
  decltype(&sd_bus_message_read) messageRead;
  decltype(&sd_bus_message_get_error) messageGetError;
  decltype(&sd_notify) notify;
};

// The library, loaded by the first call, or why it cannot be loaded (every later call answers the
// same).
Outcome<const SystemdLibrary*> Systemd();
