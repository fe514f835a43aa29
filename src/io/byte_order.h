#pragma once

#include <cstdint>

namespace xyla {

// The bytes of an integer in reverse order, for files written on a machine of the
// other byte order.
inline std::uint16_t reverseBytes(std::uint16_t v) { return __builtin_bswap16(v); }
inline std::uint32_t reverseBytes(std::uint32_t v) { return __builtin_bswap32(v); }
inline std::uint64_t reverseBytes(std::uint64_t v) { return __builtin_bswap64(v); }

}  // namespace xyla
