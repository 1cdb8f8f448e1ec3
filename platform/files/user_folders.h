// The folders of the user running the program, which every default file of the plug-in and its
// host lies below.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

// $HOME when set and not empty, else the home folder the password database gives the user; empty
// when neither tells (then no default folder is known, and none falls back to the current one).
std::string HomeFolder();

// $<variable> when it holds an absolute path (a relative one is ignored, as the XDG base-directory
// rules say), else <home>/<belowHome>; empty when that is needed and the home folder is unknown.
// UserFolder("XDG_STATE_HOME", ".local/state") is the state folder.
std::string UserFolder(const char* variable, const char* belowHome);

// Creates the folder and every missing folder above it for the user alone (0700), as the XDG rules
// ask of the folders a program makes: no other user may list them, or lock them and so hold up
// whoever waits for that lock. Folders already there are left as they are. Answers the failure,
// if any.
std::error_code CreateUserFolders(const std::filesystem::path& folder);
