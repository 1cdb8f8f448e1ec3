#include "tests/fakes/session_bus.h"

#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <stdexcept>

namespace {

// Everything allowed; services started on demand only from the folder given, if any.
std::string BusConfig(const std::filesystem::path& socket,
                      const std::filesystem::path& serviceFolder) {
  return "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
         " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
         "<busconfig><type>session</type><listen>unix:path=" +
         socket.string() + "</listen>" +
         (serviceFolder.empty() ? "" : "<servicedir>" + serviceFolder.string() + "</servicedir>") +
         "<auth>EXTERNAL</auth>"
         "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
         "<allow eavesdrop=\"true\"/><allow own=\"*\"/><allow user=\"*\"/></policy></busconfig>\n";
}

// The hints' values as text: a byte as its number, a string as it is.
std::map<std::string, std::string> ReadHints(sd_bus_message* message) {
  std::map<std::string, std::string> hints;
  sd_bus_message_enter_container(message, 'a', "{sv}");
  while (sd_bus_message_enter_container(message, 'e', "sv") > 0) {
    const char* key = nullptr;
    sd_bus_message_read(message, "s", &key);
    char type = 0;
    const char* contents = nullptr;
    sd_bus_message_peek_type(message, &type, &contents);
    std::string value = "?";
    if (contents != nullptr && std::string(contents) == "y") {
      uint8_t byte = 0;
      sd_bus_message_read(message, "v", "y", &byte);
      value = std::to_string(byte);
    } else if (contents != nullptr && std::string(contents) == "s") {
      const char* text = nullptr;
      sd_bus_message_read(message, "v", "s", &text);
      value = text;
    } else {
      sd_bus_message_skip(message, "v");
    }
    hints[key] = value;
    sd_bus_message_exit_container(message);
  }
  sd_bus_message_exit_container(message);
  return hints;
}

}  // namespace

PrivateBus::PrivateBus(const char* variable, const std::string& startsNotifications,
                       bool unnamedAtEnd)
    : variable_(variable), unnamedAtEnd_(unnamedAtEnd) {
  std::filesystem::path services;
  if (!startsNotifications.empty()) {
    services = folder_.path() / "services";
    folder_.Write(
        "services/notifications.service",
        "[D-BUS Service]\nName=org.freedesktop.Notifications\nExec=" + startsNotifications + "\n");
  }
  folder_.Write("bus.conf", BusConfig(folder_.path() / "bus", services));
  Start();
}

void PrivateBus::Start() {
  const std::filesystem::path config = folder_.path() / "bus.conf";
  std::filesystem::remove(folder_.path() / "bus");
  int out[2];
  if (pipe(out) != 0) throw std::runtime_error("pipe");
  daemon_ = fork();
  if (daemon_ == 0) {
    dup2(out[1], STDOUT_FILENO);
    // Its complaints (it may not raise its file limit, say) go beside its configuration.
    const std::string log = (folder_.path() / "bus.log").string();
    if (FILE* kept = std::fopen(log.c_str(), "w")) dup2(fileno(kept), STDERR_FILENO);
    close(out[0]);
    execlp("dbus-daemon", "dbus-daemon", ("--config-file=" + config.string()).c_str(), "--nofork",
           "--print-address", nullptr);
    _exit(127);
  }
  close(out[1]);
  FILE* reader = fdopen(out[0], "r");
  char line[512] = {};
  if (reader == nullptr || std::fgets(line, sizeof line, reader) == nullptr) {
    throw std::runtime_error("dbus-daemon did not start (the dbus-daemon package installs it)");
  }
  std::fclose(reader);
  address_ = line;
  while (!address_.empty() && address_.back() == '\n') address_.pop_back();
  // Without the daemon's guid, so that a program started now also reaches it after Restart().
  const std::string socket = "unix:path=" + (folder_.path() / "bus").string();
  setenv(variable_, socket.c_str(), 1);
}

void PrivateBus::Restart() {
  Stop();
  Start();
}

PrivateBus::~PrivateBus() {
  if (unnamedAtEnd_) unsetenv(variable_);
  Stop();
}

void PrivateBus::Stop() {
  if (daemon_ <= 0) return;
  kill(daemon_, SIGTERM);
  waitpid(daemon_, nullptr, 0);
  daemon_ = -1;
}

SilentBus::SilentBus(const char* variable) {
  listening_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string path = (folder_.path() / "bus").string();
  path.copy(address.sun_path, sizeof address.sun_path - 1);
  if (bind(listening_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listening_, 4) != 0) {
    throw std::runtime_error("cannot listen on " + path);
  }
  setenv(variable, ("unix:path=" + path).c_str(), 1);
}

RecordingNotificationService::RecordingNotificationService(const std::string& address,
                                                           Answers answers, bool bodyMarkup)
    : answers_(answers), bodyMarkup_(bodyMarkup) {
  if (sd_bus_new(&bus_) < 0 || sd_bus_set_address(bus_, address.c_str()) < 0 ||
      sd_bus_set_bus_client(bus_, 1) < 0 || sd_bus_start(bus_) < 0 ||
      sd_bus_add_object(bus_, nullptr, "/org/freedesktop/Notifications", &Record, this) < 0 ||
      sd_bus_request_name(bus_, "org.freedesktop.Notifications", 0) < 0) {
    throw std::runtime_error("cannot serve org.freedesktop.Notifications on " + address);
  }
  thread_ = std::thread([this] { Serve(); });
}

RecordingNotificationService::~RecordingNotificationService() {
  stop_ = true;
  thread_.join();
  for (const auto& [call, id] : held_) sd_bus_message_unref(call);
  sd_bus_flush_close_unref(bus_);
}

void RecordingNotificationService::Serve() {
  while (!stop_) {
    if (release_ && answers_ == Answers::OnRelease) {
      answers_ = Answers::AtOnce;
      for (const auto& [call, id] : held_) {
        Answer(call, id);
        sd_bus_message_unref(call);
      }
      held_.clear();
    }
    const int processed = sd_bus_process(bus_, nullptr);
    if (processed < 0) {
      busClosed_ = true;
      return;
    }
    if (processed == 0) sd_bus_wait(bus_, 50'000);
  }
}

int RecordingNotificationService::Answer(sd_bus_message* call, unsigned id) const {
  const std::string member = sd_bus_message_get_member(call);
  if (member == "Notify") return sd_bus_reply_method_return(call, "u", id);
  if (member == "GetCapabilities") {
    return bodyMarkup_ ? sd_bus_reply_method_return(call, "as", 2, "body", "body-markup")
                       : sd_bus_reply_method_return(call, "as", 1, "body");
  }
  if (member == "GetServerInformation")
    return sd_bus_reply_method_return(call, "ssss", "recorder", "test", "1", "1.2");
  return sd_bus_reply_method_return(call, "");
}

int RecordingNotificationService::Record(sd_bus_message* message, void* self, sd_bus_error*) {
  auto& service = *static_cast<RecordingNotificationService*>(self);
  const std::string member = sd_bus_message_get_member(message);
  std::string call = member;
  unsigned id = 0;
  if (member == "Notify") {
    const char *app, *icon, *summary, *body;
    uint32_t replaces = 0;
    int32_t expire = 0;
    sd_bus_message_read(message, "susss", &app, &replaces, &icon, &summary, &body);
    sd_bus_message_skip(message, "as");
    std::map<std::string, std::string> hints = ReadHints(message);
    sd_bus_message_read(message, "i", &expire);
    call += std::string(" ") + app + " replaces=" + std::to_string(replaces) + " icon=" + icon +
            " urgency=" + hints["urgency"] + " category=" + hints["category"] +
            " expire=" + std::to_string(expire) + " '" + summary + "' '" + body + "'";
  } else if (member == "CloseNotification") {
    uint32_t closed = 0;
    sd_bus_message_read(message, "u", &closed);
    call += " " + std::to_string(closed);
  }
  if (member == "GetCapabilities") {
    ++service.capabilityQueries_;
  } else {
    const std::lock_guard<std::mutex> lock(service.mutex_);
    service.calls_.push_back(call);
    if (member == "Notify") id = service.nextId_++;
  }
  if (service.answers_ == Answers::AtOnce) return service.Answer(message, id);
  service.held_.emplace_back(sd_bus_message_ref(message), id);
  // Taken: sd-bus neither answers nor complains for it.
  return 1;
}

std::vector<std::string> RecordingNotificationService::calls() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return calls_;
}

bool RecordingNotificationService::WaitForCalls(size_t count) const {
  for (int i = 0; i < 400; ++i) {
    if (calls().size() >= count) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}
