#pragma once

#include <span>
#include <variant>

#include "model/property_table.h"
#include "model/xyla_document.h"

namespace xyla {

// The part of a document file that reads a key back: a partial load ("Layout", "Data",
// "Range", "Fit", "TG", "Fonts", "Colors") reads only the keys of its groups.
enum class LoadGroup { Window, Data, Range, Fit, TG, Layout, Fonts, Colors };

// Keys of a document record whose values are lists of records.
enum class RecordList { Fit, Buffers, Texts, Graphics };

using DocumentSlot =
    std::variant<bool XylaDocument::*, int XylaDocument::*, double XylaDocument::*, std::string XylaDocument::*,
                 Colour XylaDocument::*, FontSpec XylaDocument::*, RecordList>;

// Document-wide fields and the record lists, in the order the file writes them.
struct DocumentProperty : props::Property<XylaDocument, DocumentSlot> {
  LoadGroup group = LoadGroup::Layout;
  bool truncated = false;  // a number stored as an integer, truncated towards zero
};

template <typename T>
using AxisMember = XylaDocument::PerAxis<T> XylaDocument::*;
using AxisSlot =
    std::variant<AxisMember<bool>, AxisMember<int>, AxisMember<signed char>, AxisMember<double>,
                 AxisMember<std::string>, AxisMember<Colour>, AxisMember<FontSpec>, AxisMember<props::StringMap>>;

// Per-axis fields ("ticks0" .. "ticks3" in the file), in the order the file writes them.
// The built-in value holds for every axis, except where setDefaults says otherwise
// (which axes are shown, and the number alignment that faces away from the frame).
struct AxisProperty : props::Property<XylaDocument, AxisSlot> {
  LoadGroup group = LoadGroup::Layout;
  int fromVerno = 0;  // read only from files of this version on
};

std::span<const DocumentProperty> documentProperties();
std::span<const AxisProperty> axisProperties();

}  // namespace xyla
