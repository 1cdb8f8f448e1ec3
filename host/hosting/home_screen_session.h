// One run of the home screen with the battery plug-in, from its start to its saved state: the
// home-screen file gives the plug-in's element, the stream file its saved state, the site its
// timers, repaints and colours.
#pragma once

#include <filesystem>
#include <optional>

#include "host/hosting/colour_scheme.h"
#include "host/hosting/host_site.h"
#include "host/hosting/hosted_plugin.h"
#include "host/hosting/line_state.h"
#include "host/hosting/timer_queue.h"
#include "platform/gdi/canvas.h"
#include "plugin_host/saved_configuration.h"

struct SessionFiles {
  std::filesystem::path homeScreen;
  std::filesystem::path stream;
};

// The saved stream applies unless the home-screen file was changed after it was saved: then the
// file's settings are what the user wants, and the plug-in starts from them.
bool SavedStreamApplies(const SessionFiles& files);

class HomeScreenSession {
 public:
  // Reads the plug-in's element (the home-screen file must exist) and the saved stream, then
  // starts the plug-in. Throws HostError for an unreadable file.
  HomeScreenSession(const SessionFiles& files, ActivatedPlugin plugin);
  HomeScreenSession(const HomeScreenSession&) = delete;
  HomeScreenSession& operator=(const HomeScreenSession&) = delete;

  // One PE_TIMER for each request due at `now` (file time).
  void DispatchDueTimers(ULONGLONG now);
  // Answers the requests with the earliest deadline at once, without waiting for it; false when
  // none is outstanding. For a single refresh.
  bool AnswerEarliestTimerNow();
  std::optional<ULONGLONG> EarliestDeadline() const { return timers_.EarliestDeadline(); }

  // Clears the canvas to the scheme's background and sends PE_PAINT for a line of that width.
  void Paint(Canvas& canvas, LONG width);
  void KeyDown(WORD keyCode) { plugin_.KeyDown(keyCode); }
  void Action() { plugin_.Action(); }
  // The line needs painting again (the frame's width changed).
  void RequestRepaint() { line_.repaintRequested = true; }
  // The line as painted is up to date after all (a report read right after a paint).
  void DropRepaintRequest() { line_.repaintRequested = false; }
  // Selects or unselects the line when the plug-in lets it be selected.
  void ToggleSelection();
  // The next colour scheme: PE_SYSCOLORCHANGE, then a repaint in the new colours.
  void SwitchColourScheme();

  const LineState& line() const { return line_; }
  const ColourScheme& scheme() const { return schemes_.Current(); }
  const HostedPlugin& plugin() const { return plugin_; }
  // The settings the plug-in runs with, as it would save them; nullopt when it saves too little.
  std::optional<SavedConfiguration> settings() const {
    return DecodeConfiguration(plugin_.Snapshot());
  }

  // Saves the plug-in's state to the stream file, the plug-in going on. Throws HostError.
  void Save() const;
  // Saves the plug-in's state to the stream file and stops the plug-in. The plug-in is stopped
  // even when the file cannot be written; that failure is then thrown as HostError. Without Close,
  // the plug-in is stopped unsaved when the session ends.
  void Close();

 private:
  SessionFiles files_;
  TimerQueue timers_;
  LineState line_;
  ColourSchemes schemes_;
  ComPtr<HostSite> site_;
  HostedPlugin plugin_;
};
