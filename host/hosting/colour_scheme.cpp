#include "host/hosting/colour_scheme.h"

std::optional<COLORREF> NamedColour(const ColourScheme& scheme, WStringView name) {
  if (name == TEXT("COLOR_HOMETEXT")) return scheme.text;
  if (name == TEXT("COLOR_HOMEHIGHLIGHTTEXT")) return scheme.highlightText;
  if (name == TEXT("COLOR_HOMEHIGHLIGHT")) return scheme.highlight;
  return std::nullopt;
}

ColourSchemes::ColourSchemes()
    : schemes_{
          {"dark", RGB(0x10, 0x14, 0x1C), RGB(0xE6, 0xE6, 0xE6), RGB(0x10, 0x14, 0x1C),
           RGB(0x5F, 0xB4, 0xFF)},
          {"light", RGB(0xF4, 0xF4, 0xF0), RGB(0x20, 0x20, 0x20), RGB(0xFF, 0xFF, 0xFF),
           RGB(0x1E, 0x5A, 0xB4)},
      } {}
