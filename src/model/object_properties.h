#pragma once

#include <span>
#include <variant>

#include "model/graphic_object.h"
#include "model/property_table.h"
#include "model/text_object.h"

namespace xyla {

using TextSlot = std::variant<bool TextObject::*, int TextObject::*, double TextObject::*, std::string TextObject::*,
                              Colour TextObject::*, FontSpec TextObject::*, props::Nested<TextObject, ViewRect>,
                              props::Nested<TextObject, ViewPoint>>;
using TextProperty = props::Property<TextObject, TextSlot>;
using GraphicProperty = props::Property<Graphic>;

// The stored fields of a free text, in the order the document file writes them.
std::span<const TextProperty> textProperties();
// The stored fields of a graphic object but its picture, in the order the file writes them.
std::span<const GraphicProperty> graphicProperties();

}  // namespace xyla
