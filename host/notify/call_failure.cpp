#include "host/notify/call_failure.h"

#include <cstring>

#include "host/hosting/printable_text.h"

namespace {

constexpr std::string_view kServiceUnknown = "org.freedesktop.DBus.Error.ServiceUnknown";

}  // namespace

std::string OneShortLine(std::string_view text) {
  return ShortScreenText(text.substr(0, text.find_first_of("\r\n")), kShortLineCharacters);
}

std::string CallFailure(std::string_view errorName, std::string_view errorMessage,
                        int errorNumber) {
  if (errorName == kServiceUnknown)
    return "the session bus has no notification service (org.freedesktop.Notifications)";
  const std::string_view cause = !errorMessage.empty() ? errorMessage
                                 : !errorName.empty()
                                     ? errorName
                                     : std::string_view(std::strerror(errorNumber));
  return "the notification service failed: " + OneShortLine(cause);
}
