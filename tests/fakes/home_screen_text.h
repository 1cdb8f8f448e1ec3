// A home-screen file of the battery plug-in alone, its element carrying the given settings.
#pragma once

#include <string>

// HomeScreenWith("MinPercent=\"5\"") is a file whose plug-in takes 5 and every other default.
inline std::string HomeScreenWith(const std::string& settings = "") {
  return "<home>\n  <plugin clsid=\"{FDEA2F9B-0266-11cf-BAA6-00AA003E0E01}\" " + settings +
         "/>\n</home>\n";
}
