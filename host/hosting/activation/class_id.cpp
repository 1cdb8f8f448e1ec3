#include "host/hosting/activation/class_id.h"

#include <cctype>
#include <cstdio>

std::string ClassIdText(REFCLSID id) {
  char text[40];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(id.Data1), id.Data2, id.Data3, id.Data4[0], id.Data4[1],
                id.Data4[2], id.Data4[3], id.Data4[4], id.Data4[5], id.Data4[6], id.Data4[7]);
  return text;
}

bool NamesClassId(std::string_view text, REFCLSID id) {
  const std::string expected = ClassIdText(id);
  if (text.size() != expected.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(text[i])) != expected[i]) return false;
  }
  return true;
}
