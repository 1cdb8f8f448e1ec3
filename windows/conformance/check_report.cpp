#include "windows/conformance/check_report.h"

#include <cstdio>

namespace {

// Control characters and everything outside printable ASCII as escapes, so a failure line shows
// exactly what differed.
std::string Escaped(const std::u32string& text) {
  std::string out;
  for (char32_t c : text) {
    if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else if (c == '"' || c == '\\')
      out += std::string("\\") + static_cast<char>(c);
    else if (c >= 0x20 && c < 0x7F)
      out.push_back(static_cast<char>(c));
    else {
      char code[16];
      std::snprintf(code, sizeof code, "\\u%04X", static_cast<unsigned>(c));
      out += code;
    }
  }
  return out;
}

// Built piece by piece: GCC 12 warns falsely (-Wrestrict) about "\"" + text + "\"".
std::string Quoted(const std::u32string& text) {
  std::string quoted(1, '"');
  quoted += Escaped(text);
  quoted.push_back('"');
  return quoted;
}

}  // namespace

bool CheckReport::Check(bool passed, const std::string& what, const std::string& detail) {
  if (passed) {
    ++passed_;
    return true;
  }
  failures_.push_back(group_ + ": " + what + (detail.empty() ? "" : " (" + detail + ")"));
  return false;
}

bool CheckReport::EqualResult(HRESULT actual, HRESULT expected, const std::string& what) {
  return Check(actual == expected, what,
               "expected " + HexResult(expected) + ", got " + HexResult(actual));
}

std::string CheckReport::Show(const WString& text) {
  std::u32string wide;
  for (WCHAR c : text) wide.push_back(static_cast<char32_t>(static_cast<USHORT>(c)));
  return Quoted(wide);
}

std::string CheckReport::Show(const std::string& text) {
  std::u32string wide;
  for (unsigned char c : text) wide.push_back(c);
  return Quoted(wide);
}

std::string CheckReport::Show(const std::vector<BYTE>& bytes) {
  std::string out = std::to_string(bytes.size()) + " bytes";
  for (size_t i = 0; i < bytes.size() && i < 64; ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, " %02x", bytes[i]);
    out += hex;
  }
  return out;
}

std::string CheckReport::Show(const std::vector<WString>& texts) {
  std::string out = "[";
  for (size_t i = 0; i < texts.size(); ++i) out += (i == 0 ? "" : ", ") + Show(texts[i]);
  return out + "]";
}

std::string CheckReport::Show(long long value) { return std::to_string(value); }

std::string CheckReport::Show(unsigned long long value) {
  char text[32];
  std::snprintf(text, sizeof text, "%llu (0x%llx)", value, value);
  return text;
}

std::string HexResult(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "%08lx", static_cast<unsigned long>(static_cast<ULONG>(hr)));
  return text;
}
