// The rows of a message box drawn as a framed box of the given width (at least 20 columns).
#pragma once

#include <string>
#include <vector>

#include "host/front/terminal/message_dialog.h"

// The caption sits on the top border; the icon word ("[error]", "[info]") stands left of the
// first text row; the text's lines are wrapped to the box; "[ OK ]" is centred under them.
// Each row is exactly width columns wide. When visibleTextRows is not 0 and the text has more rows,
// only that many are shown, from the dialog's scroll row on (kept within the text), and the bottom
// border tells which rows these are.
std::vector<std::string> RenderDialogBox(const MessageDialog& dialog, size_t width,
                                         size_t visibleTextRows);

// How many rows the dialog's text takes in a box of that width.
size_t DialogTextRowCount(const MessageDialog& dialog, size_t width);
