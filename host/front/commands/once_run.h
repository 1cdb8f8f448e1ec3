// The line once: the plug-in's first refresh at once and one paint, printed as one line.
#pragma once

#include <string>

#include "host/hosting/home_screen_session.h"

// Answers the plug-in's first timer request without waiting for it (PE_TIMER), paints the line
// once (PE_PAINT) and answers the painted text as a status line.
std::string RunOnce(HomeScreenSession& session);
