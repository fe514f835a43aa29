#pragma once

#include <span>
#include <string>

#include "model/property_table.h"

namespace xyla::test {

// A colour that differs for every n.
inline Colour shade(int n) { return Colour{0.01 * (n % 100), 1.0 - 0.01 * (n % 100), 0.25, 0.75}; }

// Sets every field of `table` in `r` (of axis k for per-axis tables) to a value that
// differs from its built-in value and, through `seed`, from the same field of records
// populated with another seed.
template <typename P, typename R>
void populate(std::span<const P> table, R& r, int seed, int k = 0) {
  int i = seed * 100;
  for (const P& p : table) {
    ++i;
    props::visit(p, r, k, [&](auto& field) {
      using T = std::remove_reference_t<decltype(field)>;
      const T initial = std::get<T>(p.initial);
      if constexpr (std::is_same_v<T, bool>)
        field = !initial;
      else if constexpr (std::is_same_v<T, int> || std::is_same_v<T, signed char>)
        field = T(initial + 1 + i % 7);
      else if constexpr (std::is_same_v<T, double>)
        field = initial + 0.5 + i % 50;
      else if constexpr (std::is_same_v<T, std::string>)
        field = std::string(p.name) + " " + std::to_string(i);
      else if constexpr (std::is_same_v<T, Colour>)
        field = shade(i);
      else if constexpr (std::is_same_v<T, FontSpec>)
        field = FontSpec{"Liberation Sans", 8.0 + i % 20};
      else
        field = {{"1", "one"}, {"2", "two " + std::to_string(i)}};
    });
  }
}

// Names of the fields of `table` that `keep` picks whose values differ between `a` and
// `b` (of axis k).
template <typename P, typename R, typename Keep>
std::string differingFieldsWhere(std::span<const P> table, const R& a, const R& b, int k, Keep keep) {
  std::string out;
  for (const P& p : table) {
    if (!keep(p)) continue;
    bool same = true;
    props::visit(p, a, k, [&](const auto& fa) {
      props::visit(p, b, k, [&](const auto& fb) {
        if constexpr (std::is_same_v<decltype(fa), decltype(fb)>) same = fa == fb;
      });
    });
    if (!same) out += std::string(p.name) + " ";
  }
  return out;
}

// Names of the fields of `table` whose values differ between `a` and `b` (of axis k).
template <typename P, typename R>
std::string differingFields(std::span<const P> table, const R& a, const R& b, int k = 0) {
  return differingFieldsWhere(table, a, b, k, [](const P&) { return true; });
}

}  // namespace xyla::test
