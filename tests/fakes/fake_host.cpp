#include "tests/fakes/fake_host.h"

#include <gtest/gtest.h>

void StrictColourLookup::OnUnexpectedCall(const char* call) {
  ADD_FAILURE() << "the plug-in called " << call;
}
