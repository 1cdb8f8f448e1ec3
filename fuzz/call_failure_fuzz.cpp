// Turns an arbitrary error from the bus (its name, its message, a system error number) into the
// line said on standard error: it must be the cause cut to one short line of printable UTF-8, with
// no control character (C0, DEL, C1) that a terminal could take as a command.
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "host/notify/call_failure.h"

namespace {

// The code points of well-formed UTF-8; false for anything else.
bool DecodeUtf8(std::string_view text, std::u32string& decoded) {
  for (size_t i = 0; i < text.size();) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    const int extra = lead < 0x80 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : -1;
    if (extra < 0 || lead > 0xF4 || i + extra >= text.size()) return false;
    char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
      const unsigned char next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      c = (c << 6) | (next & 0x3F);
    }
    decoded.push_back(c);
    i += extra + 1;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first byte picks the error number; the rest is the name, a NUL, the message.
  if (size == 0) return 0;
  const int errorNumber = 1 + data[0] % 133;
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  const size_t nul = rest.find('\0');
  const std::string_view name = rest.substr(0, nul);
  const std::string_view message = nul == std::string_view::npos ? "" : rest.substr(nul + 1);

  const std::string said = CallFailure(name, message, errorNumber);
  std::u32string characters;
  if (!DecodeUtf8(said, characters)) std::abort();
  for (const char32_t c : characters) {
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) std::abort();
  }
  const std::string_view prefix = "the notification service failed: ";
  if (said.rfind(prefix, 0) == 0) {
    if (characters.size() > prefix.size() + kShortLineCharacters) std::abort();
  } else if (said !=
             "the session bus has no notification service "
             "(org.freedesktop.Notifications)") {
    std::abort();
  }
  // A cause without line breaks, control characters and with room to spare comes through whole.
  const std::string_view cause = !message.empty() ? message : name;
  if (!cause.empty() && said.rfind(prefix, 0) == 0 && cause.size() <= kShortLineCharacters &&
      cause.find_first_of("\r\n") == std::string_view::npos) {
    bool plain = true;
    for (const char c : cause) plain = plain && c >= 0x20 && c < 0x7F;
    if (plain && said.substr(prefix.size()) != cause) std::abort();
  }
  return 0;
}
