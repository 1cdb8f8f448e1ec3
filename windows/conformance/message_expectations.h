// Expectations on the message boxes the plug-in showed: all of them carry no owner and the caption
// "CZelvarPlugin".
#pragma once

#include <string>
#include <vector>

#include "windows/conformance/check_report.h"
#include "windows/conformance/host_driver.h"

// Exactly one message with this text and type.
void ExpectOneMessage(CheckReport& report, const std::vector<ShownMessage>& messages,
                      const WString& text, UINT type, const std::string& what);
// Exactly one message of this type whose text begins with `start`; answers its text.
WString ExpectOneMessageStartingWith(CheckReport& report, const std::vector<ShownMessage>& messages,
                                     const WString& start, UINT type, const std::string& what);
