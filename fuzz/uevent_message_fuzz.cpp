// Reads arbitrary bytes as a kernel uevent message. The reader must answer as the message's layout
// says: a header holding '@', then NUL-ended fields, one of them exactly SUBSYSTEM=power_supply;
// checked against the message split into its parts another way.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "host/wait/power_events.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

std::vector<std::string> SplitAtNuls(std::string_view message) {
  std::vector<std::string> parts(1);
  for (const char c : message) {
    if (c == '\0') {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view message(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> parts = SplitAtNuls(message);
  bool expected = false;
  for (size_t i = 1; i < parts.size(); ++i)
    expected = expected || parts[i] == "SUBSYSTEM=power_supply";
  expected = expected && parts[0].find('@') != std::string::npos;
  Require(IsPowerSupplyMessage(message) == expected);
  return 0;
}
