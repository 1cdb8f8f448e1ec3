// The plug-in's line as text: painted into a line canvas and read back as one line of UTF-8, as the
// status bar, --once and the full-speed runs print it.
#pragma once

#include <string>

#include "host/hosting/home_screen_session.h"

// Wide enough for any status text; the width does not change what the plug-in draws.
inline constexpr LONG kStatusLineWidth = 80;

// Paints the line (PE_PAINT) and answers the painted text as a status line.
std::string PaintStatusLine(HomeScreenSession& session);

// The plug-in's line for a status bar: one line of UTF-8 without escapes and without a line break,
// the leading blanks the plug-in puts before its text removed.
std::string RenderStatusLine(const WString& lineText);
