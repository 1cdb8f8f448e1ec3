#include "host/front/bar/bar_loop.h"

#include "host/front/bar/bar_line.h"
#include "host/hosting/status_line.h"
#include "platform/time/clock.h"

BarLoop::BarLoop(HomeScreenSession& session, Waiter& waiter, BarFormat format, Output output,
                 StopRequested stopRequested)
    : session_(session),
      waiter_(waiter),
      format_(format),
      output_(std::move(output)),
      stopRequested_(std::move(stopRequested)) {
  if (format_ == BarFormat::Json) report_.emplace(session_);
}

void BarLoop::Run() {
  session_.AnswerEarliestTimerNow();
  while (!stopRequested_()) {
    session_.DispatchDueTimers(CurrentClock().UtcNow());
    if (session_.line().repaintRequested) {
      if (const std::optional<std::string> text = PaintChangedLine()) {
        if (observer_) observer_(*text);
        if (!output_(Formatted(*text))) return;
      }
    }
    if (stopRequested_()) return;
    waiter_.Wait(session_.EarliestDeadline(), -1, -1);
  }
}

std::optional<std::string> BarLoop::PaintChangedLine() {
  std::string text = PaintStatusLine(session_);
  if (text == lastText_) return std::nullopt;
  lastText_ = text;
  return text;
}

std::string BarLoop::Formatted(const std::string& text) {
  if (!report_) return text;
  return JsonLine(report_->Content(text));
}
