// How a host or a test installs a platform service (clock, power source, message box sink, brush
// monitor, system palette, registry store, the file layer's state). Each service has one
// ServiceSlot and an Install function over it, defined once in the platform library so that the
// module and the host share one installation; ScopedService installs for the lifetime of a guard.
#pragma once

#include <utility>

// The installed service of one kind; nullptr means the platform's default.
template <typename Service>
class ServiceSlot {
 public:
  // Answers the service it replaces.
  Service* Install(Service* service) { return std::exchange(installed_, service); }
  Service* installed() const { return installed_; }
  // The installed service, or the platform's default.
  Service& Or(Service& fallback) const { return installed_ != nullptr ? *installed_ : fallback; }
  const Service& Or(const Service& fallback) const {
    return installed_ != nullptr ? *installed_ : fallback;
  }

 private:
  Service* installed_ = nullptr;
};

// Installs the service for the lifetime of the guard and puts back whatever was installed before.

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
