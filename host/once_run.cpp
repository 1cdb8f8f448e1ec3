#include "host/once_run.h"

#include "host/terminal/frame.h"
#include "host/terminal/line_canvas.h"

std::string RunOnce(HomeScreenSession& session) {
  session.AnswerEarliestTimerNow();
  LineCanvas canvas(session.scheme().text);
  session.Paint(canvas, kStatusLineWidth);
  return RenderStatusLine(canvas.text());
}
