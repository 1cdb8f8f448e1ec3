#include "host/front/simulation/full_speed_run.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <utility>

#include "host/estimate/power_reading_tap.h"
#include "host/hosting/line_canvas.h"
#include "host/hosting/status_line.h"
#include "platform/time/calendar.h"

namespace {

ULONGLONG NextTopOfHourAfter(ULONGLONG utc) {
  return (utc / kFileTimeUnitsPerHour + 1) * kFileTimeUnitsPerHour;
}
ULONGLONG TopOfHourAtOrAfter(ULONGLONG utc) { return NextTopOfHourAfter(utc - 1); }

std::string LocalMinuteText(ULONGLONG utc) {
  const FILETIME universal = MakeFileTime(utc);
  FILETIME local{};
  SYSTEMTIME time{};
  FileTimeToLocalFileTime(&universal, &local);
  FileTimeToSystemTime(&local, &time);
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u", time.wYear, time.wMonth, time.wDay,
                time.wHour, time.wMinute);
  return text;
}

}  // namespace

void RunAtFullSpeed(HomeScreenSession& session, SimulatedClock& clock, ULONGLONG end,
                    const LineSink& onHour, const std::vector<AsleepSpan>& asleep,
                    const LineSink& onChange, const std::function<bool()>& stopRequested) {
  LineCanvas canvas(session.scheme().text);
  std::string lastText;
  ULONGLONG nextHour = NextTopOfHourAfter(clock.UtcNow());
  auto sleep = asleep.begin();
  for (;;) {
    const ULONGLONG now = clock.UtcNow();
    session.DispatchDueTimers(now);
    if (session.line().repaintRequested) {
      canvas.Clear();
      session.Paint(canvas, kStatusLineWidth);
      std::string text = RenderStatusLine(canvas.text());
      if (onChange && text != lastText) onChange(now, text);
      lastText = std::move(text);
    }
    if (now == nextHour) {
      onHour(now, lastText);
      nextHour += kFileTimeUnitsPerHour;
    }
    if (now >= end || stopRequested()) return;
    // Every timer waits at least a second (TimerQueue), so simulated time always moves on.
    ULONGLONG next = std::min({end, nextHour, session.EarliestDeadline().value_or(end)});
    while (sleep != asleep.end() && sleep->to <= now) ++sleep;
    if (sleep != asleep.end() && next > sleep->from && next < sleep->to) {
      next = sleep->to;
      nextHour = TopOfHourAtOrAfter(next);
    }
    clock.SetUtcFileTime(next);
  }
}

LineSink PrintHourlyLines(std::ostream& out) {
  return [&out](ULONGLONG utc, const std::string& line) {
    out << LocalMinuteText(utc) << "  " << line << '\n';
  };
}

std::string WarningText(const LineWarning& warning) {
  if (std::holds_alternative<WithdrawWarning>(warning)) return "withdrawn";
  const WarningToShow& shown = std::get<WarningToShow>(warning);
  std::string body = shown.body;
  for (size_t feed = body.find('\n'); feed != std::string::npos; feed = body.find('\n', feed))
    body.replace(feed, 1, "; ");
  return "warning: " + shown.summary + " / " + body;
}

LineSink PrintWarnings(std::ostream& out, WarningLevels levels,
                       const SavedConfiguration& settings) {
  // The hours to show follow every power reading the plug-in takes while the sink lives.
  struct Warnings {
    Warnings(WarningLevels levels, const SavedConfiguration& settings)
        : decide(std::move(levels)),
          estimate(settings),
          tap([this](ULONGLONG utc, const std::optional<SYSTEM_POWER_STATUS_EX2>& status) {
            estimate.Observe(utc, status, tap.LastPack());
          }) {}
    LineWarnings decide;
    EstimateFollower estimate;
    PowerReadingTap tap;
  };
  return [&out, warnings = std::make_shared<Warnings>(std::move(levels), settings)](
             ULONGLONG utc, const std::string& line) {
    if (const std::optional<LineWarning> warning =
            warnings->decide.Observe(line, warnings->estimate.For(line)))
      out << LocalMinuteText(utc) << " " << WarningText(*warning) << '\n';
  };
}
