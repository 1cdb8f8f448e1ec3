// What the conformance checks need of the system they run on, behind one interface: the Windows
// backend answers through the real runtime (regsvr32, COM activation, MSXML, HGLOBAL streams, GDI
// bitmaps, real message boxes), the stand-in backend through the Linux platform. The checks
// themselves are one portable source, so both systems must give the same answers.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/api.h"
#include "windows/conformance/shown_message.h"

struct SettingsAttribute {
  WString name;
  WString value;
};

// A bitmap that a device context draws on, as the host hands one to PE_PAINT.
class PaintSurface {
 public:
  virtual ~PaintSurface() = default;
  // The device context as the PE_PAINT record carries it.
  virtual DWORD EventWord() const = 0;
  virtual COLORREF PixelAt(LONG x, LONG y) const = 0;
};

// The exports of the loaded module, called directly as a host's loader would find them.
struct ModuleExports {
  HRESULT (*DllGetClassObject)(REFCLSID, REFIID, LPVOID*) = nullptr;
  HRESULT (*DllCanUnloadNow)() = nullptr;
  HRESULT (*DllRegisterServer)() = nullptr;
  HRESULT (*DllUnregisterServer)() = nullptr;
};

class HostDriver {
 public:
  virtual ~HostDriver() = default;

  // Registers and unregisters the module as an installer does (regsvr32 on Windows); true when
  // the tool reports success.
  virtual bool RegisterModule() = 0;
  virtual bool UnregisterModule() = 0;
  // The module file's full path, as registration should store it.
  virtual WString ModulePath() const = 0;
  // The module loaded for the whole run; all four exports are set.
  virtual const ModuleExports& Exports() = 0;

  // Activation by class id through the registration, as the home screen does it.
  virtual HRESULT CreateByClassId(REFCLSID classId, REFIID riid, void** object) = 0;

  // The settings element with these attributes, parsed by the system's XML DOM (one reference).
  virtual IXMLDOMNode* ParseSettingsElement(const std::vector<SettingsAttribute>& attributes) = 0;

  // A stream holding the bytes, positioned at its start (one reference).
  virtual IStream* NewStream(const std::vector<BYTE>& bytes) = 0;
  // Everything written to the stream so far.
  virtual std::vector<BYTE> StreamBytes(IStream* stream) = 0;

  // A width x height surface filled with the background colour. Text is drawn transparently, as
  // the home screen draws its lines.
  virtual std::unique_ptr<PaintSurface> NewSurface(LONG width, LONG height,
                                                   COLORREF background) = 0;

  // The message boxes shown since the last call, each dismissed with OK as a user would.
  virtual std::vector<ShownMessage> TakeMessages() = 0;

  // The name the plug-in gets for a file called leaf in a fresh folder of this run; the checks
  // open it with _wfopen, as the plug-in does.
  virtual WString FileNameInRunFolder(const char* leaf) = 0;
  // How a text file written by the runtime library ends its lines.
  virtual std::string TextLineEnd() const = 0;
  // Whether the system's VariantChangeType reads every number form of the real runtime when it
  // turns text into an integer: hexadecimal "&H10", fractions rounded half to even, exponents,
  // thousands separators and negatives in parentheses, besides plain decimal integers.
  virtual bool ReadsEveryNumberForm() const = 0;

  // The local zone's offset from UTC in minutes at the given instant, by the zone's rules
  // (daylight saving included): a way to find a switch that does not go through the time calls
  // under test.
  virtual LONG ZoneOffsetMinutesAt(const FILETIME& utc) = 0;
};
