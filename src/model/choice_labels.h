#pragma once

#include <string_view>

// Labels of choices that several records share, as the inspector lists them.
namespace xyla::props {

// The dash patterns of lines and grids: solid, then the fifteen patterns.
inline constexpr std::string_view kDashPatterns[] = {
    "Solid",     "Pattern 1", "Pattern 2",  "Pattern 3",  "Pattern 4",  "Pattern 5",  "Pattern 6",  "Pattern 7",
    "Pattern 8", "Pattern 9", "Pattern 10", "Pattern 11", "Pattern 12", "Pattern 13", "Pattern 14", "Pattern 15"};

// The coordinates a text or graphic is placed in.
inline constexpr std::string_view kPlaces[] = {"View", "Data of range 1", "Data of range 2"};

}  // namespace xyla::props
