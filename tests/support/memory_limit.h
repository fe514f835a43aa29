#pragma once

#include <sys/resource.h>
#include <unistd.h>

#include <fstream>

namespace xyla::test {

// True when the tests run under AddressSanitizer, whose shadow memory takes more address
// space than any limit a test could set.
constexpr bool kAddressSanitizer =
#if defined(__SANITIZE_ADDRESS__)
    true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    true;
#else
    false;
#endif
#else
    false;
#endif

// Lets this process take at most `bytes` of address space beyond what it has now, so
// allocations past that fail as they would on a machine without more memory. Meant for a
// child process (a death test) since it cannot be undone.
inline void limitMemoryTo(std::size_t bytes) {
  std::ifstream statm("/proc/self/statm");
  std::size_t pages = 0;
  statm >> pages;
  const rlim_t limit = static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + bytes;
  const rlimit r{limit, limit};
  setrlimit(RLIMIT_AS, &r);
}

}  // namespace xyla::test
