#include "platform/com/oleauto.h"

#include <gtest/gtest.h>

#include "platform/text/wide_text.h"

namespace {

VARIANT TextVariant(const WCHAR* text) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocString(text);
  return v;
}

}  // namespace

TEST(Bstr, KeepsLengthAndTerminator) {
  BSTR s = SysAllocString(u"Demo");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(SysStringLen(s), 4u);
  EXPECT_EQ(s[4], 0);
  SysFreeString(s);
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  SysFreeString(nullptr);
}

TEST(VariantChangeType, DecimalTextsBecomeIntegersInPlace) {
  struct Case {
    const WCHAR* text;
    INT value;
  } cases[] = {{u"1000", 1000},
               {u"-5", -5},
               {u"+7", 7},
               {u" 42 ", 42},
               {u"2147483647", 2147483647},
               {u"-2147483648", INT32_MIN},
               {u"0", 0}};
  for (const Case& c : cases) {
    VARIANT v = TextVariant(c.text);
    ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_INT), S_OK);
    EXPECT_EQ(v.vt, VT_INT);
    EXPECT_EQ(v.intVal, c.value);
    VariantClear(&v);
  }
}

TEST(VariantChangeType, TextsThatAreNoDecimalIntegerFailAndLeaveTheVariant) {
  const WCHAR* bad[] = {u"", u" ", u"abc", u"12abc", u"1.5", u"-", u"0x10", u"1 2"};
  for (const WCHAR* text : bad) {
    VARIANT v = TextVariant(text);
    EXPECT_EQ(VariantChangeType(&v, &v, 0, VT_INT), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(v.vt, VT_BSTR);
    VariantClear(&v);
  }
  const WCHAR* tooLarge[] = {u"2147483648", u"-2147483649", u"99999999999999999999"};
  for (const WCHAR* text : tooLarge) {
    VARIANT v = TextVariant(text);
    EXPECT_EQ(VariantChangeType(&v, &v, 0, VT_INT), DISP_E_OVERFLOW);
    VariantClear(&v);
  }
}

TEST(VariantChangeType, ToTextCopiesOrFormats) {
  VARIANT v = TextVariant(u"a\0b");
  VARIANT copy;
  VariantInit(&copy);
  ASSERT_EQ(VariantChangeType(&copy, &v, 0, VT_BSTR), S_OK);
  EXPECT_EQ(WString(copy.bstrVal), u"a");
  VariantClear(&copy);
  VariantClear(&v);
  EXPECT_EQ(v.vt, VT_EMPTY);

  VARIANT number;
  VariantInit(&number);
  number.vt = VT_INT;
  number.intVal = -151;
  ASSERT_EQ(VariantChangeType(&number, &number, 0, VT_BSTR), S_OK);
  EXPECT_EQ(WString(number.bstrVal), u"-151");
  VariantClear(&number);

  VARIANT empty;
  VariantInit(&empty);
  ASSERT_EQ(VariantChangeType(&empty, &empty, 0, VT_BSTR), S_OK);
  ASSERT_EQ(empty.vt, VT_BSTR);
  EXPECT_EQ(WString(empty.bstrVal), u"");
  VariantClear(&empty);
}
