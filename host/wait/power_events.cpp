#include "host/wait/power_events.h"

#include <linux/netlink.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// A message larger than this is no power_supply message worth reading whole.
constexpr size_t kMessageBytes = 8192;

class KernelPowerEvents final : public PowerEvents {
 public:
  explicit KernelPowerEvents(int socket) : socket_(socket) {}
  ~KernelPowerEvents() override { close(socket_); }
  KernelPowerEvents(const KernelPowerEvents&) = delete;
  KernelPowerEvents& operator=(const KernelPowerEvents&) = delete;

  int fd() const override { return socket_; }

  bool ChargerChanged() override {
    bool changed = false;
    char message[kMessageBytes];
    for (;;) {
      const ssize_t n = recv(socket_, message, sizeof message, MSG_DONTWAIT);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return changed;
      if (const std::optional<SupplyEvent> event =
              ParseSupplyEvent(std::string_view(message, static_cast<size_t>(n)))) {
        changed = watch_.Changes(*event) || changed;
      }
    }
  }

 private:
  int socket_;
  ChargerWatch watch_;
};

}  // namespace

std::optional<SupplyEvent> ParseSupplyEvent(std::string_view message) {
  SupplyEvent event{"", "", "", true};
  bool powerSupply = false;
  // The supply's folder ends the header's path: the name when no field gives it.
  const std::string_view header = message.substr(0, message.find('\0'));
  event.name = std::string(header.substr(header.rfind('/') + 1));
  // The header ("action@path") first, then the fields, each ending with a NUL.
  for (size_t at = message.find('\0'); at != std::string_view::npos && at + 1 < message.size();) {
    const size_t end = std::min(message.find('\0', at + 1), message.size());
    const std::string_view field = message.substr(at + 1, end - at - 1);
    const size_t equals = field.find('=');
    if (equals != std::string_view::npos) {
      const std::string_view key = field.substr(0, equals);
      const std::string value(field.substr(equals + 1));
      if (key == "SUBSYSTEM") powerSupply = value == "power_supply";
      if (key == "ACTION") event.present = value != "remove";
      if (key == "POWER_SUPPLY_NAME") event.name = value;
      if (key == "POWER_SUPPLY_ONLINE") event.online = value;
      if (key == "POWER_SUPPLY_STATUS") event.status = value;
    }
    at = end;
  }
  if (!powerSupply || event.name.empty() || header.find('@') == std::string_view::npos)
    return std::nullopt;
  return event;
}

bool ChargerWatch::Changes(const SupplyEvent& event) {
  const auto last = last_.find(event.name);
  const bool changes = last == last_.end() || last->second.online != event.online ||
                       last->second.status != event.status || last->second.present != event.present;
  last_[event.name] = event;
  return changes;
}

std::unique_ptr<PowerEvents> OpenKernelPowerEvents(std::string& whyNot) {
  const int events =
      socket(AF_NETLINK, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, NETLINK_KOBJECT_UEVENT);
  if (events < 0) {
    whyNot = std::string("cannot open the kernel's uevent socket: ") + std::strerror(errno);
    return nullptr;
  }
  sockaddr_nl address{};
  address.nl_family = AF_NETLINK;
  address.nl_groups = 1;  // the kernel's own messages
  if (bind(events, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    whyNot = std::string("cannot listen to the kernel's uevents: ") + std::strerror(errno);
    close(events);
    return nullptr;
  }
  return std::make_unique<KernelPowerEvents>(events);
}
