// The seven settings of the plug-in, in the order the host hands them over and the object holds
// them, and the one table of their attributes' names and defaults.
#pragma once

#include "platform/api.h"

struct PluginSettings {
  LONG RefreshTimeout = 0;     // ms; longest wait between two refreshes (compared unsigned)
  WString StatFilename;        // device path of the stat file
  LONG MaxHistoryDays = 0;     // stat file records this many whole days old or older are not loaded
  LONG MinPercent = 0;         // below this charge no hourly drop is recorded
  LONG FlushTimeoutHours = 0;  // the series is flushed once it holds this many drops
  LONG height = 0;      // kept and persisted only: the reported height is always kPluginLineHeight
  LONG ExpertMode = 0;  // non-zero: current in the status line, statistics in the report
};

// One setting as an attribute of the plug-in's element: its name, its field and the value it takes
// when the element does not give it (absent, or not of its kind), and what it means to the user
// who edits the home-screen file.
struct SettingAttribute {
  const WCHAR* name;
  LONG PluginSettings::*integer;  // an integer setting's field, else nullptr
  WString PluginSettings::*text;  // a text setting's field, else nullptr
  LONG integerDefault;
  const WCHAR* textDefault;
  const char* meaning;
};

// Every setting, in the order the plug-in reads them.
inline constexpr SettingAttribute kSettingAttributes[] = {
    {TEXT("RefreshTimeout"), &PluginSettings::RefreshTimeout, nullptr, 600000, nullptr,
     "longest wait between two refreshes of the line, in milliseconds"},
    {TEXT("StatFilename"), nullptr, &PluginSettings::StatFilename, 0,
     TEXT("\\Storage\\My Documents\\ZelvarPlugin.dat"),
     "the file of hourly drain samples, a device path; the device root \"\\\" is a folder on this "
     "machine (see the help of zelvar-home); every name starts there, and one whose \"..\" would "
     "leave it is not used"},
    {TEXT("MaxHistoryDays"), &PluginSettings::MaxHistoryDays, nullptr, 30, nullptr,
     "samples this many days old or older are not used"},
    {TEXT("MinPercent"), &PluginSettings::MinPercent, nullptr, 20, nullptr,
     "below this charge (percent) no hourly sample is taken"},
    {TEXT("FlushTimeoutHours"), &PluginSettings::FlushTimeoutHours, nullptr, 8, nullptr,
     "hourly samples gathered before they are appended to the file"},
    {TEXT("height"), &PluginSettings::height, nullptr, 20, nullptr,
     "kept by the plug-in; its line is always one line high"},
    {TEXT("ExpertMode"), &PluginSettings::ExpertMode, nullptr, 0, nullptr,
     "1: the line also shows the battery current and the report the statistics"},
};

inline PluginSettings DefaultSettings() {
  PluginSettings settings;
  for (const SettingAttribute& attribute : kSettingAttributes) {
    if (attribute.integer != nullptr) {
      settings.*attribute.integer = attribute.integerDefault;
    } else {
      settings.*attribute.text = attribute.textDefault;
    }
  }
  return settings;
}
