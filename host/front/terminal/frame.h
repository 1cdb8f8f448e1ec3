// One screen of the home-screen host, and its rendering into the text written to the terminal.
#pragma once

#include <optional>
#include <string>

#include "host/front/terminal/message_dialog.h"
#include "platform/gdi/gdi.h"

struct Frame {
  std::string title;                    // UTF-8
  WString lineText;                     // what the plug-in drew on its line
  std::optional<COLORREF> lineFill;     // the plug-in's fill of its line, if it filled it
  COLORREF lineTextColour = 0;          // 0x00BBGGRR
  bool selected = false;                // the line holds the home screen's selection
  std::string footer;                   // UTF-8 help text: the keys
  std::optional<MessageDialog> dialog;  // an open message box, drawn under the line
  int width = 80;                       // terminal columns; narrower than 20 is drawn as 20
  int height = 0;                       // terminal rows; 0: not known, nothing is cut
};

// The whole screen as one string of ANSI escape sequences, rows separated by CR LF, to be written
// at once: cursor home, each row erased to its end, and everything below the last row erased, so
// a frame replaces the previous one without clearing the screen first (no flicker).
// Rows: the title; the plug-in's line after a one-column selection marker ('>' when selected),
// in its 24-bit text colour and, when it filled the line, on its fill colour padded to the width;
// the dialog box when one is open; the footer. Text is cut at the width; control characters in
// any text are shown as U+FFFD. A dialog too tall for the height shows as many text rows as fit
// (at least one), from its scroll row on.
std::string RenderFrame(const Frame& frame);

struct ScreenSize {
  int width;
  int height;
};

// The largest useful scroll row of the dialog on a screen of that size (see Frame); 0 when all of
// its text fits.
int DialogScrollLimit(const MessageDialog& dialog, int width, int height);
