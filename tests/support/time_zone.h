#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace xyla::test {

// Sets TZ for one scope and puts the previous value back.
struct TimeZone {
  std::optional<std::string> saved;
  explicit TimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) saved = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~TimeZone() {
    saved ? setenv("TZ", saved->c_str(), 1) : unsetenv("TZ");
    tzset();
  }
  TimeZone(const TimeZone&) = delete;
  TimeZone& operator=(const TimeZone&) = delete;
};

}  // namespace xyla::test
