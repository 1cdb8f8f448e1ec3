#include "host/program/setting_warnings.h"

#include "host/hosting/timer_queue.h"

namespace {

std::string Named(const char* name, LONG value) {
  return std::string(name) + "=\"" + std::to_string(value) + "\"";
}

}  // namespace

std::vector<std::string> SettingWarnings(const SavedConfiguration& settings) {
  std::vector<std::string> warnings;
  // The plug-in compares these settings as unsigned numbers: a negative value is a huge one.
  if (settings.RefreshTimeout == 0) {
    warnings.push_back(Named("RefreshTimeout", 0) +
                       " asks for a refresh without pause; the line is refreshed every " +
                       std::to_string(TimerQueue::kShortestTimerMs / 1000) + " s instead");
  } else if (settings.RefreshTimeout < 0) {
    warnings.push_back(Named("RefreshTimeout", settings.RefreshTimeout) +
                       " is negative, read as a very long time: the line is refreshed only at the "
                       "top of each hour");
  }
  if (settings.FlushTimeoutHours == 0) {
    warnings.push_back(
        Named("FlushTimeoutHours", 0) +
        ": each hourly drop is written to the stat file at once and restarts the hours on battery");
  } else if (settings.FlushTimeoutHours < 0) {
    warnings.push_back(Named("FlushTimeoutHours", settings.FlushTimeoutHours) +
                       " is negative, read as a very large number: drops reach the stat file only "
                       "when the battery "
                       "charges or the plug-in stops");
  }
  if (settings.MinPercent < 0) {
    warnings.push_back(
        Named("MinPercent", settings.MinPercent) +
        " is negative, read as a very large number: no hourly drop will ever be recorded");
  } else if (settings.MinPercent > 100) {
    warnings.push_back(Named("MinPercent", settings.MinPercent) +
                       " is above 100: the charge is always below it, so no hourly drop will ever "
                       "be recorded");
  }
  if (settings.MaxHistoryDays == 0) {
    warnings.push_back(Named("MaxHistoryDays", 0) +
                       ": every record of the stat file is too old to count; the estimate rests on "
                       "this run's drops alone");
  } else if (settings.MaxHistoryDays < 0) {
    warnings.push_back(Named("MaxHistoryDays", settings.MaxHistoryDays) +
                       " is negative, read as a very large number: no record of the stat file is "
                       "ever too old to count");
  }
  return warnings;
}
