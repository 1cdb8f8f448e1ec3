// Parses arbitrary bytes as the line a keeping bar publishes, as a follower reads it: what comes
// back holds no control character in its text (valid UTF-8, one line), a JSON object in its second
// line that parses and has no raw control character, and it is what the follower prints again
// unchanged when published once more (so a keeper's own line passes through byte for byte).
#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "host/front/bar/published_line.h"

namespace {

bool HasControlCharacter(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 || byte == 0x7F) return true;
    // C1 controls, U+0080 to U+009F, in UTF-8.
    if (byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) <= 0x9F)
      return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::optional<PublishedLine> line =
      ParsePublishedFile(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!line) return 0;
  if (HasControlCharacter(line->text) || HasControlCharacter(line->json)) std::abort();
  const nlohmann::json object = nlohmann::json::parse(line->json, nullptr, false);
  if (!object.is_object()) std::abort();
  const std::optional<PublishedLine> again = ParsePublishedFile(PublishedFileText(*line));
  if (!again || again->text != line->text || again->json != line->json) std::abort();
  return 0;
}
