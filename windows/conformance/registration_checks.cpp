// The class key and its InprocServer32 key, exactly as registration leaves them, and their removal.
#include "windows/conformance/conformance_checks.h"
#include "windows/conformance/registry_reader.h"

namespace {

const WString kClassKeyName = TEXT("{FDEA2F9B-0266-11cf-BAA6-00AA003E0E01}");
const WString kClassKey = TEXT("CLSID\\{FDEA2F9B-0266-11cf-BAA6-00AA003E0E01}");
const WString kServerKey = TEXT("CLSID\\{FDEA2F9B-0266-11cf-BAA6-00AA003E0E01}\\InprocServer32");

void CheckOnlyDefaultText(CheckReport& report, const OpenedKey& key, const WString& text,
                          const std::string& keyName) {
  const std::vector<StoredValue> values = key.Values();
  if (!report.Equal(values.size(), size_t{1}, keyName + " holds exactly one value")) return;
  const StoredValue& value = values.front();
  report.Equal(value.name, WString(), keyName + "'s value is the default (unnamed) one");
  report.Equal(value.type, DWORD{REG_SZ}, keyName + "'s value is REG_SZ");
  report.Equal(value.data.size(), (text.size() + 1) * 2,
               keyName + "'s value size counts the terminator");
  report.Equal(value.data, TextValueBytes(text), keyName + "'s value");
}

void CheckRegisteredKeys(HostDriver& driver, CheckReport& report) {
  const OpenedKey classes(HKEY_CLASSES_ROOT, TEXT("CLSID"));
  bool spelledExactly = false;
  for (const WString& name : classes.Subkeys())
    spelledExactly = spelledExactly || name == kClassKeyName;
  report.Check(spelledExactly, "the class key is named with the class id in its mixed case");

  const OpenedKey classKey(HKEY_CLASSES_ROOT, kClassKey);
  if (!report.Check(classKey.open(), "the class key exists")) return;
  CheckOnlyDefaultText(report, classKey, TEXT("Demo Plugin"), "the class key");
  report.Equal(classKey.Subkeys(), std::vector<WString>{TEXT("InprocServer32")},
               "the class key's only subkey is InprocServer32");

  const OpenedKey serverKey(HKEY_CLASSES_ROOT, kServerKey);
  if (!report.Check(serverKey.open(), "the InprocServer32 key exists")) return;
  CheckOnlyDefaultText(report, serverKey, driver.ModulePath(), "InprocServer32");
  report.Check(serverKey.Subkeys().empty(), "InprocServer32 has no subkeys");
}

}  // namespace

void CheckRegistration(HostDriver& driver, CheckReport& report) {
  report.Group("registration");
  // A run that stopped half-way may have left a registration behind.
  driver.UnregisterModule();
  report.Check(!OpenedKey(HKEY_CLASSES_ROOT, kClassKey).open(), "no registration before the run");

  report.Check(driver.RegisterModule(), "registration succeeds");
  CheckRegisteredKeys(driver, report);
  report.Check(driver.RegisterModule(), "registering again succeeds");
  CheckRegisteredKeys(driver, report);
}

void CheckUnregistration(HostDriver& driver, CheckReport& report) {
  report.Group("unregistration");
  report.Check(driver.UnregisterModule(), "unregistration succeeds");
  report.Check(!OpenedKey(HKEY_CLASSES_ROOT, kServerKey).open(), "the InprocServer32 key is gone");
  report.Check(!OpenedKey(HKEY_CLASSES_ROOT, kClassKey).open(), "the class key is gone");

  const ModuleExports& exports = driver.Exports();
  report.EqualResult(exports.DllUnregisterServer(), E_FAIL,
                     "unregistering when nothing is registered");

  HKEY classKey = nullptr;
  DWORD disposition = 0;
  RegCreateKeyExW(HKEY_CLASSES_ROOT, kClassKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                  KEY_ALL_ACCESS, nullptr, &classKey, &disposition);
  if (classKey != nullptr) RegCloseKey(classKey);
  report.EqualResult(exports.DllUnregisterServer(), E_FAIL,
                     "unregistering when only the class key exists");
  report.Check(OpenedKey(HKEY_CLASSES_ROOT, kClassKey).open(), "a lone class key is left in place");
  RegDeleteKeyW(HKEY_CLASSES_ROOT, kClassKey.c_str());
}
