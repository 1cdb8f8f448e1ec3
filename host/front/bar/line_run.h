// The run of a status bar or the service: each changed line goes out (a status bar's to standard
// output, until its reader goes away; the service's nowhere, telling systemd when it is ready). The
// keeper of the files publishes each line for the bars that follow it, warns of a low battery,
// takes the critical action and, when asked, says when the battery is charged; beside a keeper that
// publishes, a run follows it until it can take the files over, beside another it runs as a viewer.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "host/estimate/notify_thresholds.h"
#include "host/front/bar/bar_loop.h"
#include "host/front/bar/bar_text_format.h"
#include "host/front/bar/critical_action_watch.h"
#include "host/front/bar/home_lock.h"
#include "host/hosting/home_screen_session.h"
#include "host/hosting/host_messages.h"
#include "host/wait/clock_pacer.h"
#include "host/wait/power_events.h"

// Where the lines go: a status bar prints each on standard output in its format; the service
// prints none, tells systemd of its state and ends when its desktop session's bus goes away.
struct LineOutput {
  bool service = false;
  BarFormat format = BarFormat::Text;
  bool operator==(const LineOutput&) const = default;
};

struct LineRun {
  LineOutput output;
  // The plug-in, started again by takeOverFiles when this run takes the files over.
  std::optional<HomeScreenSession>& session;
  std::function<void()> takeOverFiles;
  HomeLock& lock;
  HostMessages& messages;
  ClockPacer& pacer;
  PowerEvents* events;  // null where the kernel tells nothing
  // The warnings' levels, whose lowest charge level the bar's "critical" class follows.
  WarningLevels thresholds;
  // The text each line shows.
  BarTextFormat textFormat;
  // Said once the run keeps the files, where its line cannot go to the runtime folder.
  std::optional<std::string> publishingNote;
  // What the run does at the critical level once it keeps the files; nullopt: nothing.
  std::optional<CriticalActionPlan> criticalAction;
  // Whether the keeper says once per charge that the battery is charged (FullChargeWatch).
  bool notifyFull = false;
};

void RunLines(LineRun& run);

// What a keeping run that finds another keeper does, in words: a status bar and the service follow
// a keeper that publishes its line, anything else runs as a viewer.
std::string NoticeBeside(bool publishes, const HomeLock& lock);
