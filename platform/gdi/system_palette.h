// The system colour scheme behind GetSysColor.
#pragma once

#include <map>

#include "platform/gdi/gdi.h"
#include "platform/scoped_service.h"

class SystemPalette {
 public:
  virtual ~SystemPalette() = default;
  // The colour of a system colour index (SYS_COLOR_INDEX_FLAG already removed); 0 for an index
  // the palette does not hold.
  virtual COLORREF Colour(int index) const = 0;
};

// A palette given as a table of index and colour.
class FixedSystemPalette : public SystemPalette {
 public:
  explicit FixedSystemPalette(std::map<int, COLORREF> colours);
  COLORREF Colour(int index) const override;

 private:
  std::map<int, COLORREF> colours_;
};

// Without an installed palette the device's default scheme answers: dark blue highlight, white
// highlighted text, black static text.
SystemPalette* InstallSystemPalette(SystemPalette* palette);
using ScopedSystemPalette = ScopedService<SystemPalette, InstallSystemPalette>;
// The installed palette, or the default one.
const SystemPalette& CurrentSystemPalette();
