// A stand-in for logind on a test's private system bus, so that no test reaches the machine's own:
//   PrivateSystemBus bus;  // names itself in DBUS_SYSTEM_BUS_ADDRESS, for programs started too
//   StandInLogind logind(bus.address(), {{"CanHibernate", "na"}});
//   ... the code under test ...
//   EXPECT_TRUE(logind.WaitForCalls(2));
//   EXPECT_EQ(logind.calls()[1], "Hibernate interactive=false");
// It owns org.freedesktop.login1 and serves org.freedesktop.login1.Manager at
// /org/freedesktop/login1: CanHibernate, CanHybridSleep, CanSuspend and CanPowerOff answer as told
// ("yes" for any not named); Hibernate, HybridSleep, Suspend and PowerOff succeed where their Can…
// answers "yes" and fail otherwise, as logind refuses them, unless told an answer of their own. It
// records each call as it arrives as one line: the method, and for the actions " interactive=true",
// " interactive=false" or " without interactive".
#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <systemd/sd-bus.h>

class StandInLogind {
 public:
  explicit StandInLogind(const std::string& address,
                         std::map<std::string, std::string> answers = {});
  ~StandInLogind();
  StandInLogind(const StandInLogind&) = delete;
  StandInLogind& operator=(const StandInLogind&) = delete;

  std::vector<std::string> calls() const;
  // Waits (up to about twenty seconds) until this many calls were recorded; answers whether they
  // were.
  bool WaitForCalls(size_t count) const;

 private:
  static int Answer(sd_bus_message* call, void* self, sd_bus_error* error);
  std::string AnswerTo(const std::string& question) const;

  const std::map<std::string, std::string> answers_;
  sd_bus* bus_ = nullptr;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::vector<std::string> calls_;
};
