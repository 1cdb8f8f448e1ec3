// Files replaced all or nothing: the bytes go to a new temporary file beside the file, which is
// flushed to disk and renamed over the old one, and the folder is synced so that the rename lasts;
// a crash or a kill at any moment leaves the old file or the new one, whole.
//
// A file that only stands for a device's (a simulation's) may skip both syncs: a crash or a kill
// still leaves the old file or the new one, since the rename is the last step; a power cut may
// bring back the old one, or on some file systems leave it empty.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// Creates the folder when missing; the file is readable by its owner only. Throws HostError
// "cannot save <what> to <file>: <step>: <cause>".
enum class FileSync { ToDisk, None };
void ReplaceFileWhole(const std::filesystem::path& file, std::string_view bytes,
                      const std::string& what, FileSync sync = FileSync::ToDisk);
