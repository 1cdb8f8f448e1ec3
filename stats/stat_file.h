// The stat file: the append-only text file that keeps the hourly drops between runs.
//
//   [version 1]
//   2024.3.9.15:3,2,4
//
// After the version line, each line is one flushed series: its start as local year.month.day.hour,
// then its drops, the k-th drop belonging to hour (hour + k) mod 24. Old records are never removed;
// the loader skips those outside the history window.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/api.h"
#include "stats/hourly_drain_table.h"
#include "stats/stat_file_reader.h"

// The largest stat file loaded: records of decades fit (a year of hourly drops takes some 40 KB).
inline constexpr size_t kLargestStatFile = size_t{4} * 1024 * 1024;

// Files the records younger than maxHistoryDays (days counted against the local time now) into the
// table with AddSample, then recomputes it once; with withRecords false only the version line is
// checked. A missing file is created holding the version line. A wrong version line is shown in a
// message box ("Version of Stat file is wrong") and nothing is loaded; so is a name that lies
// outside the device root (see StatFileOutsideRoot), and E_FAIL with errno EXDEV answered.
// Malformed, invalidly dated or too old records are skipped silently. Answers S_OK, or E_FAIL when
// the file can neither be read nor created, or is larger than kLargestStatFile (errno EFBIG); a
// file that exists but cannot be read is left untouched.
HRESULT LoadStatFile(const WString& statFilename, DWORD maxHistoryDays, HourlyDrainTable& table,
                     bool withRecords);

// Appends one record of drops filed under consecutive local hours from localHead (its date and
// hour). A file that is missing or empty gets the version line first, and a record cut short
// before (no final line feed) is closed off first so that its cut number never reads as a drop
// (see LeadIn), and the file stays readable. Every write, flush and close is checked by the file
// layer, which reports a failure. Answers whether the whole record reached the file.
bool AppendStatRecord(const WString& statFilename, const SYSTEMTIME& localHead,
                      const std::vector<BYTE>& drops);

// One record line, its line feed included: "2024.3.9.15:3,2,4\n" for drops 3, 2, 4 from 15:00 on
// 9 March 2024 (localHead's date and hour).
std::string FormatStatRecord(const SYSTEMTIME& localHead, const std::vector<BYTE>& drops);
