// Taking an exclusive flock that another process may hold, without waiting on it for ever: any
// process that can open a file can lock it, for as long as it likes.
#pragma once

#include <sys/types.h>

#include <chrono>

// Takes an exclusive flock on the descriptor, trying again a few times a second while another
// open of the file holds it, for at most `limit`. Answers whether it was taken.
bool LockWithin(int descriptor, std::chrono::milliseconds limit);

// The process that holds a flock on the file the descriptor opens, as /proc/locks names it; 0 when
// it names none that this process can see (another namespace's, or a lock already released).
pid_t FlockHolder(int descriptor);
