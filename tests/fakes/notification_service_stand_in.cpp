// A notification service for a test's session bus to start on demand: it serves
// org.freedesktop.Notifications as RecordingNotificationService does on the bus that started it,
// and appends each call it records, as a line, to the file its argument names, until that bus
// closes.
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "tests/fakes/session_bus.h"

int main(int argc, char** argv) {
  const char* address = std::getenv("DBUS_STARTER_ADDRESS");
  if (argc != 2 || address == nullptr) return 2;
  const RecordingNotificationService service(address);
  size_t written = 0;
  while (!service.busClosed()) {
    const std::vector<std::string> calls = service.calls();
    if (calls.size() > written) {
      std::ofstream out(argv[1], std::ios::app);
      for (; written < calls.size(); ++written) out << calls[written] << "\n";
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return 0;
}
