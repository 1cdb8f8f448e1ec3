#include "host/program/chosen_notify_full.h"

#include "host/hosting/home_screen_file.h"
#include "host/hosting/home_settings.h"

Noted<bool> ChosenNotifyFull(const HostOptions& options,
                             const std::filesystem::path& homeScreenFile) {
  if (options.notifyFull) return {true, std::nullopt};
  const std::optional<std::string> attribute =
      ReadHomeAttribute(homeScreenFile, kNotifyFullAttribute);
  if (!attribute || *attribute == "no") return {false, std::nullopt};
  if (*attribute == "yes") return {true, std::nullopt};
  return {false, "the home-screen file " + homeScreenFile.string() + ": " + kNotifyFullAttribute +
                     "=\"" + *attribute + "\" is not yes or no; no notification when charged"};
}
