// A simulation run without a terminal, as fast as the machine allows: the simulated clock jumps
// from one timer deadline to the next, each is answered with PE_TIMER, each repaint the plug-in
// asks for is painted at once, and at every simulated top of the hour the line is handed out; so is
// each line whose text changed, as a status bar or the service would see it.
// While the machine is asleep nothing happens and no line is handed out; at the end of the span it
// wakes as after a resume: the timers that fell due meanwhile are answered at once.
#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "host/estimate/line_warnings.h"
#include "host/hosting/home_screen_session.h"
#include "host/front/simulation/trace_sleep.h"
#include "platform/time/simulated_clock.h"

// The simulated instant (UTC file time) and a line: at a top of the hour the line as last painted,
// or a line just painted whose text changed.
using LineSink = std::function<void(ULONGLONG utc, const std::string& line)>;

// From the clock's "now" (installed as the current clock) until `end`, which ends the run, or
// until stopRequested answers true; asleep in order; onChange, when given, is told of each painted
// line whose text changed.
void RunAtFullSpeed(
    HomeScreenSession& session, SimulatedClock& clock, ULONGLONG end, const LineSink& onHour,
    const std::vector<AsleepSpan>& asleep = {}, const LineSink& onChange = {},
    const std::function<bool()>& stopRequested = [] { return false; });

// Prints "YYYY-MM-DD HH:MM  line" in the installed clock's local time, one line each hour.
LineSink PrintHourlyLines(std::ostream& out);

// "warning: Battery 20 % / About 1.4 h left at this time of day; Still learning: ..." (the body's
// lines joined by "; "), or "withdrawn".
std::string WarningText(const LineWarning& warning);

// For each changed line, prints "YYYY-MM-DD HH:MM " and the WarningText of each warning the
// service would send or withdraw, in the installed clock's local time. The hours to show follow the
// power readings the plug-in takes through the installed power source while the sink lives.
LineSink PrintWarnings(std::ostream& out, WarningLevels levels, const SavedConfiguration& settings);
