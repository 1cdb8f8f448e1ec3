// The interactive home screen: sleeps until a key, a signal, the plug-in's earliest timer deadline
// or the next minute of the title's clock, answers due timers with PE_TIMER, turns keys into
// events, paints the line when a repaint is due and writes each frame that differs from the last.
// Idle, it wakes once a minute and for the plug-in's timers. Message boxes are modal dialogs: while
// one is open only its keys are read (Up and Down scroll a long one) and the clock still moves.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "host/hosting/home_screen_session.h"
#include "host/front/terminal/key_commands.h"
#include "host/front/terminal/frame.h"
#include "host/front/terminal/key_decoder.h"
#include "host/hosting/line_canvas.h"
#include "host/front/terminal/raw_terminal.h"
#include "host/wait/waiter.h"

class EventLoop {
 public:
  EventLoop(HomeScreenSession& session, const RawTerminal& terminal, Waiter& waiter,
            std::string powerDescription);

  // Runs once the screen's dialogs are in place, before the first frame: messages that waited for
  // the screen go out then.
  void OnScreen(std::function<void()> shown) { onScreen_ = std::move(shown); }
  // Asked after every wait: true when this host has just become the keeper of the files.
  void OnWake(std::function<bool()> tookOver) { tookOver_ = std::move(tookOver); }
  // Until the user quits, a stop signal arrives or the input closes (false), or this host took
  // the files over (true): the caller starts afresh as the keeper.
  bool Run();

 private:
  // Waits for input until the deadline, at most maxWaitMs (-1: no bound), and feeds it to the
  // decoder; false when the input closed.
  bool ReadInput(std::optional<ULONGLONG> deadline, int maxWaitMs);
  // The next key, waiting as long as it takes; nullopt when no key will come.
  std::optional<KeyPress> WaitKey();
  // SIGTSTP gives the terminal back and stops; once continued, the whole screen is painted anew.
  void FollowSuspend();
  void Apply(HostCommand command);
  void PaintLine();
  void Render();
  std::string Title() const;

  HomeScreenSession& session_;
  const RawTerminal& terminal_;
  Waiter& waiter_;
  std::string powerDescription_;
  KeyDecoder keys_;
  LineCanvas canvas_;
  std::optional<MessageDialog> dialog_;
  int width_;
  int height_;
  bool running_ = true;
  std::string lastFrame_;
  std::function<void()> onScreen_;
  std::function<bool()> tookOver_;
};
