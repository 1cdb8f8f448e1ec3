// The drops not yet in the stat file, kept beside it so that a kill, a crash or a power cut loses
// none of them: the file "<stat file>.pending", replaced whole (a temporary file moved over it) at
// each hourly sample, and removed once its drops are in the stat file. It holds two lines:
//
//   after 1234
//   2024.3.9.15:3,2,4
//
// the stat file's size in bytes when the drops were kept, then the record that holds them, as the
// stat file will hold it. The stat file is only appended to, and every append of kept drops comes
// after they were kept: a stat file grown past that size holds the record already, whatever
// moment a kill cut the append or the removal that follows it. So the record is filed once.
#pragma once

#include <vector>

#include "platform/api.h"

// Keeps the pending drops, filed under consecutive local hours from localHead (its date and hour),
// in place of those kept before. Keeps nothing when the stat file's size cannot be told.
void KeepPendingRecord(const WString& statFilename, const SYSTEMTIME& localHead,
                       const std::vector<BYTE>& drops);

// Removes the kept drops once they were appended to the stat file.
void ForgetPendingRecord(const WString& statFilename);

// At start: appends the drops a run kept and did not file to the stat file, unless it holds them
// already, and then removes them. A file that does not read as kept drops is left as it is.
void FilePendingRecord(const WString& statFilename);
