#pragma once

#include <memory>

#include "model/keyed_archive.h"

namespace xyla {

class DataBuffer;

// Format version written into document and buffer records.
inline constexpr int kArchiveVerno = 30;

// Writes `b` as a buffer record ("DataBuffer") and answers its reference.
archive::Uid encodeBuffer(archive::ArchiveWriter& w, const DataBuffer& b);

// Reads a buffer record of any format version: number blocks in either byte order (or
// the number lists of the oldest versions), the older keys "haveminmax" and "plotbars",
// and line-coloured bars, sticks and errors before version 21. Nothing when `item` is
// not a record.
std::unique_ptr<DataBuffer> decodeBuffer(const archive::ArchiveItem& item);

}  // namespace xyla
