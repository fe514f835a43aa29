#pragma once

#include <string>

#include "model/font.h"

namespace xyla {

// The font `family` at `size`, or the user font at 13 points when no such family exists.
FontSpec fontOrUserFont(const std::string& family, double size);

}  // namespace xyla
