// A simulation run without a terminal, as fast as the machine allows: the simulated clock jumps
// from one timer deadline to the next, each is answered with PE_TIMER, each repaint the plug-in
// asks for is painted at once, and at every simulated top of the hour the line is handed out.
// While the machine is asleep nothing happens and no line is handed out; at the end of the span it
// wakes as after a resume: the timers that fell due meanwhile are answered at once.
#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "host/hosting/home_screen_session.h"
#include "host/front/simulation/trace_sleep.h"
#include "platform/time/simulated_clock.h"

// The simulated instant (UTC file time) of a top of the hour and the line as last painted.
using HourlyLineSink = std::function<void(ULONGLONG utc, const std::string& line)>;

// From the clock's "now" (installed as the current clock) until `end`, which ends the run; asleep
// in order.
void RunAtFullSpeed(HomeScreenSession& session, SimulatedClock& clock, ULONGLONG end,
                    const HourlyLineSink& onHour, const std::vector<AsleepSpan>& asleep = {});

// Prints "YYYY-MM-DD HH:MM  line" in the installed clock's local time, one line each hour.
HourlyLineSink PrintHourlyLines(std::ostream& out);
