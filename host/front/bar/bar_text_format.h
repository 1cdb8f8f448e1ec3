// The status bar's text as the user asks for it (--format, the Format attribute of <home>), with
// placeholders as status bars' own battery modules have them: {line} the plug-in's line (the
// default), {percent} the charge, {hours} the hours to show ("1.4"; {hours:hm} "1:24"), {linear}
// the host's linear figure, {statistics} the plug-in's figure from its statistics, {on_battery} the
// hours on battery the line shows, {state} the battery's class. A figure that does not exist (no
// charge known, no drop yet, on mains) is "?"; "{{" and "}}" are a brace.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/estimate/estimate_follower.h"
#include "host/hosting/outcome.h"

class BarTextFormat {
 public:
  // The format, or its fault: an unknown placeholder, or a brace left open or alone.
  static Outcome<BarTextFormat> Parse(std::string_view text);

  // Whether the text is the plug-in's line alone, which needs none of the host's figures.
  bool LineAlone() const;

  // The text for the painted line, its figures and the battery's class.
  std::string Render(const std::string& line, const EstimateView& view,
                     const char* batteryClass) const;

 private:
  struct Piece {
    std::string literal;              // without a placeholder
    std::optional<std::string> name;  // the placeholder, ":hm" included
  };
  std::vector<Piece> pieces_;
};

inline constexpr const char* kDefaultBarTextFormat = "{line}";
