#include "host/front/commands/once_run.h"

#include "host/hosting/status_line.h"

std::string RunOnce(HomeScreenSession& session) {
  session.AnswerEarliestTimerNow();
  return PaintStatusLine(session);
}
