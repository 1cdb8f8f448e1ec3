#include "windows/conformance/windows_host_driver.h"

#include <cstdio>
#include <cstdlib>

#include "com_toolkit/com_ptr.h"

namespace {

// The system's XML DOM document class, which mingw's import library does not carry.
constexpr CLSID kDomDocumentClass = {
    0x2933BF90, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
constexpr DWORD kToolTimeoutMs = 60000;

class WindowsPaintSurface : public PaintSurface {
 public:
  WindowsPaintSurface(LONG width, LONG height, COLORREF background)
      : dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    previous_ = SelectObject(dc_, bitmap_);
    // The home screen draws its lines' text over its own background.
    SetBkMode(dc_, TRANSPARENT);
    const RECT all = {0, 0, width, height};
    HBRUSH brush = CreateSolidBrush(background);
    FillRect(dc_, &all, brush);
    DeleteObject(brush);
  }

  ~WindowsPaintSurface() override {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }

  DWORD EventWord() const override { return HandleToULong(dc_); }

  COLORREF PixelAt(LONG x, LONG y) const override {
    GdiFlush();
    return GetPixel(dc_, x, y);
  }

 private:
  HDC dc_;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
};

WString XmlEscaped(const WString& text) {
  WString escaped;
  for (WCHAR c : text) {
    switch (c) {
      case L'&':
        escaped += L"&amp;";
        break;
      case L'<':
        escaped += L"&lt;";
        break;
      case L'>':
        escaped += L"&gt;";
        break;
      case L'"':
        escaped += L"&quot;";
        break;
      default:
        escaped.push_back(c);
    }
  }
  return escaped;
}

template <typename Function>
Function ExportOf(HMODULE module, const char* name) {
  // Through a function type without parameters, which may be cast to any other.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace

WindowsHostDriver::WindowsHostDriver(const WString& modulePath) : modulePath_(modulePath) {}

WindowsHostDriver::~WindowsHostDriver() {
  if (!runFolder_.empty()) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((runFolder_ + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
          DeleteFileW((runFolder_ + L"\\" + found.cFileName).c_str());
      } while (FindNextFileW(search, &found));
      FindClose(search);
    }
    RemoveDirectoryW(runFolder_.c_str());
  }
  if (module_ != nullptr) FreeLibrary(module_);
}

bool WindowsHostDriver::RunRegsvr32(const WString& switches) {
  WString command = L"regsvr32.exe /s " + switches + L"\"" + modulePath_ + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    std::printf("cannot start regsvr32 (error %lu)\n", GetLastError());
    return false;
  }
  DWORD exitCode = 1;
  if (WaitForSingleObject(process.hProcess, kToolTimeoutMs) == WAIT_OBJECT_0)
    GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return exitCode == 0;
}

bool WindowsHostDriver::RegisterModule() { return RunRegsvr32(L""); }

bool WindowsHostDriver::UnregisterModule() { return RunRegsvr32(L"/u "); }

const ModuleExports& WindowsHostDriver::Exports() {
  if (module_ == nullptr) {
    module_ = LoadLibraryW(modulePath_.c_str());
    if (module_ == nullptr) {
      std::printf("cannot load the module (error %lu)\n", GetLastError());
      std::exit(2);
    }
    exports_.DllGetClassObject =
        ExportOf<decltype(exports_.DllGetClassObject)>(module_, "DllGetClassObject");
    exports_.DllCanUnloadNow =
        ExportOf<decltype(exports_.DllCanUnloadNow)>(module_, "DllCanUnloadNow");
    exports_.DllRegisterServer =
        ExportOf<decltype(exports_.DllRegisterServer)>(module_, "DllRegisterServer");
    exports_.DllUnregisterServer =
        ExportOf<decltype(exports_.DllUnregisterServer)>(module_, "DllUnregisterServer");
    if (exports_.DllGetClassObject == nullptr || exports_.DllCanUnloadNow == nullptr ||
        exports_.DllRegisterServer == nullptr || exports_.DllUnregisterServer == nullptr) {
      std::printf("the module lacks one of its four exports\n");
      std::exit(2);
    }
  }
  return exports_;
}

HRESULT WindowsHostDriver::CreateByClassId(REFCLSID classId, REFIID riid, void** object) {
  return CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, riid, object);
}

IXMLDOMNode* WindowsHostDriver::ParseSettingsElement(
    const std::vector<SettingsAttribute>& attributes) {
  WString xml = L"<plugin";
  for (const SettingsAttribute& attribute : attributes)
    xml += L" " + attribute.name + L"=\"" + XmlEscaped(attribute.value) + L"\"";
  xml += L"/>";

  void* created = nullptr;
  if (FAILED(CoCreateInstance(kDomDocumentClass, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                              &created))) {
    std::printf("cannot create the XML DOM document\n");
    return nullptr;
  }
  const auto document = ComPtr<IXMLDOMDocument>::Adopt(static_cast<IXMLDOMDocument*>(created));
  document->put_async(VARIANT_FALSE);
  BSTR text = SysAllocString(xml.c_str());
  VARIANT_BOOL parsed = VARIANT_FALSE;
  document->loadXML(text, &parsed);
  SysFreeString(text);
  IXMLDOMElement* root = nullptr;
  if (parsed == VARIANT_TRUE) document->get_documentElement(&root);
  const auto element = ComPtr<IXMLDOMElement>::Adopt(root);
  if (!element) {
    std::printf("the XML DOM did not parse the settings element\n");
    return nullptr;
  }
  return QueryInterfaceOf<IXMLDOMNode>(element.Get(), IID_IXMLDOMNode).Detach();
}

IStream* WindowsHostDriver::NewStream(const std::vector<BYTE>& bytes) {
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) return nullptr;
  if (!bytes.empty()) stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
  LARGE_INTEGER start{};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  return stream;
}

std::vector<BYTE> WindowsHostDriver::StreamBytes(IStream* stream) {
  STATSTG status{};
  HGLOBAL memory = nullptr;
  if (FAILED(stream->Stat(&status, STATFLAG_NONAME)) ||
      FAILED(GetHGlobalFromStream(stream, &memory)))
    return {};
  const auto* bytes = static_cast<const BYTE*>(GlobalLock(memory));
  std::vector<BYTE> copy;
  if (bytes != nullptr) copy.assign(bytes, bytes + status.cbSize.QuadPart);
  GlobalUnlock(memory);
  return copy;
}

std::unique_ptr<PaintSurface> WindowsHostDriver::NewSurface(LONG width, LONG height,
                                                            COLORREF background) {
  return std::make_unique<WindowsPaintSurface>(width, height, background);
}

WString WindowsHostDriver::FileNameInRunFolder(const char* leaf) {
  if (runFolder_.empty()) {
    WCHAR temp[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    runFolder_ =
        WString(temp, length) + L"zelvar-conformance-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(runFolder_.c_str(), nullptr);
  }
  return runFolder_ + L"\\" + WidenLatin1(leaf);
}

LONG WindowsHostDriver::ZoneOffsetMinutesAt(const FILETIME& utc) {
  SYSTEMTIME utcTime{};
  SYSTEMTIME localTime{};
  FILETIME local{};
  // The zone's own rules for that instant, not the bias in force now.
  if (!FileTimeToSystemTime(&utc, &utcTime) ||
      !SystemTimeToTzSpecificLocalTime(nullptr, &utcTime, &localTime) ||
      !SystemTimeToFileTime(&localTime, &local)) {
    return 0;
  }
  const auto value = [](const FILETIME& time) {
    return static_cast<LONGLONG>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) |
                                 time.dwLowDateTime);
  };
  return static_cast<LONG>((value(local) - value(utc)) / 600'000'000);
}
