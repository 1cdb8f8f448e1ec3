// OLE automation strings and variants: the subset the settings reader relies on.
#pragma once

#include "platform/win_types.h"

// A BSTR points at the first character; the byte length sits in the 32-bit word before it, and a
// terminating zero follows the text.
typedef OLECHAR* BSTR;

BSTR SysAllocString(const OLECHAR* text);
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);

typedef USHORT VARTYPE;
enum VARENUM : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I4 = 3,
  VT_BSTR = 8,
  VT_INT = 22,
};

typedef struct tagVARIANT {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  union {
    LONG lVal;
    INT intVal;
    BSTR bstrVal;
    LONGLONG llVal;
  };
} VARIANT, VARIANTARG;

void VariantInit(VARIANTARG* v);
// Frees what the variant owns and leaves it VT_EMPTY.
HRESULT VariantClear(VARIANTARG* v);
// Converts source to type vt into dest (which may be source itself). Supported: VT_EMPTY, VT_I4,
// VT_INT and VT_BSTR between each other. A text converts to an integer only when it is a decimal
// integer (blanks around it allowed) that fits in 32 bits: otherwise DISP_E_TYPEMISMATCH or
// DISP_E_OVERFLOW, and dest is left untouched.
HRESULT VariantChangeType(VARIANTARG* dest, const VARIANTARG* source, USHORT flags, VARTYPE vt);
