// The status-bar mode: the plug-in hosted as in the terminal, its line written as one line of
// output for every repaint whose text changed, at once. The plug-in's first timer is answered at
// the start, so that the first line is a real reading. Between repaints the loop sleeps until the
// plug-in's next timer or a stop signal: at the defaults it wakes six times an hour.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/estimate/notify_thresholds.h"
#include "host/front/bar/bar_report.h"
#include "host/front/bar/bar_text_format.h"
#include "host/front/bar/published_line.h"
#include "host/hosting/home_screen_session.h"
#include "host/wait/waiter.h"

enum class BarFormat {
  Text,  // the line as it is painted
  Json,  // one JSON object per line, as waybar's custom modules read (see JsonLine)
};

// Why the loop ended.
enum class BarEnd {
  Stopped,       // a stop signal arrived
  OutputGone,    // writing failed, or the output hung up while the loop waited
  TookOver,      // a viewer took the home's lock: the caller starts afresh as the keeper
  CannotFollow,  // a follower's keeper publishes no line, or its line cannot be watched: view
                 // instead
  BusGone,       // the session bus went away (BarLoop::OnSessionBus)
};

class BarLoop {
 public:
  // Writes one line (without its line break) and flushes it; false when the output failed.
  using Output = std::function<bool(const std::string& line)>;
  using StopRequested = std::function<bool()>;
  // Asked after every wait: true when this host has just become the keeper of the files.
  using TookOver = std::function<bool()>;

  // A wait that a power event ends (the charger or the battery's state changed) has the plug-in
  // refresh at once (its refresh key).
  BarLoop(
      HomeScreenSession& session, Waiter& waiter, BarFormat format, Output output,
      StopRequested stopRequested, TookOver tookOver = [] { return false; });

  // Told of each line whose text changed, before it is written.
  using LineObserver = std::function<void(const std::string& text)>;
  void OnLine(LineObserver observer) { observer_ = std::move(observer); }
  // Asked after a wait that the session bus connection ended (PollWaiter::WatchConnection): serves
  // it, and answers false when the loop is to end because the bus went away.
  using SessionBusServed = std::function<bool()>;
  void OnSessionBus(SessionBusServed served) { sessionBusServed_ = std::move(served); }
  // Told of every line painted, changed or not, after it went out: each is a fresh power reading.
  void OnReading(LineObserver observer) { readingObserver_ = std::move(observer); }
  // Asked before each wait: when the plug-in is to take a fresh reading (the refresh key), beyond
  // its own timers; nullopt for no such moment. Each moment is answered once.
  using ReadingDue = std::function<std::optional<ULONGLONG>()>;
  void RefreshAt(ReadingDue due) { readingDue_ = std::move(due); }
  // Told of each changed line's hours-left figures (see EstimateFollower), before it is written.
  using FiguresObserver = std::function<void(const std::string& text, const EstimateView& view)>;
  void OnFigures(FiguresObserver observer);
  // Told of every painted line's power reading, changed or not: the status (nullopt when it could
  // not be read) and where the batteries' charging ends.
  using PowerObserver = std::function<void(const std::optional<SYSTEM_POWER_STATUS_EX2>& status,
                                           const std::optional<ChargeEnd>& end)>;
  void OnPowerReading(PowerObserver observer);
  // The charge at or below which the battery's class is "critical" (CriticalLevel of the warnings'
  // thresholds; the default ones' until told).
  void SetCriticalLevel(int level) { criticalLevel_ = level; }
  // The text each line shows (BarTextFormat); the plug-in's line alone until told.
  void SetTextFormat(BarTextFormat format);
  // Before Run: every changed line is published for the bars that follow this one.
  void PublishTo(LinePublisher& publisher);

  BarEnd Run();

 private:
  // Paints the line, shows it, and tells the reading observer. False when the output failed.
  bool ShowPaintedLine();
  // When what the painted text shows changed, or the classes a bar styles it by (the same text on
  // a battery whose charging stopped at its charge limit), tells the observers, publishes and
  // writes it; a text written already is not written again. False when the output failed.
  bool ShowLine(const std::string& text);
  // The moment the next wait ends: the plug-in's next timer, or a fresh reading due before it.
  std::optional<ULONGLONG> WaitDeadline() const;

  HomeScreenSession& session_;
  Waiter& waiter_;
  BarFormat format_;
  Output output_;
  StopRequested stopRequested_;
  LineObserver observer_;
  LineObserver readingObserver_;
  ReadingDue readingDue_;
  // The last moment of readingDue_ the plug-in refreshed for.
  std::optional<ULONGLONG> refreshedFor_;
  FiguresObserver figuresObserver_;
  PowerObserver powerObserver_;
  TookOver tookOver_;
  SessionBusServed sessionBusServed_;
  std::optional<BarTextFormat> textFormat_;  // nullopt: the plug-in's line alone
  std::optional<std::string> lastShown_;
  std::vector<std::string> lastClasses_;
  LinePublisher* publisher_ = nullptr;
  int criticalLevel_ = CriticalLevel(kDefaultNotifyThresholds);
  // With BarFormat::Json, a publisher, an observer of figures or power readings or a text format:
  // what the line shows beside the plug-in's text.
  std::optional<BarReport> report_;
};
