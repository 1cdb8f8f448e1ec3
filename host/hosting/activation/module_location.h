// Where the program finds the module it registers on a first run: at a fixed place relative to its
// own file. The build tree keeps the installed layout between the two (bin/zelvar-home and
// lib/zelvar/zelvarplug.so), so the same program works from either and names no build folder.
#pragma once

#include <filesystem>

// The module beside this running program, links resolved. Throws HostError when the system does
// not tell the program's own file.
std::filesystem::path ModuleBesideProgram();
