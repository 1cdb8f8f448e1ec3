#include "platform/gdi/system_palette.h"

#include <utility>

namespace {

SystemPalette* installedPalette = nullptr;

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

SystemPalette* InstallSystemPalette(SystemPalette* palette) {
  SystemPalette* previous = installedPalette;
  installedPalette = palette;
  return previous;
}

const SystemPalette& CurrentSystemPalette() {
  return installedPalette != nullptr ? *installedPalette : DefaultPalette();
}
