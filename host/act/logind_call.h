// One call to logind's manager (org.freedesktop.login1.Manager at /org/freedesktop/login1) on the
// system bus, which DBUS_SYSTEM_BUS_ADDRESS may name. The bus is reached for the call and left
// after it; the call waits for its answer, the greeting included, at most kLogindCallTimeoutUs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "host/hosting/outcome.h"

// A question without arguments whose answer is one string (CanHibernate, say): the answer, or why
// there is none in words.
Outcome<std::string> AskLogind(const char* method);

// A request with the one argument `interactive` (Hibernate, say): nullopt when logind took it, else
// why not in words.
std::optional<std::string> RequestOfLogind(const char* method, bool interactive);

inline constexpr uint64_t kLogindCallTimeoutUs = 5'000'000;
