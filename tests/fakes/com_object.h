// Reference counting for the tests' hand-written COM fakes. Fakes live on the test's stack, so
// Release never deletes; a test checks the count instead.
#pragma once

#include "platform/api.h"

class RefCounted {
 public:
  ULONG AddRefImpl() { return static_cast<ULONG>(++count_); }
  ULONG ReleaseImpl() { return static_cast<ULONG>(--count_); }
  LONG count() const { return count_; }

 private:
  LONG count_ = 1;
};

#define FAKE_REFCOUNT_METHODS                                  \
  ULONG STDMETHODCALLTYPE AddRef() override { return refs_.AddRefImpl(); } \
  ULONG STDMETHODCALLTYPE Release() override { return refs_.ReleaseImpl(); } \
  LONG refCount() const { return refs_.count(); }              \
  RefCounted refs_
