#include "tests/fakes/logind_stand_in.h"

#include <chrono>
#include <stdexcept>

StandInLogind::StandInLogind(const std::string& address, std::map<std::string, std::string> answers)
    : answers_(std::move(answers)) {
  if (sd_bus_new(&bus_) < 0 || sd_bus_set_address(bus_, address.c_str()) < 0 ||
      sd_bus_set_bus_client(bus_, 1) < 0 || sd_bus_start(bus_) < 0 ||
      sd_bus_add_object(bus_, nullptr, "/org/freedesktop/login1", &Answer, this) < 0 ||
      sd_bus_request_name(bus_, "org.freedesktop.login1", 0) < 0) {
    throw std::runtime_error("cannot serve org.freedesktop.login1 on " + address);
  }
  thread_ = std::thread([this] {
    while (!stop_) {
      const int processed = sd_bus_process(bus_, nullptr);
      if (processed < 0) return;
      if (processed == 0) sd_bus_wait(bus_, 50'000);
    }
  });
}

StandInLogind::~StandInLogind() {
  stop_ = true;
  thread_.join();
  sd_bus_flush_close_unref(bus_);
}

std::string StandInLogind::AnswerTo(const std::string& question) const {
  const auto told = answers_.find(question);
  return told != answers_.end() ? told->second : "yes";
}

int StandInLogind::Answer(sd_bus_message* call, void* self, sd_bus_error*) {
  auto& logind = *static_cast<StandInLogind*>(self);
  // Only the manager's interface is served, as logind serves it.
  if (sd_bus_message_is_method_call(call, "org.freedesktop.login1.Manager", nullptr) <= 0)
    return sd_bus_reply_method_errorf(call, SD_BUS_ERROR_UNKNOWN_INTERFACE, "no such interface");
  const std::string method = sd_bus_message_get_member(call);
  std::string line = method;
  const bool question = method.starts_with("Can");
  if (!question) {
    int interactive = 0;
    const bool read = sd_bus_message_read(call, "b", &interactive) > 0;
    line += !read         ? " without interactive"
            : interactive ? " interactive=true"
                          : " interactive=false";
  }
  {
    const std::lock_guard<std::mutex> lock(logind.mutex_);
    logind.calls_.push_back(line);
  }
  if (question) return sd_bus_reply_method_return(call, "s", logind.AnswerTo(method).c_str());
  const std::string answer =
      logind.answers_.contains(method) ? logind.AnswerTo(method) : logind.AnswerTo("Can" + method);
  if (answer == "yes") return sd_bus_reply_method_return(call, "");
  return sd_bus_reply_method_errorf(call, "org.freedesktop.login1.NotSupported",
                                    "%s refused: Can%s answers %s", method.c_str(), method.c_str(),
                                    answer.c_str());
}

std::vector<std::string> StandInLogind::calls() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return calls_;
}

bool StandInLogind::WaitForCalls(size_t count) const {
  for (int i = 0; i < 400; ++i) {
    if (calls().size() >= count) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}
