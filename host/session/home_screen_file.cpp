#include "host/session/home_screen_file.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

#include "host/activation/class_id.h"
#include "host/host_error.h"

namespace {

// Far more than any home screen needs, and within the parser's int-sized buffer.
constexpr size_t kLargestFile = 16 * 1024 * 1024;

std::filesystem::path ConfigFolder() {
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && config[0] == '/') return config;
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home != nullptr && *home != '\0' ? home : ".") / ".config";
}

std::string ReadWholeFile(const std::filesystem::path& file) {
  std::error_code ignored;
  if (std::filesystem::is_directory(file, ignored)) {
    throw HostError("the home-screen file " + file.string() + " is a directory, not a file");
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) throw HostError("cannot read the home-screen file " + file.string() + ": " + std::strerror(errno));
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) throw HostError("cannot read the home-screen file " + file.string() + ": " + std::strerror(errno));
  return content.str();
}

// The plug-in's integer settings: it reads each as VT_INT and takes its default when that fails.
constexpr const char16_t* kIntegerSettings[] = {u"RefreshTimeout", u"MaxHistoryDays", u"MinPercent",
                                                u"FlushTimeoutHours", u"height", u"ExpertMode"};

bool IsIntegerSetting(WStringView name) {
  for (const char16_t* setting : kIntegerSettings) {
    if (name == setting) return true;
  }
  return false;
}

// Whether the plug-in's own conversion takes the text as a number.
bool ConvertsToInteger(const WString& text) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_BSTR;
  value.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  const bool converts = value.bstrVal != nullptr && SUCCEEDED(VariantChangeType(&value, &value, 0, VT_INT));
  VariantClear(&value);
  return converts;
}

std::string Utf8(const xmlChar* text) { return text != nullptr ? reinterpret_cast<const char*>(text) : ""; }

std::string AttributeValue(xmlDocPtr document, xmlAttrPtr attribute) {
  xmlChar* value = xmlNodeListGetString(document, attribute->children, 1);
  std::string text = Utf8(value);
  xmlFree(value);
  return text;
}

// The first element, in document order below `node`, with a clsid attribute naming the class.
xmlNodePtr FindPluginElement(xmlDocPtr document, xmlNodePtr node, REFCLSID classId) {
  for (; node != nullptr; node = node->next) {
    if (node->type != XML_ELEMENT_NODE) continue;
    for (xmlAttrPtr attribute = node->properties; attribute != nullptr; attribute = attribute->next) {
      if (Utf8(attribute->name) == "clsid" && NamesClassId(AttributeValue(document, attribute), classId)) return node;
    }
    if (xmlNodePtr found = FindPluginElement(document, node->children, classId)) return found;
  }
  return nullptr;
}

struct ParserContextDeleter {
  void operator()(xmlParserCtxtPtr context) const { xmlFreeParserCtxt(context); }
};
struct DocumentDeleter {
  void operator()(xmlDocPtr document) const { xmlFreeDoc(document); }
};

// The parser's first complaint: later ones follow from it (a wrong end tag also leaves the
// document unfinished at its end).
struct FirstParseError {
  int line = 0;
  std::string message;
};

void KeepFirstError(void* context, xmlErrorPtr error) {
  auto* first = static_cast<FirstParseError*>(static_cast<xmlParserCtxtPtr>(context)->_private);
  if (first == nullptr || error == nullptr || !first->message.empty() || error->level < XML_ERR_ERROR) return;
  first->line = error->line;
  first->message = error->message != nullptr ? error->message : "not well-formed XML";
  while (!first->message.empty() && (first->message.back() == '\n' || first->message.back() == ' ')) {
    first->message.pop_back();
  }
}

}  // namespace

std::filesystem::path DefaultHomeScreenFile() { return ConfigFolder() / "zelvar" / "home.xml"; }

std::string DefaultHomeScreenText() {
  return R"xml(<?xml version="1.0" encoding="UTF-8"?>
<!--
  The zelvar home screen: the plug-ins it shows, one element each.

  A plug-in's element names the plug-in's class in its clsid attribute; its other attributes are
  the plug-in's settings, read when the home screen starts the plug-in. The battery plug-in's
  settings, here at their defaults:
    RefreshTimeout     longest wait between two refreshes of the line, in milliseconds
    StatFilename       the file of hourly drain samples, a device path; the device root "\" is a
                       folder on this machine (see the help of zelvar-home)
    MaxHistoryDays     samples this many days old or older are not used
    MinPercent         below this charge (percent) no hourly sample is taken
    FlushTimeoutHours  hourly samples gathered before they are appended to the file
    height             kept by the plug-in; its line is always one line high
    ExpertMode         1: the line also shows the battery current and the report the statistics

  The home screen saves the plug-in's state when it closes and restores it at the next start; a
  change made here applies at the next start, since this file is then newer than the saved state.
-->
<home>
  <plugin clsid="{FDEA2F9B-0266-11cf-BAA6-00AA003E0E01}"
          RefreshTimeout="600000"
          StatFilename="\Storage\My Documents\ZelvarPlugin.dat"
          MaxHistoryDays="30"
          MinPercent="20"
          FlushTimeoutHours="8"
          height="20"
          ExpertMode="0"/>
</home>
)xml";
}

bool WriteDefaultHomeScreenFileIfMissing(const std::filesystem::path& file) {
  std::error_code error;
  if (std::filesystem::exists(file, error)) return false;
  if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), error);
  if (error) {
    throw HostError("cannot write the home-screen file " + file.string() + ": cannot create its folder " +
                    file.parent_path().string() + ": " + error.message());
  }
  std::ofstream out(file, std::ios::binary);
  if (!out) throw HostError("cannot write the home-screen file " + file.string() + ": " + std::strerror(errno));
  out << DefaultHomeScreenText();
  out.close();
  if (!out) throw HostError("cannot write the home-screen file " + file.string() + ": " + std::strerror(errno));
  return true;
}

std::vector<std::string> NonNumericSettingNotes(const std::filesystem::path& file,
                                                const std::vector<XmlAttribute>& attributes) {
  std::vector<std::string> notes;
  for (const XmlAttribute& attribute : attributes) {
    if (!IsIntegerSetting(attribute.name) || ConvertsToInteger(attribute.value)) continue;
    notes.push_back("the home-screen file " + file.string() + ": " + NarrowUtf8(attribute.name) + "=\"" +
                    NarrowUtf8(attribute.value) + "\" is not a number; the plug-in takes its default");
  }
  return notes;
}

std::vector<XmlAttribute> ReadPluginElement(const std::filesystem::path& file, REFCLSID classId) {
  const std::string content = ReadWholeFile(file);
  if (content.size() > kLargestFile) throw HostError("the home-screen file " + file.string() + " is too large");
  const std::unique_ptr<xmlParserCtxt, ParserContextDeleter> context(xmlNewParserCtxt());
  if (!context) throw HostError("cannot start the XML parser");
  // The parser's messages come to KeepFirstError instead of standard error; no network access.
  FirstParseError firstError;
  context->_private = &firstError;
  context->sax->serror = KeepFirstError;
  const std::unique_ptr<xmlDoc, DocumentDeleter> document(xmlCtxtReadMemory(
      context.get(), content.data(), static_cast<int>(content.size()), file.c_str(), nullptr, XML_PARSE_NONET));
  if (!document || context->wellFormed == 0) {
    if (firstError.message.empty()) KeepFirstError(context.get(), xmlCtxtGetLastError(context.get()));
    throw HostError("the home-screen file is not well-formed XML: " + file.string() + ":" +
                    std::to_string(firstError.line) + ": " + firstError.message);
  }

  const xmlNodePtr element = FindPluginElement(document.get(), xmlDocGetRootElement(document.get()), classId);
  if (element == nullptr) {
    throw HostError("the home-screen file " + file.string() + " has no element with clsid=\"" + ClassIdText(classId) + "\"");
  }
  std::vector<XmlAttribute> attributes;
  for (xmlAttrPtr attribute = element->properties; attribute != nullptr; attribute = attribute->next) {
    attributes.push_back({WidenUtf8(Utf8(attribute->name)), WidenUtf8(AttributeValue(document.get(), attribute))});
  }
  return attributes;
}
