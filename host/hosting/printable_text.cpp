#include "host/hosting/printable_text.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

char32_t Printable(char32_t c) {
  if (c == U'\t') return U' ';
  return IsControl(c) ? kReplacement : c;
}

bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

std::vector<WStringView> SplitAtLineBreaks(WStringView text) {
  std::vector<WStringView> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'\n' && text[i] != u'\r') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  lines.push_back(text.substr(start));
  return lines;
}

void WrapLine(std::u32string line, size_t width, std::vector<std::u32string>& rows) {
  while (line.size() > width) {
    // A blank at index width still lets the first width characters stand as one row.
    const size_t blank = line.rfind(U' ', width);
    if (blank != std::u32string::npos && blank > 0) {
      rows.push_back(line.substr(0, blank));
      line.erase(0, blank + 1);
    } else {
      rows.push_back(line.substr(0, width));
      line.erase(0, width);
    }
  }
  rows.push_back(std::move(line));
}

}  // namespace

std::u32string ScreenCharacters(WStringView text) {
  std::u32string characters;
  characters.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char32_t unit = text[i];
    if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      characters.push_back(0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
      characters.push_back(kReplacement);
    } else {
      characters.push_back(Printable(unit));
    }
  }
  return characters;
}

std::u32string ScreenCharactersOfUtf8(std::string_view text) {
  return ScreenCharacters(WidenUtf8(text));
}

std::string EncodeUtf8(std::u32string_view characters) {
  std::string out;
  out.reserve(characters.size());
  for (const char32_t c : characters) AppendUtf8(out, c);
  return out;
}

std::string ShortScreenText(std::string_view text, size_t characters) {
  std::u32string shown = ScreenCharactersOfUtf8(text);
  if (shown.size() <= characters) return EncodeUtf8(shown);
  shown.resize(characters - 3);
  return EncodeUtf8(shown) + "...";
}

std::vector<std::u32string> WrapLines(WStringView text, size_t width) {
  std::vector<std::u32string> rows;
  for (const WStringView line : SplitAtLineBreaks(text)) {
    WrapLine(ScreenCharacters(line), width == 0 ? 1 : width, rows);
  }
  return rows;
}
