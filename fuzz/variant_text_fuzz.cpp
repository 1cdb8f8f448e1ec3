// Converts arbitrary UTF-16 text to an integer: a conversion that succeeds must give exactly the
// decimal number the text spells, and a failed one must leave the text in place.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/com/oleauto.h"

namespace {

// The value of a text of blanks, an optional sign and digits, or false for anything else.
bool Decimal(const std::u16string& text, long long& value) {
  size_t i = text.find_first_not_of(u" \t\r\n");
  const size_t end = text.find_last_not_of(u" \t\r\n");
  if (i == std::u16string::npos) return false;
  bool negative = false;
  if (text[i] == u'+' || text[i] == u'-') negative = text[i++] == u'-';
  if (i > end) return false;
  value = 0;
  for (; i <= end; ++i) {
    if (text[i] < u'0' || text[i] > u'9') return false;
    if (value < 10000000000LL) value = value * 10 + (text[i] - u'0');
  }
  if (negative) value = -value;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::u16string text;
  for (size_t i = 0; i + 1 < size; i += 2)
    text.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  const HRESULT hr = VariantChangeType(&v, &v, 0, VT_INT);
  long long expected = 0;
  const bool decimal = Decimal(text, expected);
  const bool fits = decimal && expected >= INT32_MIN && expected <= INT32_MAX;
  if (SUCCEEDED(hr) != fits) std::abort();
  if (SUCCEEDED(hr) && (v.vt != VT_INT || v.intVal != expected)) std::abort();
  if (FAILED(hr) && (v.vt != VT_BSTR || SysStringLen(v.bstrVal) != text.size())) std::abort();
  VariantClear(&v);
  return 0;
}
