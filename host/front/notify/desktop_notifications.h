// The desktop's notification service on the session bus (org.freedesktop.Notifications), called
// through sd-bus (libsystemd, loaded by the first call). The bus is reached on the first call and
// again after a failed one, so that a notification service started after the program is found.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

struct sd_bus;
struct sd_bus_message;
struct SystemdLibrary;

struct DesktopNotification {
  std::string summary;
  std::string body;
  std::string icon;  // a name from the freedesktop icon naming
  bool critical = false;
  // The notification it replaces, 0 for none.
  uint32_t replaces = 0;
};

class DesktopNotifications {
 public:
  DesktopNotifications() = default;
  ~DesktopNotifications();
  DesktopNotifications(const DesktopNotifications&) = delete;
  DesktopNotifications& operator=(const DesktopNotifications&) = delete;

  // Asks the service who it is: false with `error` saying why there is no answer.
  bool Reachable(std::string& error);
  // The id the service gave the notification; nullopt with `error` saying why it was not shown.
  std::optional<uint32_t> Show(const DesktopNotification& notification, std::string& error);
  // Withdraws a notification; false with `error` saying why not.
  bool Close(uint32_t id, std::string& error);

 private:
  sd_bus* Bus(std::string& error);
  // One method call: the arguments appended, the reply read; a negative errno with `error` said
  // when any step failed, after which the bus is reached afresh.
  int Call(const char* method, const std::function<int(sd_bus_message*)>& append,
           const std::function<int(sd_bus_message*)>& read, std::string& error);
  void Disconnect();

  // Set with the first bus reached.
  const SystemdLibrary* systemd_ = nullptr;
  sd_bus* bus_ = nullptr;
};

// The program's name as notifications show it.
inline constexpr const char* kNotificationAppName = "zelvar-home";
