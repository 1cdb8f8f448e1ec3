#include "platform/files/file_replacement.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

int ReplaceFile(const char* from, const char* to) {
  if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_EXCHANGE) == 0) {
    if (unlink(from) == 0 || errno != EISDIR) return 0;
    // A folder stood in the way: it goes back, and the move fails as a rename over it would.
    renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_EXCHANGE);
    errno = EISDIR;
    return -1;
  }
  // ENOENT: nothing to swap with; EINVAL: a file system that cannot swap.
  if (errno != ENOENT && errno != EINVAL) return -1;
  return rename(from, to);
}
