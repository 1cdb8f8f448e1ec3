// Installs a platform service for the lifetime of the guard and puts back whatever was installed
// before. Each service has its own Install function (defined once, in the platform library, so the
// module and the host share one installation) that returns the service it replaced; nullptr means
// the platform's default.
#pragma once

template <typename Service, Service* (*Install)(Service*)>
class ScopedService {
 public:
  explicit ScopedService(Service& service) : previous_(Install(&service)) {}
  ~ScopedService() { Install(previous_); }
  ScopedService(const ScopedService&) = delete;
  ScopedService& operator=(const ScopedService&) = delete;

 private:
  Service* previous_;
};
