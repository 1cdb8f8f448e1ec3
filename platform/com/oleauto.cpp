#include "platform/com/oleauto.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

namespace {

UINT LengthOf(const OLECHAR* text) {
  UINT n = 0;
  while (text[n] != 0) ++n;
  return n;
}

bool IsBlank(OLECHAR c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

// Parses an optionally signed decimal integer with optional blanks around it.
HRESULT ParseDecimal(const OLECHAR* text, UINT length, INT* out) {
  UINT i = 0;
  while (i < length && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < length && (text[i] == u'+' || text[i] == u'-')) {
    negative = text[i] == u'-';
    ++i;
  }
  const UINT firstDigit = i;
  long long value = 0;
  bool overflow = false;
  while (i < length && text[i] >= u'0' && text[i] <= u'9') {
    if (value <= 2147483648LL) value = value * 10 + (text[i] - u'0');
    if (value > 2147483648LL) overflow = true;
    ++i;
  }
  if (i == firstDigit) return DISP_E_TYPEMISMATCH;
  while (i < length && IsBlank(text[i])) ++i;
  if (i != length) return DISP_E_TYPEMISMATCH;
  if (negative) value = -value;
  if (overflow || value > 2147483647LL || value < -2147483648LL) return DISP_E_OVERFLOW;
  *out = static_cast<INT>(value);
  return S_OK;
}

BSTR FormatDecimal(INT value) {
  const std::string narrow = std::to_string(value);
  std::u16string wide(narrow.begin(), narrow.end());
  return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

}  // namespace

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
  const size_t bytes = sizeof(DWORD) + (static_cast<size_t>(length) + 1) * sizeof(OLECHAR);
  auto* block = static_cast<unsigned char*>(std::malloc(bytes));
  if (block == nullptr) return nullptr;
  const DWORD byteLength = length * sizeof(OLECHAR);
  std::memcpy(block, &byteLength, sizeof byteLength);
  BSTR result = reinterpret_cast<BSTR>(block + sizeof(DWORD));
  if (text != nullptr) {
    std::memcpy(result, text, length * sizeof(OLECHAR));
  } else {
    std::memset(result, 0, length * sizeof(OLECHAR));
  }
  result[length] = 0;
  return result;
}

BSTR SysAllocString(const OLECHAR* text) {
  if (text == nullptr) return nullptr;
  return SysAllocStringLen(text, LengthOf(text));
}

void SysFreeString(BSTR text) {
  if (text == nullptr) return;
  std::free(reinterpret_cast<unsigned char*>(text) - sizeof(DWORD));
}

UINT SysStringLen(BSTR text) {
  if (text == nullptr) return 0;
  DWORD byteLength;
  std::memcpy(&byteLength, reinterpret_cast<unsigned char*>(text) - sizeof(DWORD),
              sizeof byteLength);
  return byteLength / sizeof(OLECHAR);
}

void VariantInit(VARIANTARG* v) {
  v->vt = VT_EMPTY;
  v->wReserved1 = v->wReserved2 = v->wReserved3 = 0;
  v->llVal = 0;
}

HRESULT VariantClear(VARIANTARG* v) {
  if (v == nullptr) return E_INVALIDARG;
  if (v->vt == VT_BSTR) SysFreeString(v->bstrVal);
  VariantInit(v);
  return S_OK;
}

HRESULT VariantChangeType(VARIANTARG* dest, const VARIANTARG* source, USHORT /*flags*/,
                          VARTYPE vt) {
  if (dest == nullptr || source == nullptr) return E_INVALIDARG;
  VARIANT result;
  VariantInit(&result);
  result.vt = vt;
  switch (vt) {
    case VT_INT:
    case VT_I4:
      switch (source->vt) {
        case VT_EMPTY:
          result.intVal = 0;
          break;
        case VT_I4:
          result.intVal = source->lVal;
          break;
        case VT_INT:
          result.intVal = source->intVal;
          break;
        case VT_BSTR: {
          const HRESULT hr = ParseDecimal(source->bstrVal ? source->bstrVal : u"",
                                          SysStringLen(source->bstrVal), &result.intVal);
          if (FAILED(hr)) return hr;
          break;
        }
        default:
          return DISP_E_TYPEMISMATCH;
      }
      break;
    case VT_BSTR:
      switch (source->vt) {
        case VT_EMPTY:
          result.bstrVal = SysAllocString(u"");
          break;
        case VT_I4:
          result.bstrVal = FormatDecimal(source->lVal);
          break;
        case VT_INT:
          result.bstrVal = FormatDecimal(source->intVal);
          break;
        case VT_BSTR:
          result.bstrVal = SysAllocStringLen(source->bstrVal, SysStringLen(source->bstrVal));
          break;
        default:
          return DISP_E_TYPEMISMATCH;
      }
      if (result.bstrVal == nullptr) return E_OUTOFMEMORY;
      break;
    default:
      return DISP_E_TYPEMISMATCH;
  }
  // The source may be the destination: clear it only once the new value is ready.
  VariantClear(dest);
  *dest = result;
  return S_OK;
}
