// Checks on COM objects that report the caller's line.
#pragma once

#include <gtest/gtest.h>

#include "platform/api.h"

// The object's reference count, read by an AddRef/Release pair.
inline ULONG RefCountOf(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

#define EXPECT_REF_COUNT(object, n) EXPECT_EQ(RefCountOf(object), static_cast<ULONG>(n))

// Queries the interface and checks the answer; a supported one is released again.
inline void ExpectInterfaceImpl(IUnknown* object, REFIID iid, bool supported, const char* file,
                                int line) {
  SCOPED_TRACE(testing::Message() << "called from " << file << ":" << line);
  void* sentinel = reinterpret_cast<void*>(0x1);
  void* out = sentinel;
  const HRESULT hr = object->QueryInterface(iid, &out);
  if (supported) {
    EXPECT_EQ(hr, S_OK);
    ASSERT_NE(out, nullptr);
    ASSERT_NE(out, sentinel);
    static_cast<IUnknown*>(out)->Release();
  } else {
    EXPECT_EQ(hr, E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
  }
}
#define EXPECT_INTERFACE(object, iid, supported) \
  ExpectInterfaceImpl(object, iid, supported, __FILE__, __LINE__)
