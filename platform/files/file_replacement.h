// Moving a new version of a file over the old one, whole: at every moment the name holds the old
// version or the new one.
#pragma once

// Moves `from` over `to` (a plain rename where `to` does not exist). Answers 0, or -1 with errno
// set as rename(2) sets it.
//
// Where `to` exists the two are swapped and the old version removed, rather than renamed over:
// ext4 starts writing out a file renamed over another at once, and the removal of a replaced
// version still being written waits for the disk, so a file replaced again before that write ends
// (a simulation's saves, many a second) waits for the disk each time. A swap does neither; a
// file system that cannot swap gets the rename. A kill between the swap and the removal leaves the
// old version under `from`.
int ReplaceFile(const char* from, const char* to);
