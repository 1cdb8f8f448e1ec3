// Waiting for an exclusive flock that another process holds, as a descriptor that poll() sees
// readable once this process holds it: a thread of its own blocks in flock() on the same open
// file, so the wait costs no wake-up however long the holder keeps the lock, and ends as soon as
// the holder lets it go or ends, whoever it is (a process of another PID namespace, or one whose
// process id now names another process). The thread ends once it holds the lock; it may outlive
// the object (a lock it takes then is the open file's, as if taken through it), never the process.
#pragma once

class LockWait {
 public:
  // The lock of the open file behind lockFd. Throws HostError when no descriptor or thread can be
  // had.
  explicit LockWait(int lockFd);
  ~LockWait();
  LockWait(const LockWait&) = delete;
  LockWait& operator=(const LockWait&) = delete;

  int fd() const { return fd_; }

 private:
  int fd_;
};
