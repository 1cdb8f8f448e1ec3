#include "host/notify/desktop_notifications.h"

#include <poll.h>
#include <time.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "host/notify/call_failure.h"
#include "host/notify/systemd_library.h"

namespace {

constexpr const char* kPath = "/org/freedesktop/Notifications";
constexpr const char* kInterface = "org.freedesktop.Notifications";
// The urgency hint's levels.
constexpr uint8_t kNormalUrgency = 1;
constexpr uint8_t kCriticalUrgency = 2;

// The text as a service that reads markup shows it, character for character.
std::string EscapedForMarkup(const std::string& text) {
  std::string escaped;
  for (const char c : text) {
    if (c == '&') {
      escaped += "&amp;";
    } else if (c == '<') {
      escaped += "&lt;";
    } else if (c == '>') {
      escaped += "&gt;";
    } else {
      escaped += c;
    }
  }
  return escaped;
}

int AppendNotify(const SystemdLibrary& systemd, sd_bus_message* request,
                 const DesktopNotification& notification, bool bodyMarkup) {
  const std::string body = bodyMarkup ? EscapedForMarkup(notification.body) : notification.body;
  int result =
      systemd.messageAppend(request, "susss", kNotificationAppName, notification.replaces,
                            notification.icon.c_str(), notification.summary.c_str(), body.c_str());
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

// The clock of sd-bus's time limits, in microseconds.
uint64_t MonotonicMicroseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1'000'000 + static_cast<uint64_t>(now.tv_nsec) / 1000;
}

}  // namespace

struct DesktopNotifications::Calls {
  using Append = std::function<int(sd_bus_message*)>;

  // Sends one method call whose answer goes to `answered` with `userdata` (nullptr: nobody); a
  // negative errno when it cannot be sent.
  static int Send(DesktopNotifications& self, const char* method, const Append& append,
                  sd_bus_message_handler_t answered, const void* userdata) {
    const SystemdLibrary& systemd = *self.systemd_;
    sd_bus_message* call = nullptr;
    int result = systemd.messageNewMethodCall(self.bus_, &call, kNotificationService, kPath,
                                              kInterface, method);
    if (result >= 0) result = append(call);
    // Without a slot of its own the call lives with the bus until it is answered or the bus closes.
    if (result >= 0) {
      result = systemd.busCallAsync(self.bus_, nullptr, call, answered, const_cast<void*>(userdata),
                                    self.callTimeoutUs_);
    }
    systemd.messageUnref(call);
    return result;
  }

  // The failure an answer carries (an error from the service or the bus, or a time limit that
  // ran out); nullopt for a reply.
  static std::optional<std::string> FailureOf(const SystemdLibrary& systemd,
                                              sd_bus_message* answer) {
    const sd_bus_error* error = systemd.messageGetError(answer);
    if (error == nullptr) return std::nullopt;
    return CallFailure(error->name != nullptr ? error->name : "",
                       error->message != nullptr ? error->message : "", EIO);
  }

  // userdata is the sender's Shown. The library is loaded: the call was sent through it.
  static int NotifyAnswered(sd_bus_message* answer, void* userdata, sd_bus_error*) {
    const Shown& shown = *static_cast<const Shown*>(userdata);
    const SystemdLibrary& systemd = *Systemd().value();
    std::optional<std::string> failure = FailureOf(systemd, answer);
    uint32_t id = 0;
    if (!failure) {
      const int result = systemd.messageRead(answer, "u", &id);
      if (result < 0) failure = CallFailure("", "", -result);
    }
    shown(failure ? std::nullopt : std::optional<uint32_t>(id), failure.value_or(""));
    return 0;
  }

  // Whether an answer to GetCapabilities names "body-markup".
  static bool NamesBodyMarkup(const SystemdLibrary& systemd, sd_bus_message* answer) {
    if (systemd.messageEnterContainer(answer, 'a', "s") <= 0) return false;
    for (const char* capability = nullptr; systemd.messageRead(answer, "s", &capability) > 0;) {
      if (std::strcmp(capability, "body-markup") == 0) return true;
    }
    return false;
  }

  // userdata is the sender. The notifications that waited for the answer go out now; a failed
  // answer is asked again with the next notification, and these go out as plain text, so that a
  // service without the method still shows them.
  static int CapabilitiesAnswered(sd_bus_message* answer, void* userdata, sd_bus_error*) {
    auto& self = *static_cast<DesktopNotifications*>(userdata);
    const SystemdLibrary& systemd = *self.systemd_;
    const bool failed = systemd.messageGetError(answer) != nullptr;
    self.bodyText_ = failed                             ? BodyText::Unasked
                     : NamesBodyMarkup(systemd, answer) ? BodyText::Markup
                                                        : BodyText::Plain;
    std::vector<Waiting> waiting = std::move(self.waiting_);
    self.waiting_.clear();
    for (const Waiting& next : waiting) {
      if (std::optional<std::string> problem = self.Notify(next.notification, *next.shown))
        (*next.shown)(std::nullopt, *problem);
    }
    return 0;
  }
};

DesktopNotifications::DesktopNotifications(uint64_t callTimeoutUs)
    : callTimeoutUs_(callTimeoutUs) {}

DesktopNotifications::~DesktopNotifications() { Disconnect(); }

void DesktopNotifications::Disconnect() {
  if (bus_ != nullptr) bus_ = systemd_->busCloseUnref(bus_);
  ready_ = false;
  bodyText_ = BodyText::Unasked;
  // A closing bus has answered the question already; only the end of the program drops these.
  waiting_.clear();
}

void DesktopNotifications::WriteOutSent() {
  if (bus_ == nullptr) return;
  const uint64_t deadline = MonotonicMicroseconds() + kFinalWriteUs;
  // A body that waits for the service's capabilities goes out with their answer.
  while (systemd_->busIsOpen(bus_) > 0 && (systemd_->busIsReady(bus_) == 0 || !waiting_.empty())) {
    const int processed = systemd_->busProcess(bus_, nullptr);
    if (processed < 0) return;
    if (processed > 0) continue;
    const uint64_t now = MonotonicMicroseconds();
    if (now >= deadline || systemd_->busWait(bus_, deadline - now) < 0) return;
  }
  // Once greeted, the few calls left fit the socket's buffer: written without waiting.
  if (systemd_->busIsReady(bus_) > 0) systemd_->busFlush(bus_);
}

std::optional<std::string> DesktopNotifications::Connect() {
  if (bus_ != nullptr) return std::nullopt;
  const Outcome<const SystemdLibrary*> systemd = Systemd();
  if (!systemd.ok()) return systemd.problem();
  systemd_ = systemd.value();
  // Connects and starts the greeting without waiting for the bus's answer.
  const int result = systemd_->busOpenUser(&bus_);
  if (result >= 0) return std::nullopt;
  bus_ = nullptr;
  // sd-bus answers ENOMEDIUM when the environment names no bus at all.
  if (result == -ENOMEDIUM)
    return "no session bus: neither DBUS_SESSION_BUS_ADDRESS nor XDG_RUNTIME_DIR is set";
  return std::string("cannot connect to the session bus: ") + std::strerror(-result);
}

std::optional<std::string> DesktopNotifications::Show(const DesktopNotification& notification,
                                                      const Shown& shown) {
  if (std::optional<std::string> problem = Connect()) return problem;
  if (bodyText_ == BodyText::Unasked) {
    const int result = Calls::Send(
        *this, "GetCapabilities", [](sd_bus_message*) { return 0; }, &Calls::CapabilitiesAnswered,
        this);
    if (result < 0) return CallFailure("", "", -result);
    bodyText_ = BodyText::Asking;
  }
  // A body without the characters markup reads is the same text either way: it need not wait.
  if (bodyText_ == BodyText::Asking &&
      notification.body.find_first_of("&<>") != std::string::npos) {
    waiting_.push_back(Waiting{notification, &shown});
    return std::nullopt;
  }
  return Notify(notification, shown);
}

std::optional<std::string> DesktopNotifications::Notify(const DesktopNotification& notification,
                                                        const Shown& shown) {
  const bool bodyMarkup = bodyText_ == BodyText::Markup;
  const int result = Calls::Send(
      *this, "Notify",
      [&](sd_bus_message* call) { return AppendNotify(*systemd_, call, notification, bodyMarkup); },
      &Calls::NotifyAnswered, &shown);
  if (result < 0) return CallFailure("", "", -result);
  return std::nullopt;
}

std::optional<std::string> DesktopNotifications::Close(uint32_t id) {
  if (std::optional<std::string> problem = Connect()) return problem;
  const int result = Calls::Send(
      *this, "CloseNotification",
      [this, id](sd_bus_message* call) { return systemd_->messageAppend(call, "u", id); }, nullptr,
      nullptr);
  if (result < 0) return CallFailure("", "", -result);
  return std::nullopt;
}

DesktopNotifications::Bus DesktopNotifications::Serve() {
  if (bus_ == nullptr) return Bus::Open;
  int result = 0;
  do {
    result = systemd_->busProcess(bus_, nullptr);
    if (!ready_) ready_ = systemd_->busIsReady(bus_) > 0;
  } while (result > 0);
  // A closing bus answers every call still waiting (as failed) before it counts as closed.
  if (systemd_->busIsOpen(bus_) > 0) return Bus::Open;
  // Closed: by the bus (it ended), or before its greeting was done (it refused us).
  const bool lost = ready_;
  Disconnect();
  return lost ? Bus::Lost : Bus::Open;
}

int DesktopNotifications::fd() const {
  if (bus_ == nullptr) return -1;
  return std::max(systemd_->busGetFd(bus_), -1);
}

short DesktopNotifications::events() const {
  const int events = bus_ != nullptr ? systemd_->busGetEvents(bus_) : -1;
  if (events < 0) return POLLIN;
  return static_cast<short>(events);
}

int DesktopNotifications::msUntilDue() const {
  uint64_t due = UINT64_MAX;
  if (bus_ == nullptr || systemd_->busGetTimeout(bus_, &due) < 0 || due == UINT64_MAX) return -1;
  const uint64_t now = MonotonicMicroseconds();
  if (due <= now) return 0;
  // Rounded up, so that the wait does not end just before the limit and come round again.
  return static_cast<int>(std::min<uint64_t>((due - now + 999) / 1000, INT_MAX));
}
