// The contract between the home screen host and a plug-in: the interface the plug-in offers, the
// two the host offers, and the event record.
#pragma once

#include <cstddef>

#include "platform/api.h"

// The host's handle for one plug-in, passed back on every host call.
typedef DWORD PluginHandle;

enum PluginEventType : DWORD {
  PE_KEYDOWN = 0,
  PE_ACTION = 1,
  PE_PAINT = 2,
  PE_SYSCOLORCHANGE = 3,
  PE_TIMER = 4,
  PE_DATACHANGE = 5,
};

// The virtual-key codes of the left and right navigation keys that PE_KEYDOWN carries; the plug-in
// refreshes its line on either.
inline constexpr WORD kVirtualKeyLeft = 37;
inline constexpr WORD kVirtualKeyRight = 39;

// The height of a plug-in's line, as GetHeight reports it whatever the height setting holds.
inline constexpr LONG kPluginLineHeight = 20;

// The record given to OnEvent, little-endian. The device context travels as a 32-bit handle
// value; see HdcFromEventWord.
struct PluginEvent {
  DWORD type;
  union {
    struct {
      WORD keyCode;  // kVirtualKeyLeft, kVirtualKeyRight or any other key
    } key;
    struct {
      DWORD hdc;
      DWORD selected;  // non-zero when the line is the selected one
      LONG left, top, right, bottom;
    } paint;
  };
};

static_assert(offsetof(PluginEvent, type) == 0);
static_assert(offsetof(PluginEvent, key.keyCode) == 4);
static_assert(offsetof(PluginEvent, paint.hdc) == 4);
static_assert(offsetof(PluginEvent, paint.selected) == 8);
static_assert(offsetof(PluginEvent, paint.left) == 12);
static_assert(offsetof(PluginEvent, paint.bottom) == 24);
static_assert(sizeof(PluginEvent) == 28);

// A PE_PAINT record for the line's rectangle, as a host sends it.
inline PluginEvent MakePaintEvent(DWORD hdcWord, bool selected, const RECT& line) {
  PluginEvent event{};
  event.type = PE_PAINT;
  event.paint.hdc = hdcWord;
  event.paint.selected = selected ? 1 : 0;
  event.paint.left = line.left;
  event.paint.top = line.top;
  event.paint.right = line.right;
  event.paint.bottom = line.bottom;
  return event;
}

// {7F0C58E9-4F30-47BB-9693-D778E999C433}
inline constexpr IID IID_HomeScreenPlugin = {
    0x7F0C58E9, 0x4F30, 0x47BB, {0x96, 0x93, 0xD7, 0x78, 0xE9, 0x99, 0xC4, 0x33}};
// {FF328DC0-22F5-4AC1-A103-19B389C633FA}
inline constexpr IID IID_HostEnvironment = {
    0xFF328DC0, 0x22F5, 0x4AC1, {0xA1, 0x03, 0x19, 0xB3, 0x89, 0xC6, 0x33, 0xFA}};
// {E01A8A84-DDEF-438E-9004-3FB2A908E465}
inline constexpr IID IID_HostColourLookup = {
    0xE01A8A84, 0xDDEF, 0x438E, {0x90, 0x04, 0x3F, 0xB2, 0xA9, 0x08, 0xE4, 0x65}};

struct HomeScreenPlugin : IObjectWithSite {
  virtual HRESULT STDMETHODCALLTYPE Initialize(PluginHandle handle, IXMLDOMNode* settings) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetHeight(LONG* height) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetSelectability(BOOL* selectable) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnEvent(PluginEvent* event) = 0;
};

struct HostEnvironment : IUnknown {
  // Asks the host to repaint the plug-in's line soon (a PE_PAINT follows).
  virtual HRESULT STDMETHODCALLTYPE RequestRepaint(PluginHandle handle, DWORD flags) = 0;
  // Asks for one PE_TIMER after about the given delay.
  virtual HRESULT STDMETHODCALLTYPE ScheduleTimer(PluginHandle handle, DWORD milliseconds) = 0;
};

struct HostColourLookup : IUnknown {
  // Two methods of the host's that plug-ins do not call; they hold their vtable slots.
  virtual HRESULT STDMETHODCALLTYPE GetFont(PluginHandle handle, LPCWSTR name, DWORD* font) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetMetric(PluginHandle handle, LPCWSTR name, LONG* metric) = 0;
  // Looks a named colour of the home screen's scheme up; negative when there is none.
  virtual HRESULT STDMETHODCALLTYPE GetColor(PluginHandle handle, LPCWSTR name, DWORD* colour) = 0;
};
