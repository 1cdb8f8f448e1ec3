// Standard output of the commands that print and end (--once, --report, --stats, --days, --trace,
// --register, --help): a write that did not go out (a full disk, a closed output) fails the run
// with its cause instead of passing for success.
#pragma once

#include <optional>
#include <string>

// Puts /dev/null, opened read-only, in place of a closed standard input, output or error: no file
// the program opens later takes their numbers, and writes to a closed output fail as they should.
void GuardStandardStreams();

// Flushes std::cout and keeps the cause of its first failure: call it after each write whose
// failure should be named, while errno still tells why.
void CheckStandardOutput();

// "cannot write to standard output: No space left on device" once a write failed; flushes first.
std::optional<std::string> StandardOutputFailure();
