// The plug-in's class, written once: the text the registry keys are named with, in this exact case,
// and the 16-byte value made from it.
#pragma once

#include "platform/api.h"
#include "com_toolkit/class_id_text.h"

inline constexpr ClassIdLiteral kZelvarPluginClassIdText =
    TEXT("{FDEA2F9B-0266-11cf-BAA6-00AA003E0E01}");
inline constexpr CLSID CLSID_ZelvarPlugin = ClassIdFromText(kZelvarPluginClassIdText);
