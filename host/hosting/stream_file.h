// The file that keeps the plug-in's persisted stream between runs: the bytes its Save wrote.
#pragma once

#include <filesystem>
#include <optional>
#include <vector>

#include "host/hosting/outcome.h"
#include "platform/api.h"

// $XDG_STATE_HOME/zelvar/plugin.stream (when that is an absolute path), else
// ~/.local/state/zelvar/plugin.stream.
std::filesystem::path DefaultStreamFile();

// The saved bytes, nullopt when there is no such file; or why the file cannot be read whole (a
// FIFO, a device, a file larger than any saved state, a failed read). Throws HostError for a
// folder.
Outcome<std::optional<std::vector<BYTE>>> ReadStreamFile(const std::filesystem::path& file);

// A file that cannot be read or whose bytes cannot be a saved state (DecodeConfiguration) is
// renamed to <file>.bad, replacing an older one; answers what became of it, for standard error.
// nullopt when the file is missing or can be a saved state. Throws as ReadStreamFile.
std::optional<std::string> SetAsideDamagedStream(const std::filesystem::path& file);

// Replaces the file all or nothing (ReplaceFileWhole); a crash leaves the old stream or the new
// one. Throws HostError.
void WriteStreamFile(const std::filesystem::path& file, const std::vector<BYTE>& bytes);
