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
  // DBUS_SESSION_BUS_ADDRESS names its socket while it lives.
  // With startsNotifications, the command line (a .service file's Exec) by which the bus starts
  // a notification service on demand; without it, it starts nothing.
  explicit PrivateSessionBus(const std::string& startsNotifications = "");
  ~PrivateSessionBus();
  PrivateSessionBus(const PrivateSessionBus&) = delete;
  PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

  const std::string& address() const { return address_; }
  // Ends the bus daemon, as the end of a desktop session does; the address stays named.
  void Stop();
  // A new bus daemon on the same socket, as a new desktop session starts one.
  void Restart();

 private:
  void Start();

  TempFolder folder_;
  pid_t daemon_ = -1;
  std::string address_;
};

// Owns org.freedesktop.Notifications on the bus, answers Notify with ids 1, 2, 3... (at once, only
// after Release(), or never: a service that accepts calls and hangs), and records each call as it
// arrives as one line:
//   "Notify <app> replaces=<id> icon=<icon> urgency=<n> category=<c> expire=<ms> '<summary>'
//   '<body>'" "CloseNotification <id>", "GetServerInformation"
class RecordingNotificationService {
 public:
  enum class Answers { AtOnce, OnRelease, Never };

  explicit RecordingNotificationService(const std::string& address,
                                        Answers answers = Answers::AtOnce);
  ~RecordingNotificationService();
  RecordingNotificationService(const RecordingNotificationService&) = delete;
  RecordingNotificationService& operator=(const RecordingNotificationService&) = delete;

  std::vector<std::string> calls() const;
  // Waits (up to about twenty seconds) until this many calls were recorded; answers whether they
  // were.
  bool WaitForCalls(size_t count) const;
  // With Answers::OnRelease: answers the calls held so far, and every later one at once.
  void Release() { release_ = true; }
  // Whether the bus it serves on has closed.
  bool busClosed() const { return busClosed_; }

 private:
  static int Record(sd_bus_message* message, void* self, sd_bus_error* error);
  static int Answer(sd_bus_message* call, unsigned id);
  void Serve();

  sd_bus* bus_ = nullptr;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> release_{false};
  std::atomic<bool> busClosed_{false};
  Answers answers_;
  // The calls not answered yet, with the id a Notify gets; only the serving thread uses them.
  std::vector<std::pair<sd_bus_message*, unsigned>> held_;
  mutable std::mutex mutex_;
  std::vector<std::string> calls_;
  unsigned nextId_ = 1;
};
