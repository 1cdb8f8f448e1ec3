#include "host/hosting/unknown_setting_notes.h"

#include <algorithm>
#include <numeric>
#include <optional>

#include "host/hosting/home_settings.h"
#include "plugin_state/plugin_settings.h"

namespace {

// How many single characters must be inserted, removed or replaced to turn one name into the other.
size_t EditDistance(WStringView from, WStringView to) {
  // One row of the table of distances between the prefixes of `from` and those of `to`.
  std::vector<size_t> row(to.size() + 1);
  std::iota(row.begin(), row.end(), size_t{0});
  for (size_t i = 1; i <= from.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= to.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({above + 1, row[j - 1] + 1, diagonal + (from[i - 1] == to[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[to.size()];
}

// The known name nearest to `name`, where it is near enough to be a misspelling of it: no more
// edits than a third of its length.
std::optional<WString> NearestName(WStringView name, const std::vector<WString>& known) {
  std::optional<WString> nearest;
  size_t nearestDistance = 0;
  for (const WString& candidate : known) {
    const size_t distance = EditDistance(name, candidate);
    if (distance <= candidate.size() / 3 && (!nearest || distance < nearestDistance)) {
      nearest = candidate;
      nearestDistance = distance;
    }
  }
  return nearest;
}

// A note for each attribute whose name is not among the element's settings nor `alsoKnown`.
void NoteUnknown(const std::filesystem::path& file, const std::vector<XmlAttribute>& attributes,
                 const std::vector<WString>& settings, WStringView alsoKnown, const char* whose,
                 std::vector<std::string>& notes) {
  for (const XmlAttribute& attribute : attributes) {
    if (attribute.name == alsoKnown ||
        std::ranges::find(settings, attribute.name) != settings.end())
      continue;
    std::string note = "the home-screen file " + file.string() + ": " + NarrowUtf8(attribute.name) +
                       " is not a setting of " + whose;
    if (const std::optional<WString> nearest = NearestName(attribute.name, settings))
      note += " (did you mean " + NarrowUtf8(*nearest) + "?)";
    notes.push_back(note + "; it is ignored");
  }
}

}  // namespace

std::vector<std::string> UnknownSettingNotes(const std::filesystem::path& file,
                                             const std::vector<XmlAttribute>& pluginElement,
                                             const std::vector<XmlAttribute>& homeElement) {
  std::vector<WString> pluginSettings;
  for (const SettingAttribute& setting : kSettingAttributes)
    pluginSettings.emplace_back(setting.name);
  std::vector<WString> homeSettings;
  for (const char* setting : kHomeAttributes) homeSettings.push_back(WidenUtf8(setting));
  std::vector<std::string> notes;
  NoteUnknown(file, homeElement, homeSettings, {}, "the home screen", notes);
  NoteUnknown(file, pluginElement, pluginSettings, u"clsid", "the plug-in", notes);
  return notes;
}
