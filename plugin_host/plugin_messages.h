// The texts of the plug-in's message boxes that the home screen tells apart, each named once: the
// plug-in shows them by these names and the home screen recognises them by the same names.
#pragma once

#include "platform/api.h"

// The stat file does not begin with its version line, so none of its samples are used.
inline constexpr const WCHAR* kStatFileVersionWrong = TEXT("Version of Stat file is wrong");
// A StatFilename whose ".." would climb above the device root: the plug-in neither reads nor writes
// it, so that no name leads to a file outside the device.
inline WString StatFileOutsideRoot(const WString& statFilename) {
  return TEXT("Stat file ") + statFilename + TEXT(" lies outside the device root and is not used");
}
// The power status cannot be read: the battery report's message, and the line's text meanwhile.
inline constexpr const WCHAR* kBatteryStatusUnknown = TEXT("Battery status unknown");
// How "Can't GetColor(<name>), err[<result>]" begins: the home screen's colour lookup failed.
inline constexpr const char* kColourLookupFailedStart = "Can't GetColor(";
