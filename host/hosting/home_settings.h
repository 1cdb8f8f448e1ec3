// The home screen's own settings, attributes of the home-screen file's root element <home>.
#pragma once

inline constexpr const char* kNotifyBelowAttribute = "NotifyBelow";

// The charge levels (percent, highest first) below which the desktop warns of a low battery when
// neither the command line nor the attribute chooses others.
inline constexpr int kDefaultNotifyBelow[] = {20, 10, 5};

inline constexpr const char* kNotifyBelowMeaning =
    "the charge levels (percent) below which the desktop shows a low-battery notification, once "
    "each per discharge (the notify-below option of zelvar-home comes before it)";

// The levels of the hours to show (minutes) below which the desktop also warns; none by default.
inline constexpr const char* kNotifyBelowMinutesAttribute = "NotifyBelowMinutes";

inline constexpr const char* kNotifyBelowMinutesMeaning =
    "the hours left (minutes) below which the desktop also shows a low-battery notification, once "
    "each per discharge, such as 30,10; empty: none (the notify-below-minutes option comes before "
    "it)";

// The attribute that chooses the status line's format.
inline constexpr const char* kFormatAttribute = "Format";

// The attributes that choose what a keeping status bar or the service does when the charge falls to
// the critical level on battery, and that level. No action unless chosen.
inline constexpr const char* kCriticalActionAttribute = "CriticalAction";
inline constexpr const char* kCriticalBelowAttribute = "CriticalBelow";
inline constexpr int kDefaultCriticalBelow = 3;

inline constexpr const char* kCriticalActionMeaning =
    "what a status bar or the service that keeps the files does when the charge falls to "
    "CriticalBelow on battery: hibernate, hybrid-sleep, suspend, poweroff or command:COMMAND (run "
    "through /bin/sh -c), after a 60 s countdown that plugging in cancels; empty: nothing (the "
    "critical-action option comes before it)";
inline constexpr const char* kCriticalBelowMeaning =
    "the charge (percent) at or below which the critical action counts down on battery (the "
    "critical-below option comes before it)";

// The attribute that asks for the notification that the battery is charged: "yes" or "no".
inline constexpr const char* kNotifyFullAttribute = "NotifyFull";

inline constexpr const char* kNotifyFullMeaning =
    "yes: the desktop shows a notification once per charge when the battery stops charging, held "
    "by its charge limit or full (the notify-full option comes before it)";

// Every attribute of <home> that the home screen reads.
inline constexpr const char* kHomeAttributes[] = {
    kNotifyBelowAttribute,    kNotifyBelowMinutesAttribute, kFormatAttribute,
    kCriticalActionAttribute, kCriticalBelowAttribute,      kNotifyFullAttribute};
