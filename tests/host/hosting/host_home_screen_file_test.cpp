// The home-screen file read with the XML parser, and the plug-in's element as the XML DOM offers
// it.
#include <gtest/gtest.h>

#include "host/hosting/activation/class_id.h"
#include "host/hosting/home_screen_file.h"
#include "host/hosting/host_error.h"
#include "host/hosting/settings_element.h"
#include "host/hosting/unknown_setting_notes.h"
#include "platform/files/regular_file.h"
#include "plugin_state/plugin_settings.h"
#include "tests/fakes/com_expect.h"
#include "tests/fakes/home_screen_text.h"
#include "tests/fakes/temp_folder.h"

namespace {

// What getNamedItem answers for the name, and the attribute's text when it found one.
struct Lookup {
  HRESULT result;
  std::string value;
  VARTYPE type = VT_EMPTY;
};

Lookup LookUp(IXMLDOMNode* element, const WString& name) {
  IXMLDOMNamedNodeMap* map = nullptr;
  EXPECT_EQ(element->get_attributes(&map), S_OK);
  BSTR text = SysAllocString(name.c_str());
  IXMLDOMNode* item = reinterpret_cast<IXMLDOMNode*>(0x1);
  Lookup lookup{map->getNamedItem(text, &item), ""};
  SysFreeString(text);
  if (lookup.result == S_OK) {
    EXPECT_REF_COUNT(item, 1);
    VARIANT value;
    EXPECT_EQ(item->get_nodeValue(&value), S_OK);
    lookup.type = value.vt;
    if (value.vt == VT_BSTR)
      lookup.value = NarrowUtf8(WStringView(value.bstrVal, SysStringLen(value.bstrVal)));
    VariantClear(&value);
    item->Release();
  } else {
    EXPECT_EQ(item, nullptr);
  }
  map->Release();
  return lookup;
}

class HomeScreenFileTest : public testing::Test {
 protected:
  std::filesystem::path Write(const std::string& content) const {
    folder_.Write("home.xml", content);
    return folder_.path() / "home.xml";
  }
  std::string FailureOf(const std::filesystem::path& file) const {
    try {
      ReadPluginElement(file, kBatteryPluginClassId);
    } catch (const HostError& error) {
      return error.what();
    }
    return "no failure";
  }

  TempFolder folder_;
};

TEST_F(HomeScreenFileTest, ElementAttributesAreFoundByTheirExactNames) {
  const auto file = Write(R"(<?xml version="1.0"?>
<home>
  <plugin clsid="{00000000-0000-0000-0000-000000000001}" RefreshTimeout="1"/>
  <group>
    <plugin clsid="{fdea2f9b-0266-11CF-baa6-00aa003e0e01}" RefreshTimeout=" 1000 " StatFilename=""
            height="24" Café="&lt;x&gt;"/>
  </group>
</home>)");
  const ComPtr<IXMLDOMNode> element =
      CreateSettingsElement(ReadPluginElement(file, kBatteryPluginClassId));

  const Lookup refresh = LookUp(element.Get(), TEXT("RefreshTimeout"));
  EXPECT_EQ(refresh.result, S_OK);
  EXPECT_EQ(refresh.type, VT_BSTR);
  EXPECT_EQ(refresh.value, " 1000 ");
  const Lookup empty = LookUp(element.Get(), TEXT("StatFilename"));
  EXPECT_EQ(empty.result, S_OK);
  EXPECT_EQ(empty.value, "");
  EXPECT_EQ(LookUp(element.Get(), TEXT("Caf\u00E9")).value, "<x>");
  EXPECT_EQ(LookUp(element.Get(), TEXT("height")).value, "24");

  EXPECT_EQ(LookUp(element.Get(), TEXT("MinPercent")).result, S_FALSE);
  EXPECT_EQ(LookUp(element.Get(), TEXT("Height")).result, S_FALSE);
  EXPECT_EQ(LookUp(element.Get(), TEXT("refreshtimeout")).result, S_FALSE);
  EXPECT_EQ(LookUp(element.Get(), TEXT("RefreshTimeout ")).result, S_FALSE);
}

TEST_F(HomeScreenFileTest, AttributeMapHoldsItsElement) {
  ComPtr<IXMLDOMNode> element = CreateSettingsElement({{TEXT("a"), TEXT("1")}});
  IXMLDOMNamedNodeMap* map = nullptr;
  ASSERT_EQ(element->get_attributes(&map), S_OK);
  EXPECT_REF_COUNT(element.Get(), 2);
  EXPECT_INTERFACE(map, IID_IXMLDOMNamedNodeMap, true);
  EXPECT_INTERFACE(map, IID_IXMLDOMNode, false);
  element.Reset();
  // The map still reaches the element's attributes.
  IXMLDOMNode* item = nullptr;
  BSTR name = SysAllocString(TEXT("a"));
  EXPECT_EQ(map->getNamedItem(name, &item), S_OK);
  SysFreeString(name);
  item->Release();
  EXPECT_EQ(map->Release(), 0u);
}

// The default file chooses no setting, so that each takes the plug-in's default of the day; it
// documents each setting with its default for the user who edits it.
TEST_F(HomeScreenFileTest, DefaultFileNamesThePluginAndLeavesEverySettingToItsDefault) {
  const auto file = folder_.path() / "config" / "zelvar" / "home.xml";
  EXPECT_TRUE(WriteDefaultHomeScreenFileIfMissing(file));
  EXPECT_FALSE(WriteDefaultHomeScreenFileIfMissing(file));
  const std::vector<XmlAttribute> written = ReadPluginElement(file, kBatteryPluginClassId);
  ASSERT_EQ(written.size(), 1u);
  EXPECT_EQ(written[0].name, WString(TEXT("clsid")));
  EXPECT_FALSE(ReadHomeAttribute(file, "NotifyBelow"));
  const std::string text = DefaultHomeScreenText();
  for (const SettingAttribute& setting : kSettingAttributes) {
    EXPECT_NE(text.find("    " + NarrowUtf8(setting.name) + "=\""), std::string::npos);
  }
  EXPECT_NE(text.find("    FlushTimeoutHours=\"8\"\n        hourly samples"), std::string::npos);
  EXPECT_NE(text.find("    StatFilename=\"\\Storage\\My Documents\\ZelvarPlugin.dat\"\n"),
            std::string::npos);
  EXPECT_NE(text.find("    NotifyBelow=\"20,10,5\"\n"), std::string::npos);
  EXPECT_NE(text.find("    NotifyBelowMinutes=\"\"\n"), std::string::npos);
  EXPECT_NE(text.find("    CriticalBelow=\"3\"\n"), std::string::npos);
  EXPECT_NE(text.find("    NotifyFull=\"no\"\n"), std::string::npos);

  // A file the host could not write reads as the default file it would have written.
  const std::vector<XmlAttribute> missing =
      ReadPluginElement(folder_.path() / "missing.xml", kBatteryPluginClassId);
  ASSERT_EQ(missing.size(), 1u);
  EXPECT_EQ(missing[0].value, written[0].value);
}

// An attribute nothing reads is named, with the element's nearest setting where one is near (no
// more edits than a third of its length): a misspelt setting would otherwise be ignored unseen.
TEST_F(HomeScreenFileTest, AttributesNothingReadsAreNamedWithTheNearestSetting) {
  const std::string plugin = R"(<plugin clsid="{FDEA2F9B-0266-11cf-BAA6-00AA003E0E01}" )";
  const std::string also = " is not a setting of the plug-in (did you mean ";
  const std::string none = " is not a setting of the plug-in; it is ignored";
  const std::pair<std::string, std::string> rows[] = {
      {HomeScreenWith(R"(MaxHistroyDays="60")"),
       "MaxHistroyDays" + also + "MaxHistoryDays?); it is ignored"},
      {HomeScreenWith(R"(Height="20")"), "Height" + also + "height?); it is ignored"},
      {HomeScreenWith(R"(hxxght="20")"), "hxxght" + also + "height?); it is ignored"},
      {HomeScreenWith(R"(hxxxht="20")"), "hxxxht" + none},
      {HomeScreenWith(R"(NotifyBelow="5")"), "NotifyBelow" + none},
      {R"(<home NotifyBellow="5">)" + plugin + "/></home>",
       "NotifyBellow is not a setting of the home screen (did you mean NotifyBelow?); it is "
       "ignored"},
      {R"(<home NotifyBelow="5" NotifyBelowMinutes="30" Format="{}">)" + plugin +
           R"(RefreshTimeout="1" StatFilename="x" MaxHistoryDays="1" MinPercent="1" )"
           R"(FlushTimeoutHours="1" height="1" ExpertMode="1"/></home>)",
       ""},
  };
  for (const auto& [content, note] : rows) {
    const std::filesystem::path file = Write(content);
    const std::vector<std::string> notes = UnknownSettingNotes(
        file, ReadPluginElement(file, kBatteryPluginClassId), ReadHomeAttributes(file));
    EXPECT_EQ(notes, note.empty() ? std::vector<std::string>{}
                                  : std::vector<std::string>{"the home-screen file " +
                                                             file.string() + ": " + note})
        << content;
  }
}

TEST_F(HomeScreenFileTest, MalformedOrIncompleteFilesAreReportedWithTheirLine) {
  const auto file = Write(
      "<home>\n  <plugin clsid=\"{FDEA2F9B-0266-11cf-BAA6-00AA003E0E01}\">\n  </plug>\n</home>\n");
  const std::string failure = FailureOf(file);
  EXPECT_EQ(
      failure.rfind("the home-screen file is not well-formed XML: " + file.string() + ":3: ", 0),
      0u)
      << failure;

  EXPECT_NE(FailureOf(Write("<home>\n  <plugin RefreshTimeout=\"1\"/>\n</home>"))
                .find("has no element with clsid=\"{FDEA2F9B"),
            std::string::npos);
}

TEST_F(HomeScreenFileTest, ContentBeyondTheLimitIsRefusedUnparsed) {
  try {
    FindPluginElement(std::string(16 * kMebibyte + 1, ' '), "home.xml", kBatteryPluginClassId);
    ADD_FAILURE() << "no failure";
  } catch (const HostError& error) {
    EXPECT_STREQ(error.what(), "cannot read the home-screen file home.xml: larger than 16 MiB");
  }
}

TEST_F(HomeScreenFileTest, EntitiesExpandOnlyWithinTheFileAndWithinBounds) {
  const std::string element =
      R"(<home><plugin clsid="{FDEA2F9B-0266-11cf-BAA6-00AA003E0E01}" StatFilename="&d;"/></home>)";
  const auto file = Write(R"(<!DOCTYPE home [<!ENTITY d "\x.dat">]>)" + element);
  EXPECT_EQ(LookUp(CreateSettingsElement(ReadPluginElement(file, kBatteryPluginClassId)).Get(),
                   TEXT("StatFilename"))
                .value,
            "\\x.dat");

  std::string laughs = "<!DOCTYPE home [<!ENTITY d0 \"lol\">";
  for (int level = 1; level <= 9; ++level) {
    laughs += "<!ENTITY d" + std::to_string(level) + " \"";
    for (int copy = 0; copy < 10; ++copy) laughs += "&d" + std::to_string(level - 1) + ";";
    laughs += "\">";
  }
  laughs += "<!ENTITY d \"&d9;\">]>";
  folder_.Write("secret.txt", "secret");
  const std::string external =
      "<!DOCTYPE home [<!ENTITY d SYSTEM \"" + (folder_.path() / "secret.txt").string() + "\">]>";
  for (const std::string& header : {laughs, external}) {
    const std::string failure = FailureOf(Write(header + element));
    EXPECT_EQ(failure.rfind("the home-screen file is not well-formed XML: ", 0), 0u) << failure;
  }
}

}  // namespace
