#include "host/front/notify/desktop_notifications.h"

#include <cerrno>
#include <cstring>
#include <string_view>

#include "host/front/notify/systemd_library.h"

namespace {

constexpr const char* kService = "org.freedesktop.Notifications";
constexpr const char* kPath = "/org/freedesktop/Notifications";
constexpr const char* kInterface = "org.freedesktop.Notifications";
// A notification service that does not answer within this time is taken as absent, so that the
// loop it is called from keeps its pace.
constexpr uint64_t kCallTimeoutMicroseconds = 5'000'000;
// The urgency hint's levels.
constexpr uint8_t kNormalUrgency = 1;
constexpr uint8_t kCriticalUrgency = 2;

std::string CallFailure(const sd_bus_error& error, int result) {
  if (error.name != nullptr && std::strcmp(error.name, SD_BUS_ERROR_SERVICE_UNKNOWN) == 0) {
    return std::string("the session bus has no notification service (") + kService + ")";
  }
  if (error.message != nullptr)
    return std::string("the notification service failed: ") + error.message;
  return std::string("the notification service failed: ") + std::strerror(-result);
}

// Frees the error and the messages of one call on every path.
struct CallMessages {
  const SystemdLibrary& systemd;
  sd_bus_error error = SD_BUS_ERROR_NULL;
  sd_bus_message* request = nullptr;
  sd_bus_message* reply = nullptr;
  ~CallMessages() {
    systemd.busErrorFree(&error);
    systemd.messageUnref(request);
    systemd.messageUnref(reply);
  }
};

int AppendNotify(const SystemdLibrary& systemd, sd_bus_message* request,
                 const DesktopNotification& notification) {
  int result = systemd.messageAppend(request, "susss", kNotificationAppName, notification.replaces,
                                     notification.icon.c_str(), notification.summary.c_str(),
                                     notification.body.c_str());
  if (result >= 0) result = systemd.messageAppend(request, "as", 0);
  if (result >= 0) result = systemd.messageOpenContainer(request, 'a', "{sv}");
  if (result >= 0) {
    result = systemd.messageAppend(request, "{sv}", "urgency", "y",
                                   notification.critical ? kCriticalUrgency : kNormalUrgency);
  }
  if (result >= 0) result = systemd.messageAppend(request, "{sv}", "category", "s", "device");
  if (result >= 0)
    result = systemd.messageAppend(request, "{sv}", "desktop-entry", "s", kNotificationAppName);
  if (result >= 0) result = systemd.messageCloseContainer(request);
  // The service's own default time on screen.
  if (result >= 0) result = systemd.messageAppend(request, "i", -1);
  return result;
}

const std::function<int(sd_bus_message*)> kNothing = [](sd_bus_message*) { return 0; };

}  // namespace

DesktopNotifications::~DesktopNotifications() { Disconnect(); }

void DesktopNotifications::Disconnect() {
  if (bus_ != nullptr) bus_ = systemd_->busFlushCloseUnref(bus_);
}

sd_bus* DesktopNotifications::Bus(std::string& error) {
  if (bus_ != nullptr) return bus_;
  systemd_ = Systemd(error);
  if (systemd_ == nullptr) return nullptr;
  const int result = systemd_->busOpenUser(&bus_);
  if (result < 0) {
    bus_ = nullptr;
    // sd-bus answers ENOMEDIUM when the environment names no bus at all.
    error = result == -ENOMEDIUM
                ? "no session bus: neither DBUS_SESSION_BUS_ADDRESS nor XDG_RUNTIME_DIR is set"
                : std::string("cannot connect to the session bus: ") + std::strerror(-result);
  }
  return bus_;
}

int DesktopNotifications::Call(const char* method,
                               const std::function<int(sd_bus_message*)>& append,
                               const std::function<int(sd_bus_message*)>& read,
                               std::string& error) {
  sd_bus* bus = Bus(error);
  if (bus == nullptr) return -ENOTCONN;
  CallMessages call{*systemd_};
  int result =
      systemd_->messageNewMethodCall(bus, &call.request, kService, kPath, kInterface, method);
  if (result >= 0) result = append(call.request);
  if (result >= 0)
    result =
        systemd_->busCall(bus, call.request, kCallTimeoutMicroseconds, &call.error, &call.reply);
  if (result >= 0) result = read(call.reply);
  if (result < 0) {
    error = CallFailure(call.error, result);
    Disconnect();
  }
  return result;
}

std::optional<uint32_t> DesktopNotifications::Show(const DesktopNotification& notification,
                                                   std::string& error) {
  uint32_t id = 0;
  const int result = Call(
      "Notify",
      [&](sd_bus_message* request) { return AppendNotify(*systemd_, request, notification); },
      [&](sd_bus_message* reply) { return systemd_->messageRead(reply, "u", &id); }, error);
  if (result < 0) return std::nullopt;
  return id;
}

bool DesktopNotifications::Reachable(std::string& error) {
  return Call("GetServerInformation", kNothing, kNothing, error) >= 0;
}

bool DesktopNotifications::Close(uint32_t id, std::string& error) {
  return Call(
             "CloseNotification",
             [this, id](sd_bus_message* request) {
               return systemd_->messageAppend(request, "u", id);
             },
             kNothing, error) >= 0;
}
