// A command started for the user and let go: it runs through the shell in a session of its own (the
// terminal's and the service's stop signals do not reach it), with its standard input empty, its
// output on this program's standard error (standard output may be a status bar's lines), default
// signal handling and no descriptor of this program but those three. Its end is not waited for
// and leaves no zombie behind: the child that starts it ends at once and is reaped here.
#pragma once

#include <optional>
#include <string>

// Whether the shell can be run: nullopt, or why not in words as StartDetachedCommand says it.
std::optional<std::string> ShellProblem(const std::string& shell);

// Runs `shell -c command`; nullopt once the shell runs, else why it could not start, in words
// ("cannot run /bin/sh: No such file or directory").
std::optional<std::string> StartDetachedCommand(const std::string& shell,
                                                const std::string& command);

// How long the start may take before it counts as failed.
inline constexpr int kCommandStartTimeoutMs = 5000;
