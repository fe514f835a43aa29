#pragma once

#include <span>

#include "model/data_buffer.h"
#include "model/property_table.h"

namespace xyla {

using BufferProperty = props::Property<DataBuffer>;

// Every stored field of a buffer except its points and cached extent, in the order the
// document file writes them (fields the file does not hold come last).
std::span<const BufferProperty> bufferProperties();

}  // namespace xyla
