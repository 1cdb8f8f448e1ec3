#include "host/front/bar/bar_loop.h"

#include <utility>

#include "host/front/bar/bar_line.h"
#include "host/front/bar/battery_class.h"
#include "host/hosting/status_line.h"
#include "plugin_host/home_screen_plugin.h"
#include "platform/time/clock.h"

BarLoop::BarLoop(HomeScreenSession& session, Waiter& waiter, BarFormat format, Output output,
                 StopRequested stopRequested, TookOver tookOver)
    : session_(session),
      waiter_(waiter),
      format_(format),
      output_(std::move(output)),
      stopRequested_(std::move(stopRequested)),
      tookOver_(std::move(tookOver)) {
  if (format_ == BarFormat::Json) report_.emplace(session_);
}

BarEnd BarLoop::Run() {
  session_.AnswerEarliestTimerNow();
  while (!stopRequested_()) {
    session_.DispatchDueTimers(CurrentClock().UtcNow());
    if (session_.line().repaintRequested && !ShowPaintedLine()) return BarEnd::OutputGone;
    if (stopRequested_()) break;
    const WakeReason woken = waiter_.Wait(WaitDeadline(), -1, -1);
    if (woken == WakeReason::OutputGone) return BarEnd::OutputGone;
    if (tookOver_()) return BarEnd::TookOver;
    const std::optional<ULONGLONG> due = readingDue_ ? readingDue_() : std::nullopt;
    const bool readingDue = due && due != refreshedFor_ && *due <= CurrentClock().UtcNow();
    if (readingDue) refreshedFor_ = due;
    if (woken == WakeReason::PowerEvent || readingDue) session_.KeyDown(kVirtualKeyLeft);
    if (woken == WakeReason::SessionBus && sessionBusServed_ && !sessionBusServed_())
      return BarEnd::BusGone;
  }
  return BarEnd::Stopped;
}

std::optional<ULONGLONG> BarLoop::WaitDeadline() const {
  std::optional<ULONGLONG> deadline = session_.EarliestDeadline();
  const std::optional<ULONGLONG> due = readingDue_ ? readingDue_() : std::nullopt;
  if (due && due != refreshedFor_ && (!deadline || *due < *deadline)) deadline = due;
  return deadline;
}

void BarLoop::OnFigures(FiguresObserver observer) {
  figuresObserver_ = std::move(observer);
  if (!report_) report_.emplace(session_);
}

void BarLoop::OnPowerReading(PowerObserver observer) {
  powerObserver_ = std::move(observer);
  if (!report_) report_.emplace(session_);
}

void BarLoop::PublishTo(LinePublisher& publisher) {
  publisher_ = &publisher;
  if (!report_) report_.emplace(session_);
}

void BarLoop::SetTextFormat(BarTextFormat format) {
  if (format.LineAlone()) return;
  textFormat_ = std::move(format);
  if (!report_) report_.emplace(session_);
}

bool BarLoop::ShowPaintedLine() {
  const std::string text = PaintStatusLine(session_);
  const bool shown = ShowLine(text);
  if (readingObserver_) readingObserver_(text);
  return shown;
}

bool BarLoop::ShowLine(const std::string& text) {
  std::optional<EstimateView> view;
  if (report_) view = report_->Figures(text);
  if (powerObserver_) powerObserver_(view->status, report_->chargeEnd());
  const std::string shown =
      textFormat_ ? textFormat_->Render(text, *view, BatteryClass(view->status, criticalLevel_))
                  : text;
  std::vector<std::string> classes;
  if (view) classes = BarClasses(*view, criticalLevel_);
  const bool textChanged = shown != lastShown_;
  if (!textChanged && classes == lastClasses_) return true;
  lastShown_ = shown;
  lastClasses_ = std::move(classes);
  if (observer_) observer_(text);
  if (figuresObserver_) figuresObserver_(text, *view);
  std::string json;
  if (view && (format_ == BarFormat::Json || publisher_ != nullptr))
    json = JsonLine(report_->Content(shown, *view, criticalLevel_));
  if (publisher_ != nullptr) publisher_->Publish({shown, json});
  if (format_ == BarFormat::Text && !textChanged) return true;
  return output_(format_ == BarFormat::Json ? json : shown);
}
