// The drawing calls of the device platform (its GDI) that the module uses, with the system's names
// and signatures. Device contexts and brushes are handles into a table kept by the platform; a
// device context draws on a canvas that the host hands out (platform/gdi/canvas.h).
#pragma once

#include <cstdint>

#include "platform/win_types.h"

typedef DWORD COLORREF;  // 0x00BBGGRR

#define RGB(r, g, b) \
  ((COLORREF)(((BYTE)(r) | ((WORD)((BYTE)(g)) << 8)) | (((DWORD)(BYTE)(b)) << 16)))
#define GetRValue(rgb) ((BYTE)(rgb))
#define GetGValue(rgb) ((BYTE)(((WORD)(rgb)) >> 8))
#define GetBValue(rgb) ((BYTE)((rgb) >> 16))

#define CLR_INVALID 0xFFFFFFFF

typedef struct tagRECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
} RECT, *LPRECT;

typedef struct HDC__* HDC;
typedef struct HBRUSH__* HBRUSH;
typedef HANDLE HGDIOBJ;

#define DT_LEFT 0x00000000
#define DT_VCENTER 0x00000004
#define DT_SINGLELINE 0x00000020

// System colour indices as the device numbers them.
#define COLOR_HIGHLIGHT 13
#define COLOR_HIGHLIGHTTEXT 14
#define COLOR_STATICTEXT 26
// Marks a GetSysColor argument as a system colour index, as the device's callers pass it.
#define SYS_COLOR_INDEX_FLAG 0x40000000

// A brush of the colour, or null when none could be made.
HBRUSH CreateSolidBrush(COLORREF colour);
// Fills the rectangle with the brush's colour; 0 when the device context, rectangle or brush is
// not valid, non-zero otherwise.
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
// Frees a brush; FALSE for anything that is not a live brush.
BOOL DeleteObject(HGDIOBJ object);
// Answers the previous text colour, or CLR_INVALID when the device context is not valid.
COLORREF SetTextColor(HDC dc, COLORREF colour);
// Draws length characters of text (the whole zero-terminated text when length is -1) into the
// rectangle as the DT_ format flags say. Answers the height of the drawn text, 0 on failure.
int DrawTextW(HDC dc, LPCWSTR text, int length, LPRECT rect, UINT format);
// The colour of a system colour index, with or without SYS_COLOR_INDEX_FLAG; 0 for an unknown
// index.
DWORD GetSysColor(int index);

// The device context carried in a PE_PAINT record: device handles are 32-bit values.
inline HDC HdcFromEventWord(DWORD word) {
  return reinterpret_cast<HDC>(static_cast<uintptr_t>(word));
}
