// Plays the user in front of the real message boxes: a thread that finds each message box this
// process shows, records its caption, text and type, and presses OK.
#pragma once

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "windows/conformance/host_driver.h"

class MessageBoxWatcher {
 public:
  MessageBoxWatcher();
  ~MessageBoxWatcher();
  MessageBoxWatcher(const MessageBoxWatcher&) = delete;
  MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

  // The boxes dismissed since the last call. A box is recorded before it is dismissed, so every
  // box of a MessageBoxW call that has returned is here.
  std::vector<ShownMessage> Take();

 private:
  void Watch();
  void Dismiss(HWND box);

  std::atomic<bool> stopping_{false};
  std::mutex mutex_;
  std::vector<ShownMessage> shown_;
  std::thread thread_;
};
