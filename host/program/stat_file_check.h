// The check at start that the plug-in can keep its hourly drops: the stat file is a regular file
// that can be written, or, while it does not exist, its folder (or the nearest folder above it that
// exists, since the file layer creates the missing ones) lets it be created.
#pragma once

#include <optional>
#include <string>

// What stands in the way, naming the file and the cause; nullopt when the drops can be kept.
// hostPath is the stat file's path on this machine; empty when the plug-in has no file name.
std::optional<std::string> StatFileProblem(const std::string& hostPath);

// What keeps the plug-in from loading the stat file's samples, naming the file and the cause: a
// file that is not a regular file, or is larger than the loader takes. nullopt when it loads or
// does not exist (the plug-in then creates it).
std::optional<std::string> StatFileReadProblem(const std::string& hostPath);
