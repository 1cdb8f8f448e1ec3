// The home screen host of the tests: the conformance program's (windows/conformance/test_host.h),
// with a colour lookup that fails the test when the plug-in calls anything but GetColor.
#pragma once

#include "windows/conformance/test_host.h"

class StrictColourLookup : public TestColourLookup {
 protected:
  void OnUnexpectedCall(const char* call) override;
};
