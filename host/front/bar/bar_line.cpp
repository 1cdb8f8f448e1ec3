#include "host/front/bar/bar_line.h"

#include <nlohmann/json.hpp>

std::string JsonLine(const BarContent& content) {
  nlohmann::ordered_json line{{"text", content.text}, {"tooltip", content.tooltip}};
  line["class"] = content.classes.size() == 1 ? nlohmann::ordered_json(content.classes.front())
                                              : nlohmann::ordered_json(content.classes);
  if (content.percentage) line["percentage"] = *content.percentage;
  // Replaced, not thrown: a text the plug-in drew is never a reason to stop the bar.
  return line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}
