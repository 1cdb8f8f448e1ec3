// The desktop's notification service on the session bus (org.freedesktop.Notifications), called
// through sd-bus (libsystemd, loaded by the first connection). Calls are sent without waiting for
// their answers: the loop polls the connection (a PolledConnection) and Serve() hands each answer
// to whoever sent the call as it arrives, or as its time runs out. The bus is reached again after
// it closed, so that a session bus started after the program is found.
//
// A service that announces the "body-markup" capability reads a body as markup, where "&" and "<"
// start tags and entities: it is asked once per bus, with the first notification. A body with such
// characters is sent once the answer has come, escaped for such a service; any other goes at once,
// as it reads the same on both kinds.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/wait/polled_connection.h"

struct sd_bus;
struct SystemdLibrary;

struct DesktopNotification {
  std::string summary;
  std::string body;
  std::string icon;  // a name from the freedesktop icon naming
  bool critical = false;
  // The notification it replaces, 0 for none.
  uint32_t replaces = 0;
};

class DesktopNotifications final : public PolledConnection {
 public:
  // Given the answer to a Notify: the id the service gave the notification, or nullopt with
  // `failure` saying why it was not shown.
  using Shown = std::function<void(std::optional<uint32_t> id, const std::string& failure)>;
  // An answer that takes longer than callTimeoutUs counts as a failure.
  explicit DesktopNotifications(uint64_t callTimeoutUs);
  ~DesktopNotifications() override;
  DesktopNotifications(const DesktopNotifications&) = delete;
  DesktopNotifications& operator=(const DesktopNotifications&) = delete;

  // Reaches the session bus unless it is reached already; answers why not, nullopt once reached.
  std::optional<std::string> Connect();
  // Sends the notification, or has it wait for the service's capabilities (see above); its answer
  // goes to `shown`, which must outlive the connection. Answers why it cannot be sent, nullopt when
  // sent or waiting.
  std::optional<std::string> Show(const DesktopNotification& notification, const Shown& shown);
  // Withdraws a notification; answers why it cannot be sent, nullopt when sent. Its answer is not
  // awaited: a service answers with an error for a notification the user closed already.
  std::optional<std::string> Close(uint32_t id);

  enum class Bus {
    Open,  // reached, or none reached
    Lost,  // a bus that was reached has closed (the desktop session ended); to be reached anew
  };
  // Before the end: writes out the calls sent while the bus had not greeted yet (sd-bus holds them
  // until it has) and those waiting for the service's capabilities, waiting for the greeting and
  // that answer kFinalWriteUs at most, so that a warning decided just
  // before the end still reaches the service and a bus that never greets holds the end no longer.
  // Answers that come meanwhile go to their senders, which must still live.
  void WriteOutSent();
  static constexpr uint64_t kFinalWriteUs = 1'000'000;

  // Reads and writes what the connection has ready and hands over the answers that came or ran out
  // of time. Never waits.
  Bus Serve();

  int fd() const override;
  short events() const override;
  int msUntilDue() const override;

 private:
  // The calls and their answers in sd-bus's terms.
  struct Calls;
  void Disconnect();
  std::optional<std::string> Notify(const DesktopNotification& notification, const Shown& shown);

  // How the service reads a body: not asked yet (or its answer failed, so asked again), asked, or
  // answered.
  enum class BodyText { Unasked, Asking, Plain, Markup };
  struct Waiting {
    DesktopNotification notification;
    const Shown* shown;
  };

  uint64_t callTimeoutUs_;
  // Set with the first bus reached.
  const SystemdLibrary* systemd_ = nullptr;
  sd_bus* bus_ = nullptr;
  // The bus finished its greeting: its closing from now on is a loss, not a failure to connect.
  bool ready_ = false;
  BodyText bodyText_ = BodyText::Unasked;
  // The notifications whose bodies wait for the service to say how it reads them.
  std::vector<Waiting> waiting_;
};

// The program's name as notifications show it.
inline constexpr const char* kNotificationAppName = "zelvar-home";
// The name the notification service holds on the bus.
inline constexpr const char* kNotificationService = "org.freedesktop.Notifications";
