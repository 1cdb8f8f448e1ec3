#include "host/program/chosen_bar_format.h"

#include "host/hosting/home_screen_file.h"
#include "host/hosting/home_settings.h"

BarTextFormat ChosenBarFormat(const HostOptions& options,
                              const std::filesystem::path& homeScreenFile, std::string& note) {
  std::string fault;
  if (options.barFormat) return *options.barFormat;
  const std::optional<std::string> attribute = ReadHomeAttribute(homeScreenFile, kFormatAttribute);
  if (attribute) {
    if (std::optional<BarTextFormat> format = BarTextFormat::Parse(*attribute, fault))
      return *format;
    note = "the home-screen file " + homeScreenFile.string() + ": " + kFormatAttribute + "=\"" +
           *attribute + "\": " + fault + "; the bar shows the plug-in's line";
  }
  return *BarTextFormat::Parse(kDefaultBarTextFormat, fault);
}
