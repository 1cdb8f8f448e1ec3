#include "host/program/chosen_bar_format.h"

#include <utility>

#include "host/hosting/home_screen_file.h"
#include "host/hosting/home_settings.h"

Noted<BarTextFormat> ChosenBarFormat(const HostOptions& options,
                                     const std::filesystem::path& homeScreenFile) {
  if (options.barFormat) return {*options.barFormat, std::nullopt};
  const std::optional<std::string> attribute = ReadHomeAttribute(homeScreenFile, kFormatAttribute);
  std::optional<std::string> note;
  if (attribute) {
    Outcome<BarTextFormat> format = BarTextFormat::Parse(*attribute);
    if (format.ok()) return {std::move(format.value()), std::nullopt};
    note = "the home-screen file " + homeScreenFile.string() + ": " + kFormatAttribute + "=\"" +
           *attribute + "\": " + format.problem() + "; the bar shows the plug-in's line";
  }
  return {BarTextFormat::Parse(kDefaultBarTextFormat).value(), std::move(note)};
}
