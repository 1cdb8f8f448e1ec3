// The interactive home screen: waits for keys with poll(), the earliest timer deadline as its
// timeout (at most a second, for the clock in the title), answers due timers with PE_TIMER, turns
// keys into events, paints the line when a repaint is due and writes each frame at once. Message
// boxes are modal dialogs: while one is open only its keys are read (Up and Down scroll a long
// one).
#pragma once

#include <optional>
#include <string>

#include "host/session/clock_pacer.h"
#include "host/session/home_screen_session.h"
#include "host/session/key_commands.h"
#include "host/terminal/frame.h"
#include "host/terminal/key_decoder.h"
#include "host/terminal/line_canvas.h"
#include "host/terminal/raw_terminal.h"

class EventLoop {
 public:
  EventLoop(HomeScreenSession& session, const RawTerminal& terminal, ClockPacer& pacer, std::string powerDescription);

  // Until the user quits, a stop signal arrives, or the input closes.
  void Run();

 private:
  // Waits up to timeoutMs for input and feeds it to the decoder; false when the input closed.
  bool ReadInput(int timeoutMs);
  // The next key, waiting as long as it takes; nullopt when no key will come.
  std::optional<KeyPress> WaitKey();
  void Apply(HostCommand command);
  void PaintLine();
  void Render();
  std::string Title() const;

  HomeScreenSession& session_;
  const RawTerminal& terminal_;
  ClockPacer& pacer_;
  std::string powerDescription_;
  KeyDecoder keys_;
  LineCanvas canvas_;
  std::optional<MessageDialog> dialog_;
  int width_;
  int height_;
  bool running_ = true;
  std::string lastFrame_;
};
