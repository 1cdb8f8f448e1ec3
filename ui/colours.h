// The three colours the line is drawn with, kept in step with the home screen's colour scheme.
#pragma once

#include "plugin_state/plugin_state.h"

// The system's colours: static-control text, highlight text and highlight.
ColourSet SystemColours();

// Looks the three colours up in the host's scheme, each on its own: a failed lookup shows a
// message ("Can't GetColor(<name>), err[<result>]") and the next is still looked up. A host without
// a colour lookup, or no host at all, gives the system colours silently.
void FetchColours(PluginState& state);
