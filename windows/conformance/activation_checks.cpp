// Activation by class id, the class factory's answers, one identity behind both faces, and the
// module's count of live objects and server locks as DllCanUnloadNow reports it.
#include "windows/conformance/conformance_checks.h"
#include "windows/conformance/plugin_under_test.h"
#include "windows/conformance/test_host.h"

namespace {

// {F00DF00D-0000-4000-8000-00000000CAFE}: a class the module does not serve.
constexpr CLSID kOtherClassId = {
    0xF00DF00D, 0x0000, 0x4000, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0xCA, 0xFE}};
// {0000010B-0000-0000-C000-000000000046}: IPersistFile, which the plug-in does not offer.
constexpr IID kUnofferedInterface = {0x0000010B, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

IUnknown* IdentityOf(IUnknown* object) {
  void* identity = nullptr;
  if (object == nullptr || FAILED(object->QueryInterface(IID_IUnknown, &identity))) return nullptr;
  static_cast<IUnknown*>(identity)->Release();
  return static_cast<IUnknown*>(identity);
}

void CheckFaces(CheckReport& report, PluginUnderTest& plugin) {
  IUnknown* identity = IdentityOf(plugin.plugin());
  report.Check(identity != nullptr && identity == IdentityOf(plugin.persist()),
               "both faces answer IUnknown with one identity");
  for (const IID* iid :
       {&IID_IObjectWithSite, &IID_IPersist, &IID_IPersistStream, &IID_HomeScreenPlugin}) {
    void* face = nullptr;
    const HRESULT hr = plugin.persist()->QueryInterface(*iid, &face);
    if (report.EqualResult(hr, S_OK, "the persist face answers each of the plug-in's interfaces")) {
      static_cast<IUnknown*>(face)->Release();
    }
  }
  void* face = reinterpret_cast<void*>(1);
  report.EqualResult(plugin.plugin()->QueryInterface(kUnofferedInterface, &face), E_NOINTERFACE,
                     "an interface the plug-in lacks");
  report.Check(face == nullptr, "a refused query leaves the out pointer null");

  CLSID classId{};
  report.EqualResult(plugin.persist()->GetClassID(&classId), S_OK, "GetClassID");
  report.Check(IsEqualCLSID(classId, kZelvarPluginClass), "GetClassID gives the registered class");
  report.EqualResult(plugin.persist()->IsDirty(), S_OK, "IsDirty always answers S_OK");

  LONG height = 0;
  BOOL selectable = FALSE;
  report.EqualResult(plugin.plugin()->GetHeight(&height), S_OK, "GetHeight");
  report.Equal(height, kPluginLineHeight, "the line is kPluginLineHeight high");
  report.EqualResult(plugin.plugin()->GetSelectability(&selectable), S_OK, "GetSelectability");
  report.Equal(selectable, BOOL{TRUE}, "the line is selectable");
}

void CheckSite(CheckReport& report, PluginUnderTest& plugin, TestSite& site,
               TestHostEnvironment& environment) {
  report.Equal(environment.outstanding(), LONG{1},
               "the plug-in holds one reference to HostEnvironment");
  void* asked = nullptr;
  report.EqualResult(plugin.plugin()->GetSite(IID_HostEnvironment, &asked), S_OK,
                     "GetSite for HostEnvironment");
  report.Check(asked == static_cast<HostEnvironment*>(&environment),
               "GetSite hands back the environment");
  if (asked != nullptr) static_cast<IUnknown*>(asked)->Release();
  report.EqualResult(plugin.plugin()->SetSite(nullptr), S_OK, "SetSite(null)");
  report.Equal(environment.outstanding(), LONG{0}, "SetSite(null) returns the environment");
  report.Equal(site.outstanding(), LONG{0}, "the plug-in keeps no reference to the site itself");
}

void CheckFactory(HostDriver& driver, CheckReport& report) {
  const ModuleExports& exports = driver.Exports();
  void* object = reinterpret_cast<void*>(1);
  report.EqualResult(exports.DllGetClassObject(kOtherClassId, IID_IClassFactory, &object),
                     CLASS_E_CLASSNOTAVAILABLE, "DllGetClassObject for another class");
  report.Check(object == nullptr, "another class leaves the out pointer null");
  object = reinterpret_cast<void*>(1);
  report.EqualResult(exports.DllGetClassObject(kZelvarPluginClass, kUnofferedInterface, &object),
                     E_NOINTERFACE, "DllGetClassObject for an interface the factory lacks");
  report.Check(object == nullptr, "a refused factory interface leaves the out pointer null");

  object = nullptr;
  if (!report.EqualResult(exports.DllGetClassObject(kZelvarPluginClass, IID_IClassFactory, &object),
                          S_OK, "DllGetClassObject for IClassFactory")) {
    return;
  }
  auto* factory = static_cast<IClassFactory*>(object);
  report.EqualResult(exports.DllCanUnloadNow(), S_OK,
                     "a factory held without a lock does not keep the module");
  factory->LockServer(TRUE);
  report.EqualResult(exports.DllCanUnloadNow(), S_FALSE, "a server lock keeps the module");
  factory->LockServer(FALSE);
  report.EqualResult(exports.DllCanUnloadNow(), S_OK,
                     "the module may unload once the lock is gone");

  TestHostEnvironment outerObject;
  void* aggregated = reinterpret_cast<void*>(1);
  report.EqualResult(factory->CreateInstance(&outerObject, IID_IUnknown, &aggregated),
                     CLASS_E_NOAGGREGATION, "CreateInstance with an outer object");
  report.Check(aggregated == nullptr, "a refused aggregation leaves the out pointer null");
  void* plugin = reinterpret_cast<void*>(1);
  report.EqualResult(factory->CreateInstance(nullptr, kUnofferedInterface, &plugin), E_NOINTERFACE,
                     "CreateInstance for an interface the plug-in lacks");
  report.Check(plugin == nullptr, "a refused plug-in interface leaves the out pointer null");
  report.EqualResult(exports.DllCanUnloadNow(), S_OK, "a refused object is not left behind");
  report.Equal(factory->Release(), ULONG{0}, "the caller held the factory's only reference");
}

}  // namespace

void CheckActivationAndLifetime(HostDriver& driver, CheckReport& report) {
  report.Group("activation");
  report.EqualResult(driver.Exports().DllCanUnloadNow(), S_OK, "DllCanUnloadNow before any object");
  {
    TestHostEnvironment environment;
    TestSite site(&environment);
    PluginUnderTest plugin(driver, report, &site);
    if (plugin.created()) {
      report.EqualResult(driver.Exports().DllCanUnloadNow(), S_FALSE,
                         "DllCanUnloadNow while a plug-in lives");
      CheckFaces(report, plugin);
      CheckSite(report, plugin, site, environment);
    }
  }
  report.EqualResult(driver.Exports().DllCanUnloadNow(), S_OK,
                     "DllCanUnloadNow after the last Release");
  CheckFactory(driver, report);
}
