#include "host/act/logind_call.h"

#include <time.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include "host/notify/call_failure.h"
#include "host/notify/systemd_library.h"

namespace {

constexpr const char* kService = "org.freedesktop.login1";
constexpr const char* kPath = "/org/freedesktop/login1";
constexpr const char* kInterface = "org.freedesktop.login1.Manager";
constexpr std::string_view kServiceUnknown = "org.freedesktop.DBus.Error.ServiceUnknown";

uint64_t MonotonicMicroseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1'000'000 + static_cast<uint64_t>(now.tv_nsec) / 1000;
}

std::string SystemFailure(int errorNumber) {
  return std::string("logind failed: ") + std::strerror(errorNumber);
}

// The failure an answer carries, nullopt for a reply. The words come from whatever program holds
// the name on the bus: they are cut to one short printable line.
std::optional<std::string> FailureOf(const SystemdLibrary& systemd, sd_bus_message* answer) {
  const sd_bus_error* error = systemd.messageGetError(answer);
  if (error == nullptr) return std::nullopt;
  const std::string_view name = error->name != nullptr ? error->name : "";
  if (name == kServiceUnknown) return "the system bus has no logind (org.freedesktop.login1)";
  const std::string_view cause = error->message != nullptr ? error->message : name;
  return "logind failed: " + OneShortLine(cause);
}

// What the answer to a call brought, kept by its handler.
struct Answer {
  const SystemdLibrary* systemd;
  bool readsText;
  bool arrived = false;
  std::optional<std::string> problem;
  std::string text;
};

int Keep(sd_bus_message* message, void* kept, sd_bus_error*) {
  Answer& answer = *static_cast<Answer*>(kept);
  answer.arrived = true;
  answer.problem = FailureOf(*answer.systemd, message);
  if (answer.problem || !answer.readsText) return 0;
  const char* text = nullptr;
  const int result = answer.systemd->messageRead(message, "s", &text);
  if (result < 0) {
    answer.problem = SystemFailure(-result);
  } else {
    answer.text = text;
  }
  return 0;
}

// Calls `method`, with `interactive` as its argument when given; its answer, a string when
// readsText, else empty.
Outcome<std::string> Call(const char* method, std::optional<bool> interactive, bool readsText) {
  const Outcome<const SystemdLibrary*> loaded = Systemd();
  if (!loaded.ok()) return Problem{loaded.problem()};
  const SystemdLibrary& systemd = *loaded.value();
  sd_bus* bus = nullptr;
  int result = systemd.busOpenSystem(&bus);
  if (result < 0) return Problem{std::string("no system bus: ") + std::strerror(-result)};
  sd_bus_message* call = nullptr;
  result = systemd.messageNewMethodCall(bus, &call, kService, kPath, kInterface, method);
  if (result >= 0 && interactive) result = systemd.messageAppend(call, "b", int{*interactive});
  Answer answer{&systemd, readsText, false, std::nullopt, {}};
  // One deadline for the greeting with the bus and the answer, kept here: sd_bus_call would wait
  // for the greeting far longer, and the answer's own limit (0: sd-bus's default) comes later.
  const uint64_t deadline = MonotonicMicroseconds() + kLogindCallTimeoutUs;
  if (result >= 0) result = systemd.busCallAsync(bus, nullptr, call, &Keep, &answer, 0);
  systemd.messageUnref(call);
  while (result >= 0 && !answer.arrived) {
    result = systemd.busProcess(bus, nullptr);
    if (result != 0) continue;
    const uint64_t now = MonotonicMicroseconds();
    result = now < deadline ? systemd.busWait(bus, deadline - now) : -ETIMEDOUT;
  }
  systemd.busCloseUnref(bus);
  if (!answer.arrived) {
    return Problem{result == -ETIMEDOUT ? "logind did not answer in time" : SystemFailure(-result)};
  }
  if (answer.problem) return Problem{*answer.problem};
  return answer.text;
}

}  // namespace

Outcome<std::string> AskLogind(const char* method) { return Call(method, std::nullopt, true); }

std::optional<std::string> RequestOfLogind(const char* method, bool interactive) {
  const Outcome<std::string> answer = Call(method, interactive, false);
  if (!answer.ok()) return answer.problem();
  return std::nullopt;
}
