// zelvar-home --report: the battery report, the text the plug-in shows when its line is activated.
#pragma once

#include <string>

#include "host/hosting/host_messages.h"
#include "host/hosting/home_screen_session.h"

// Sends PE_ACTION and answers the text of the information box the plug-in shows. Throws HostError
// with the plug-in's message and its cause when it shows an error instead (the power status cannot
// be read).
std::string RunReport(HomeScreenSession& session, const HostMessages& messages);
