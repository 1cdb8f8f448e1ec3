#include "host/front/bar/bar_text_format.h"

#include <cmath>
#include <cstdio>

#include "host/estimate/hours_to_show.h"
#include "host/estimate/shown_estimate.h"
#include "plugin_host/status_line.h"

namespace {

constexpr const char* kNotKnown = "?";
constexpr const char* kPlaceholders[] = {
    "line",       "percent",       "hours",      "hours:hm",      "linear", "linear:hm",
    "statistics", "statistics:hm", "on_battery", "on_battery:hm", "state"};

bool Known(std::string_view name) {
  for (const char* placeholder : kPlaceholders) {
    if (name == placeholder) return true;
  }
  return false;
}

// "1.4", or with hoursAndMinutes "1:24": rounded down, as every figure of hours the host writes.
std::string HoursText(const std::optional<double>& hours, bool hoursAndMinutes) {
  if (!hours || !std::isfinite(*hours) || *hours < 0.0) return kNotKnown;
  char text[48];
  if (hoursAndMinutes) {
    const auto minutes = static_cast<long long>(std::floor(*hours * 60.0 + 1e-9));
    std::snprintf(text, sizeof text, "%lld:%02lld", minutes / 60, minutes % 60);
    return text;
  }
  return HoursToATenth(*hours);
}

// The hours on battery the plug-in's line shows.
std::optional<double> OnBatteryShown(const std::string& line) {
  const std::optional<StatusLineFigures> figures = ParseStatusLine(line);
  if (!figures) return std::nullopt;
  switch (figures->form) {
    case EstimateForm::Online:
      return std::nullopt;
    case EstimateForm::Estimate:
      return figures->second;
    case EstimateForm::ElapsedOnly:
    case EstimateForm::Extrapolation:
    case EstimateForm::UnknownEstimate:
      return figures->first;
  }
  return std::nullopt;
}

}  // namespace

Outcome<BarTextFormat> BarTextFormat::Parse(std::string_view text) {
  BarTextFormat format;
  Piece piece;
  while (!text.empty()) {
    if (text.starts_with("{{") || text.starts_with("}}")) {
      piece.literal += text.front();
      text.remove_prefix(2);
    } else if (text.front() == '}') {
      return Problem{R"(a "}" without its "{" (write "}}" for the brace itself))"};
    } else if (text.front() == '{') {
      const size_t close = text.find('}');
      if (close == std::string_view::npos)
        return Problem{R"(a "{" without its "}" (write "{{" for the brace itself))"};
      const std::string_view name = text.substr(1, close - 1);
      if (!Known(name)) {
        return Problem{"unknown placeholder {" + std::string(name) +
                       "}; known: {line} {percent} {hours} {hours:hm} {linear} {statistics} "
                       "{on_battery} {state}"};
      }
      piece.name = std::string(name);
      format.pieces_.push_back(std::move(piece));
      piece = Piece{};
      text.remove_prefix(close + 1);
    } else {
      piece.literal += text.front();
      text.remove_prefix(1);
    }
  }
  if (!piece.literal.empty()) format.pieces_.push_back(std::move(piece));
  return format;
}

bool BarTextFormat::LineAlone() const {
  return pieces_.size() == 1 && pieces_.front().literal.empty() && pieces_.front().name == "line";
}

std::string BarTextFormat::Render(const std::string& line, const EstimateView& view,
                                  const char* batteryClass) const {
  std::string text;
  for (const Piece& piece : pieces_) {
    text += piece.literal;
    if (!piece.name) continue;
    std::string_view name = *piece.name;
    const bool hoursAndMinutes = name.ends_with(":hm");
    if (hoursAndMinutes) name.remove_suffix(3);
    if (name == "line") {
      text += line;
    } else if (name == "percent") {
      const std::optional<int> percent = PercentShown(line);
      text += percent ? std::to_string(*percent) : std::string(kNotKnown);
    } else if (name == "hours") {
      text +=
          HoursText(view.hours ? std::optional(view.hours->hours) : std::nullopt, hoursAndMinutes);
    } else if (name == "linear") {
      text += HoursText(view.linear ? std::optional(view.linear->hoursLeft) : std::nullopt,
                        hoursAndMinutes);
    } else if (name == "statistics") {
      text += HoursText(StatisticsShown(line), hoursAndMinutes);
    } else if (name == "on_battery") {
      text += HoursText(OnBatteryShown(line), hoursAndMinutes);
    } else {
      text += batteryClass;
    }
  }
  return text;
}
