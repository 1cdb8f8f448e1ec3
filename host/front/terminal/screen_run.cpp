#include "host/front/terminal/screen_run.h"

#include "host/front/terminal/event_loop.h"
#include "host/front/terminal/raw_terminal.h"
#include "host/hosting/host_error.h"
#include "host/wait/poll_waiter.h"

void RunScreen(ScreenRun& run) {
  const RawTerminal terminal;
  if (!terminal.active())
    throw HostError("cannot switch the terminal to raw mode; --once prints the line instead");
  PollWaiter waiter(run.pacer);
  waiter.WatchPowerEvents(run.events);
  bool viewer = static_cast<bool>(run.takeOverIfFree);
  std::function<void()> onScreen = [&run] { run.messages.Deliver(); };
  for (;;) {
    const char* title = viewer ? "  VIEWER: another process keeps the files" : "";
    EventLoop loop(*run.session, terminal, waiter, run.powerDescription + title);
    loop.OnScreen(onScreen);
    loop.OnWake([&run, viewer] { return viewer && run.takeOverIfFree(); });
    if (!loop.Run()) return;
    viewer = false;
    run.takeOverFiles();
    // Shown once the screen is back, as one of its dialogs.
    onScreen = [&run] { run.messages.Note(run.takeOverNotice()); };
  }
}
