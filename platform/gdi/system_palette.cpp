#include "platform/gdi/system_palette.h"

#include <utility>

namespace {

ServiceSlot<SystemPalette> slot;

const SystemPalette& DefaultPalette() {
  static const FixedSystemPalette palette({
      {COLOR_HIGHLIGHT, RGB(0, 0, 128)},
      {COLOR_HIGHLIGHTTEXT, RGB(255, 255, 255)},
      {COLOR_STATICTEXT, RGB(0, 0, 0)},
  });
  return palette;
}

}  // namespace

FixedSystemPalette::FixedSystemPalette(std::map<int, COLORREF> colours)
    : colours_(std::move(colours)) {}

COLORREF FixedSystemPalette::Colour(int index) const {
  const auto found = colours_.find(index);
  return found == colours_.end() ? 0 : found->second;
}

SystemPalette* InstallSystemPalette(SystemPalette* palette) { return slot.Install(palette); }

const SystemPalette& CurrentSystemPalette() { return slot.Or(DefaultPalette()); }
