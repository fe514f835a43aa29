#pragma once

#include <optional>

#include "io/binary_import.h"

namespace xyla::gui {

// The accessory values of the binary import (number type, layout, columns, byte swap),
// preset with `preset`; nothing when the person cancelled.
std::optional<BinaryImportOptions> binaryOptionsDialog(const BinaryImportOptions& preset);

}  // namespace xyla::gui
