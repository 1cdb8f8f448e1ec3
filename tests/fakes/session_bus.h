// A private bus for one test (dbus-daemon on a socket in the test's folder, no services to start on
// demand), standing in for the session bus or the system bus, and a notification service on it that
// records every call it answers.
#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/fakes/temp_folder.h"

#include <systemd/sd-bus.h>

class PrivateBus {
 public:
  // `variable` (DBUS_SESSION_BUS_ADDRESS, DBUS_SYSTEM_BUS_ADDRESS) names its socket while it lives,
  // and after it unless unnamedAtEnd: a later call then finds no bus rather than the machine's.
  // With startsNotifications, the command line (a .service file's Exec) by which the bus starts
  // a notification service on demand; without it, it starts nothing.
  PrivateBus(const char* variable, const std::string& startsNotifications, bool unnamedAtEnd);
  ~PrivateBus();
  PrivateBus(const PrivateBus&) = delete;
  PrivateBus& operator=(const PrivateBus&) = delete;

  const std::string& address() const { return address_; }
  // Ends the bus daemon, as the end of a desktop session does; the address stays named.
  void Stop();
  // A new bus daemon on the same socket, as a new desktop session starts one.
  void Restart();

 private:
  void Start();

  const char* variable_;
  bool unnamedAtEnd_;
  TempFolder folder_;
  pid_t daemon_ = -1;
  std::string address_;
};

class PrivateSessionBus : public PrivateBus {
 public:
  explicit PrivateSessionBus(const std::string& startsNotifications = "")
      : PrivateBus("DBUS_SESSION_BUS_ADDRESS", startsNotifications, true) {}
};

// The system bus of a test: the code under test must never reach the machine's own.
class PrivateSystemBus : public PrivateBus {
 public:
  PrivateSystemBus() : PrivateBus("DBUS_SYSTEM_BUS_ADDRESS", "", false) {}
};

// A socket that takes connections and never reads them: a bus whose greeting never comes. Named by
// `variable` from its start on, and after its end: a later call then finds no bus rather than the
// machine's.
class SilentBus {
 public:
  explicit SilentBus(const char* variable);
  ~SilentBus() { close(listening_); }
  SilentBus(const SilentBus&) = delete;
  SilentBus& operator=(const SilentBus&) = delete;

 private:
  TempFolder folder_;
  int listening_ = -1;
};

// Owns org.freedesktop.Notifications on the bus, answers Notify with ids 1, 2, 3... (at once, only
// after Release(), or never: a service that accepts calls and hangs), GetCapabilities with "body",
// and "body-markup" when it reads bodies as markup, and records each call but GetCapabilities as
// it arrives as one line:
//   "Notify <app> replaces=<id> icon=<icon> urgency=<n> category=<c> expire=<ms> '<summary>'
//   '<body>'" "CloseNotification <id>", "GetServerInformation"
class RecordingNotificationService {
 public:
  enum class Answers { AtOnce, OnRelease, Never };

  explicit RecordingNotificationService(const std::string& address,
                                        Answers answers = Answers::AtOnce, bool bodyMarkup = false);
  ~RecordingNotificationService();
  RecordingNotificationService(const RecordingNotificationService&) = delete;
  RecordingNotificationService& operator=(const RecordingNotificationService&) = delete;

  std::vector<std::string> calls() const;
  int capabilityQueries() const { return capabilityQueries_; }
  // Waits (up to about twenty seconds) until this many calls were recorded; answers whether they
  // were.
  bool WaitForCalls(size_t count) const;
  // With Answers::OnRelease: answers the calls held so far, and every later one at once.
  void Release() { release_ = true; }
  // Whether the bus it serves on has closed.
  bool busClosed() const { return busClosed_; }

 private:
  static int Record(sd_bus_message* message, void* self, sd_bus_error* error);
  int Answer(sd_bus_message* call, unsigned id) const;
  void Serve();

  sd_bus* bus_ = nullptr;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> release_{false};
  std::atomic<bool> busClosed_{false};
  Answers answers_;
  bool bodyMarkup_;
  std::atomic<int> capabilityQueries_{0};
  // The calls not answered yet, with the id a Notify gets; only the serving thread uses them.
  std::vector<std::pair<sd_bus_message*, unsigned>> held_;
  mutable std::mutex mutex_;
  std::vector<std::string> calls_;
  unsigned nextId_ = 1;
};
