#include "host/wait/power_events.h"

#include <linux/netlink.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/power/power_source.h"

namespace {

// A message larger than this is no power_supply message worth reading whole.
constexpr size_t kMessageBytes = 8192;
// Messages read at one wake: the kernel sends a few at a time, and a process that floods the
// socket holds up no loop (the rest is read at the next wake, at once).
constexpr int kMessagesPerWake = 256;

class KernelPowerEvents final : public PowerEvents {
 public:
  explicit KernelPowerEvents(int socket) : socket_(socket) {}
  ~KernelPowerEvents() override { close(socket_); }
  KernelPowerEvents(const KernelPowerEvents&) = delete;
  KernelPowerEvents& operator=(const KernelPowerEvents&) = delete;

  int fd() const override { return socket_; }

  bool ChargerChanged() override {
    bool supplyEvent = false;
    char message[kMessageBytes];
    for (int count = 0; count < kMessagesPerWake; ++count) {
      sockaddr_nl sender{};
      iovec part{message, sizeof message};
      msghdr header{};
      header.msg_name = &sender;
      header.msg_namelen = sizeof sender;
      header.msg_iov = &part;
      header.msg_iovlen = 1;
      const ssize_t n = recvmsg(socket_, &header, MSG_DONTWAIT);
      if (n < 0 && errno == EINTR) continue;
      // Messages were lost (the socket's buffer overflowed): one of them may have been the plug.
      if (n < 0 && errno == ENOBUFS) {
        supplyEvent = true;
        continue;
      }
      if (n < 0) break;
      // Only the kernel's own port is 0; any process may send to this socket.
      const bool fromKernel = header.msg_namelen == sizeof sender && sender.nl_pid == 0;
      if (fromKernel && IsPowerSupplyMessage(std::string_view(message, static_cast<size_t>(n))))
        supplyEvent = true;
    }
    return supplyEvent && readings_.Changed();
  }

 private:
  int socket_;
  ChargerReadings readings_;
};

}  // namespace

bool IsPowerSupplyMessage(std::string_view message) {
  // The header ("action@path") first, then the fields, each ending with a NUL.
  const size_t headerEnd = message.find('\0');
  if (message.substr(0, headerEnd).find('@') == std::string_view::npos) return false;
  for (size_t at = headerEnd; at != std::string_view::npos && at + 1 < message.size();) {
    const size_t end = std::min(message.find('\0', at + 1), message.size());
    if (message.substr(at + 1, end - at - 1) == "SUBSYSTEM=power_supply") return true;
    at = end;
  }
  return false;
}

ChargerReadings::ChargerReadings() : last_(Read()) {}

bool ChargerReadings::Changed() {
  const std::optional<Reading> now = Read();
  const bool changed = now != last_;
  last_ = now;
  return changed;
}

std::optional<ChargerReadings::Reading> ChargerReadings::Read() {
  SYSTEM_POWER_STATUS_EX2 status{};
  if (!CurrentPowerSource().Read(status, true)) return std::nullopt;
  return Reading{status.ACLineStatus, status.BatteryFlag};
}

Outcome<std::unique_ptr<PowerEvents>> OpenKernelPowerEvents() {
  const int events =
      socket(AF_NETLINK, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, NETLINK_KOBJECT_UEVENT);
  if (events < 0)
    return Problem{std::string("cannot open the kernel's uevent socket: ") + std::strerror(errno)};
  sockaddr_nl address{};
  address.nl_family = AF_NETLINK;
  address.nl_groups = 1;  // the kernel's own messages
  if (bind(events, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    Problem problem{std::string("cannot listen to the kernel's uevents: ") + std::strerror(errno)};
    close(events);
    return problem;
  }
  return std::unique_ptr<PowerEvents>(std::make_unique<KernelPowerEvents>(events));
}
