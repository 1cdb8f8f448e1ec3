#include "host/hosting/home_screen_file.h"

#include <expat.h>

#include <memory>
#include <span>

#include "host/hosting/activation/class_id.h"
#include "host/hosting/home_settings.h"
#include "host/hosting/host_error.h"
#include "host/hosting/whole_file.h"
#include "platform/files/regular_file.h"
#include "platform/files/user_folders.h"
#include "plugin_state/plugin_settings.h"

namespace {

// Far more than any home screen needs, and within the parser's int-sized buffer.
constexpr size_t kLargestFile = 16 * kMebibyte;

std::string ReadWholeFile(const std::filesystem::path& file) {
  FileRead read = ReadRegularFile(file, kLargestFile);
  // The host could not write the defaults there: they are kept in memory instead.
  if (read.outcome == FileRead::Outcome::kMissing) return DefaultHomeScreenText();
  if (read.outcome == FileRead::Outcome::kFailed) {
    throw HostError("cannot read the home-screen file " + file.string() + ": " + read.cause);
  }
  return std::move(read.text);
}

// Whether the plug-in reads the attribute as VT_INT, taking its default when that fails.
bool IsIntegerSetting(WStringView name) {
  for (const SettingAttribute& setting : kSettingAttributes) {
    if (setting.integer != nullptr && name == setting.name) return true;
  }
  return false;
}

std::string DefaultText(const SettingAttribute& setting) {
  return setting.integer != nullptr ? std::to_string(setting.integerDefault)
                                    : NarrowUtf8(setting.textDefault);
}

std::string NotifyBelowText(std::span<const int> percents) {
  std::string text;
  // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) about "," + a returned string when
  // optimising.
  for (int percent : percents) {
    if (!text.empty()) text += ',';
    text += std::to_string(percent);
  }
  return text;
}

// `    name="value"` and below it the meaning, its words wrapped within 100 columns.
void AppendDocumented(std::string& text, const std::string& name, const std::string& value,
                      std::string_view meaning) {
  constexpr std::string_view kIndent = "        ";
  constexpr size_t kWidth = 100;
  text += "    " + name + "=\"" + value + "\"\n";
  std::string line(kIndent);
  while (!meaning.empty()) {
    const size_t space = meaning.find(' ');
    const std::string_view word = meaning.substr(0, space);
    meaning = space == std::string_view::npos ? std::string_view() : meaning.substr(space + 1);
    if (line.size() > kIndent.size() && line.size() + 1 + word.size() > kWidth) {
      text += line + "\n";
      line = kIndent;
    }
    if (line.size() > kIndent.size()) line += ' ';
    line += word;
  }
  text += line + "\n";
}

// How the plug-in's own conversion takes the text as a number: S_OK, DISP_E_OVERFLOW for a number
// out of its range, another failure for no number.
HRESULT ConvertToInteger(const WString& text) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_BSTR;
  value.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  const HRESULT converted =
      value.bstrVal != nullptr ? VariantChangeType(&value, &value, 0, VT_INT) : E_OUTOFMEMORY;
  VariantClear(&value);
  return converted;
}

// Collects the attributes of the first element naming the class while expat reads the whole
// document (a document not well-formed after that element is still refused).
struct ElementSearch {
  REFCLSID classId;
  bool found = false;
  std::vector<XmlAttribute> attributes;
};

bool NamesClass(const XML_Char** attributes, int count, REFCLSID classId) {
  for (int i = 0; i < count; i += 2) {
    if (std::strcmp(attributes[i], "clsid") == 0 && NamesClassId(attributes[i + 1], classId))
      return true;
  }
  return false;
}

// The handlers are given the parser; their search is its user data.
void OnElementStart(void* parser, const XML_Char* /*name*/, const XML_Char** attributes) {
  auto& search = *static_cast<ElementSearch*>(XML_GetUserData(static_cast<XML_Parser>(parser)));
  if (search.found) return;
  // Only the attributes the file spells out: a DTD's defaults are no settings of the user.
  const int specified = XML_GetSpecifiedAttributeCount(static_cast<XML_Parser>(parser));
  if (!NamesClass(attributes, specified, search.classId)) return;
  search.found = true;
  for (int i = 0; i < specified; i += 2) {
    search.attributes.push_back({WidenUtf8(attributes[i]), WidenUtf8(attributes[i + 1])});
  }
}

struct ParserDeleter {
  void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
};

}  // namespace

std::filesystem::path DefaultHomeScreenFile() {
  return std::filesystem::path(UserFolder("XDG_CONFIG_HOME", ".config")) / "zelvar" / "home.xml";
}

std::string DefaultHomeScreenText() {
  std::string text = R"xml(<?xml version="1.0" encoding="UTF-8"?>
<!--
  The zelvar home screen: the plug-ins it shows, one element each.

  A plug-in's element names the plug-in's class in its clsid attribute; its other attributes are
  the plug-in's settings, read when the home screen starts the plug-in. A setting left out takes
  its default, which a later version may improve; to choose a value, add the attribute to the
  element, such as MinPercent="10". The battery plug-in's settings, with their defaults:
)xml";
  for (const SettingAttribute& setting : kSettingAttributes) {
    AppendDocumented(text, NarrowUtf8(setting.name), DefaultText(setting), setting.meaning);
  }
  text += "\n  The home screen's own settings, attributes of <home>:\n";
  AppendDocumented(text, kNotifyBelowAttribute, NotifyBelowText(kDefaultNotifyBelow),
                   kNotifyBelowMeaning);
  AppendDocumented(text, kNotifyBelowMinutesAttribute, "", kNotifyBelowMinutesMeaning);
  AppendDocumented(text, kCriticalActionAttribute, "", kCriticalActionMeaning);
  AppendDocumented(text, kCriticalBelowAttribute, std::to_string(kDefaultCriticalBelow),
                   kCriticalBelowMeaning);
  AppendDocumented(text, kNotifyFullAttribute, "no", kNotifyFullMeaning);
  text += R"xml(
  The home screen saves the plug-in's state when it closes and restores it at the next start; a
  change made here applies at the next start, since this file is then newer than the saved state.
-->
<home>
  <plugin clsid=")xml" +
          ClassIdText(kBatteryPluginClassId) +
          R"xml("/>
</home>
)xml";
  return text;
}

bool WriteDefaultHomeScreenFileIfMissing(const std::filesystem::path& file) {
  std::error_code error;
  if (std::filesystem::exists(file, error)) return false;
  if (file.has_parent_path()) error = CreateUserFolders(file.parent_path());
  if (error) {
    throw HostError("cannot write the home-screen file " + file.string() +
                    ": cannot create its folder " + file.parent_path().string() + ": " +
                    error.message());
  }
  // Whole or not at all: hosts started together (a bar on each monitor) all write it, and none may
  // read another's half-written file.
  ReplaceFileWhole(file, DefaultHomeScreenText(), "the default home-screen file");
  return true;
}

std::vector<std::string> NonNumericSettingNotes(const std::filesystem::path& file,
                                                const std::vector<XmlAttribute>& attributes) {
  std::vector<std::string> notes;
  for (const XmlAttribute& attribute : attributes) {
    if (!IsIntegerSetting(attribute.name)) continue;
    const HRESULT converted = ConvertToInteger(attribute.value);
    if (SUCCEEDED(converted)) continue;
    const std::string name = NarrowUtf8(attribute.name);
    const std::string value = NarrowUtf8(attribute.value);
    notes.push_back("the home-screen file " + file.string() + ": " +
                    (converted == DISP_E_OVERFLOW ? value + " is out of range for " + name
                                                  : name + "=\"" + value + "\" is not a number") +
                    "; the plug-in takes its default");
  }
  return notes;
}

namespace {

// Parses the file's whole content, each element's start given to the handler with `data`. Throws
// HostError as ReadPluginElement says.
void ParseHomeScreenText(std::string_view content, const std::filesystem::path& file,
                         XML_StartElementHandler handler, void* data) {
  if (content.size() > kLargestFile) {
    throw HostError("cannot read the home-screen file " + file.string() + ": larger than " +
                    ByteCountText(kLargestFile));
  }
  // Expat never reads external entities or a DTD outside the file, and refuses a document whose
  // entities expand far beyond its own size.
  const std::unique_ptr<XML_ParserStruct, ParserDeleter> parser(XML_ParserCreate(nullptr));
  if (!parser) throw HostError("cannot start the XML parser");
  XML_SetUserData(parser.get(), data);
  XML_UseParserAsHandlerArg(parser.get());
  XML_SetStartElementHandler(parser.get(), handler);
  if (XML_Parse(parser.get(), content.data(), static_cast<int>(content.size()), XML_TRUE) !=
      XML_STATUS_OK) {
    throw HostError("the home-screen file is not well-formed XML: " + file.string() + ":" +
                    std::to_string(XML_GetCurrentLineNumber(parser.get())) + ": " +
                    XML_ErrorString(XML_GetErrorCode(parser.get())));
  }
}

// The attributes of the root element, the first element to start.
struct RootAttributeSearch {
  bool rootSeen = false;
  std::vector<XmlAttribute> attributes;
};

void OnRootStart(void* parser, const XML_Char* /*name*/, const XML_Char** attributes) {
  auto& search =
      *static_cast<RootAttributeSearch*>(XML_GetUserData(static_cast<XML_Parser>(parser)));
  if (search.rootSeen) return;
  search.rootSeen = true;
  const int specified = XML_GetSpecifiedAttributeCount(static_cast<XML_Parser>(parser));
  for (int i = 0; i < specified; i += 2)
    search.attributes.push_back({WidenUtf8(attributes[i]), WidenUtf8(attributes[i + 1])});
}

}  // namespace

std::vector<XmlAttribute> ReadPluginElement(const std::filesystem::path& file, REFCLSID classId) {
  return FindPluginElement(ReadWholeFile(file), file, classId);
}

std::vector<XmlAttribute> FindPluginElement(std::string_view content,
                                            const std::filesystem::path& file, REFCLSID classId) {
  ElementSearch search{classId, false, {}};
  ParseHomeScreenText(content, file, OnElementStart, &search);
  if (!search.found) {
    throw HostError("the home-screen file " + file.string() + " has no element with clsid=\"" +
                    ClassIdText(classId) + "\"");
  }
  return std::move(search.attributes);
}

std::vector<XmlAttribute> ReadHomeAttributes(const std::filesystem::path& file) {
  RootAttributeSearch search;
  ParseHomeScreenText(ReadWholeFile(file), file, OnRootStart, &search);
  return std::move(search.attributes);
}

std::optional<std::string> ReadHomeAttribute(const std::filesystem::path& file,
                                             const std::string& name) {
  const WString wideName = WidenUtf8(name);
  for (const XmlAttribute& attribute : ReadHomeAttributes(file)) {
    if (attribute.name == wideName) return NarrowUtf8(attribute.value);
  }
  return std::nullopt;
}
