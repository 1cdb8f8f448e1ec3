// A scoped COM fake that the code under test has no reason to query: QueryInterface fails the test.
#pragma once

#include <gtest/gtest.h>

#include "com_toolkit/com_object.h"

template <typename... Faces>
class UnqueriedComObject : public ScopedComObject<Faces...> {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    ADD_FAILURE() << "unexpected QueryInterface on a fake that is only called";
    if (out != nullptr) *out = nullptr;
    return E_NOINTERFACE;
  }
};
