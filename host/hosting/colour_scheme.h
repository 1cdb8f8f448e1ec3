// The home screen's colour schemes: the colours the host paints with and offers to plug-ins by
// name through HostColourLookup.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/api.h"

struct ColourScheme {
  std::string name;
  COLORREF background;
  COLORREF text;           // "COLOR_HOMETEXT"
  COLORREF highlightText;  // "COLOR_HOMEHIGHLIGHTTEXT"
  COLORREF highlight;      // "COLOR_HOMEHIGHLIGHT"
};

// The colour of that name in the scheme; nullopt for a name the home screen does not define.
// Names are matched exactly.
std::optional<COLORREF> NamedColour(const ColourScheme& scheme, WStringView name);

// The schemes the user switches between, starting with the first ("dark").
class ColourSchemes {
 public:
  ColourSchemes();
  const ColourScheme& Current() const { return schemes_[current_]; }
  void SwitchToNext() { current_ = (current_ + 1) % schemes_.size(); }

 private:
  std::vector<ColourScheme> schemes_;
  size_t current_ = 0;
};
