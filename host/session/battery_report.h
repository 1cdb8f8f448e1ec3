// The plug-in's battery report as text: the report it shows as a message box on PE_ACTION,
// caught instead of shown.
#pragma once

#include <string>

#include "host/session/home_screen_session.h"

// Sends PE_ACTION with a message-box sink that keeps the texts shown; answers them in UTF-8, one
// after the other ("Battery status unknown" when the plug-in cannot read the power status). The
// plug-in asks for a repaint afterwards, as after every report.
std::string CaptureBatteryReport(HomeScreenSession& session);
