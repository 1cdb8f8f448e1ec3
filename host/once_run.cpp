#include "host/once_run.h"

#include "host/terminal/frame.h"
#include "host/terminal/line_canvas.h"

namespace {

// Wide enough for any status text; the width does not change what the plug-in draws.
constexpr LONG kStatusLineWidth = 80;

}  // namespace

std::string RunOnce(HomeScreenSession& session) {
  session.AnswerEarliestTimerNow();
  LineCanvas canvas(session.scheme().text);
  session.Paint(canvas, kStatusLineWidth);
  return RenderStatusLine(canvas.text());
}
