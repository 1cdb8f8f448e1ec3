// The hours a stat file's text files drops under, read with the stat file's own record parser:
// each record "year.month.day.hour:drop,drop..." files its drops under successive hours.
#pragma once

#include <string>
#include <vector>

#include "platform/api.h"

struct FiledHours {
  int records = 0;
  // Each drop's hour as whole hours since 1601 (the record's local head taken as it stands), in
  // the file's order.
  std::vector<ULONGLONG> hours;
};

FiledHours HoursFiledIn(const std::string& statText);
