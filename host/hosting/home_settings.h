// The home screen's own settings, attributes of the home-screen file's root element <home>.
#pragma once

inline constexpr const char* kNotifyBelowAttribute = "NotifyBelow";

// The charge levels (percent, highest first) below which the desktop warns of a low battery when
// neither the command line nor the attribute chooses others.
inline constexpr int kDefaultNotifyBelow[] = {20, 10, 5};

inline constexpr const char* kNotifyBelowMeaning =
    "the charge levels (percent) below which the desktop shows a low-battery notification, once "
    "each per discharge (the notify-below option of zelvar-home comes before it)";

// The attribute that chooses the status line's format.
inline constexpr const char* kFormatAttribute = "Format";

// Every attribute of <home> that the home screen reads.
inline constexpr const char* kHomeAttributes[] = {kNotifyBelowAttribute, kFormatAttribute};
