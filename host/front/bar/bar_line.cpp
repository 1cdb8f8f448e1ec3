#include "host/front/bar/bar_line.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "host/hosting/printable_text.h"

namespace {

using Json = nlohmann::ordered_json;

std::string Written(const Json& line) {
  // Replaced, not thrown: a text the plug-in drew is never a reason to stop the bar.
  return line.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// The text with every control character but the line breaks (a tooltip's) as U+FFFD.
std::string Printable(const std::string& text) {
  std::string printable;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find('\n', start);
    printable +=
        EncodeUtf8(ScreenCharactersOfUtf8(std::string_view(text).substr(start, end - start)));
    if (end == std::string::npos) return printable;
    printable += '\n';
    start = end + 1;
  }
}

// A value as the bar's form has them, its strings printable: a string, a finite number, a truth
// value, or an array of strings; nullopt for anything else.
std::optional<Json> CheckedValue(const Json& value) {
  if (value.is_string()) return Json(Printable(value.get<std::string>()));
  if (value.is_boolean() || value.is_number_integer()) return value;
  if (value.is_number_float())
    return std::isfinite(value.get<double>()) ? std::optional(value) : std::nullopt;
  if (!value.is_array()) return std::nullopt;
  Json words = Json::array();
  for (const Json& word : value) {
    if (!word.is_string()) return std::nullopt;
    words.push_back(Printable(word.get<std::string>()));
  }
  return words;
}

}  // namespace

std::string JsonLine(const BarContent& content) {
  Json line{{"text", content.text}, {"alt", content.alt}, {"tooltip", content.tooltip}};
  line["class"] =
      content.classes.size() == 1 ? Json(content.classes.front()) : Json(content.classes);
  if (content.percentage) line["percentage"] = *content.percentage;
  return Written(line);
}

std::optional<std::string> CheckedJsonLine(std::string_view line) {
  const Json object = Json::parse(line, nullptr, false);
  if (!object.is_object()) return std::nullopt;
  Json checked = Json::object();
  for (const auto& [key, value] : object.items()) {
    std::optional<Json> printable = CheckedValue(value);
    if (!printable) return std::nullopt;
    checked[Printable(key)] = std::move(*printable);
  }
  return Written(checked);
}
