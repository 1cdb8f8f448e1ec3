// The terminal screen's run, until the user quits. A viewer (another process keeps the plug-in's
// files) says so in its title and takes the files over once the keeper let them go.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "host/hosting/home_screen_session.h"
#include "host/hosting/host_messages.h"
#include "host/wait/clock_pacer.h"
#include "host/wait/power_events.h"

struct ScreenRun {
  // The plug-in, started again by takeOverFiles when this run takes the files over.
  std::optional<HomeScreenSession>& session;
  std::function<void()> takeOverFiles;
  HostMessages& messages;
  ClockPacer& pacer;
  PowerEvents* events;  // null where the kernel tells nothing
  std::string powerDescription;
  // For a viewer: takes the files when their keeper let them go (true on the call that took them),
  // and the words that say so. Empty where this run keeps the files or keeps none.
  std::function<bool()> takeOverIfFree;
  std::function<std::string()> takeOverNotice;
};

// Throws HostError where the terminal cannot be switched to raw mode.
void RunScreen(ScreenRun& run);
