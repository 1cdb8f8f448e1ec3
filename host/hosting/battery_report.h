// The plug-in's battery report as text: the report it shows as a message box on PE_ACTION,
// caught instead of shown.
#pragma once

#include <string>

#include "host/hosting/home_screen_session.h"

// Sends PE_ACTION with a message-box sink that keeps the texts shown; answers them in UTF-8, one
// after the other ("Battery status unknown" when the plug-in cannot read the power status). The
// repaint the plug-in asks for after every report is dropped unless one was already due: the line
// it would paint is the one just painted.
std::string CaptureBatteryReport(HomeScreenSession& session);
