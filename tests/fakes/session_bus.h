// A private session bus for one test (dbus-daemon on a socket in the test's folder, no services to
// start on demand) and a notification service on it that records every call it answers.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/fakes/temp_folder.h"

#include <systemd/sd-bus.h>

class PrivateSessionBus {
 public:
  // DBUS_SESSION_BUS_ADDRESS names it while it lives.
  PrivateSessionBus();
  ~PrivateSessionBus();
  PrivateSessionBus(const PrivateSessionBus&) = delete;
  PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

  const std::string& address() const { return address_; }

 private:
  TempFolder folder_;
  pid_t daemon_ = -1;
  std::string address_;
};

// Owns org.freedesktop.Notifications on the bus, answers Notify with ids 1, 2, 3..., and records
// each call as one line:
//   "Notify <app> replaces=<id> icon=<icon> urgency=<n> category=<c> expire=<ms> '<summary>'
//   '<body>'" "CloseNotification <id>", "GetServerInformation"
class RecordingNotificationService {
 public:
  explicit RecordingNotificationService(const std::string& address);
  ~RecordingNotificationService();
  RecordingNotificationService(const RecordingNotificationService&) = delete;
  RecordingNotificationService& operator=(const RecordingNotificationService&) = delete;

  std::vector<std::string> calls() const;
  // Waits (up to about twenty seconds) until this many calls were recorded; answers whether they
  // were.
  bool WaitForCalls(size_t count) const;

 private:
  static int Answer(sd_bus_message* message, void* self, sd_bus_error* error);
  void Serve();

  sd_bus* bus_ = nullptr;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::vector<std::string> calls_;
  unsigned nextId_ = 1;
};
