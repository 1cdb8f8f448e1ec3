#include "host/once_run.h"

#include "host/terminal/frame.h"
#include "host/hosting/line_canvas.h"

std::string RunOnce(HomeScreenSession& session) {
  session.AnswerEarliestTimerNow();
  return PaintStatusLine(session);
}

std::string PaintStatusLine(HomeScreenSession& session) {
  LineCanvas canvas(session.scheme().text);
  session.Paint(canvas, kStatusLineWidth);
  return RenderStatusLine(canvas.text());
}
