// Text on its way to the terminal: UTF-16 from the plug-in becomes code points that are safe to
// print (nothing the terminal could take as a command), counted as one column each, and UTF-8 at
// the end.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/text/wide_text.h"

// Printable code points of one line of text: a tab becomes a blank; every other control character
// (C0, DEL, C1, line breaks included) and every unpaired surrogate becomes U+FFFD, so no escape
// sequence in the text reaches the terminal.
std::u32string ScreenCharacters(WStringView text);

// The same for UTF-8 text (titles and footers); malformed bytes become U+FFFD.
std::u32string ScreenCharactersOfUtf8(std::string_view text);

std::string EncodeUtf8(std::u32string_view characters);

// UTF-8 text made printable as ScreenCharactersOfUtf8 does, cut to at most `characters` characters
// (at least 4), "..." marking a cut.
std::string ShortScreenText(std::string_view text, size_t characters);

// Splits the text at its line breaks (LF, CR LF or a lone CR) and wraps each line to at most width
// columns, at the last blank that fits or, in a word longer than the width, at the width. An empty
// text is one empty line.
std::vector<std::u32string> WrapLines(WStringView text, size_t width);
