#include "model/object_properties.h"

#include <vector>

namespace xyla {

namespace {

using T = TextObject;
using G = Graphic;
using props::Control;
using props::Nested;

const std::vector<TextProperty>& texts() {
  // name, member, built-in value, archive key, user-defaults key, command, arguments,
  // {inspector page, label, control}, flags. The text, frame and colour keys are those
  // of the text-view class the file format stores a text as.
  // clang-format off
  static const std::vector<TextProperty> t = {
      {"text", &T::text, std::string(), "NSString", "", "text", "iddsdsddddiidddd", {"Text", "Text", Control::Text}},
      {"font", &T::font, FontSpec::system(14.0), "NSFont", "", "text", "", {"Text", "Font", Control::Font}},
      {"color", &T::color, Colour::black(), "NSTextColor", "", "text", "", {"Text", "Colour", Control::Colour}},
      {"backgroundcolor", &T::backgroundcolor, Colour::white(), "NSBackgroundColor", "", "", "",
       {"Text", "Background", Control::Colour}},
      {"drawsbackground", &T::drawsbackground, false, "NSDrawsBackground", "", "", "",
       {"Text", "Draw background", Control::Check}},
      {"textalign", &T::textalign, 0, "NSAlignment", "", "", "", {"Text", "Line alignment", Control::Choice}},
      {"frame.x", Nested<T, ViewRect>{&T::frame, &ViewRect::x}, 0.0, "NSFrame.x", "", "", "", {}},
      {"frame.y", Nested<T, ViewRect>{&T::frame, &ViewRect::y}, 0.0, "NSFrame.y", "", "", "", {}},
      {"frame.width", Nested<T, ViewRect>{&T::frame, &ViewRect::width}, 0.0, "NSFrame.width", "", "", "", {}},
      {"frame.height", Nested<T, ViewRect>{&T::frame, &ViewRect::height}, 0.0, "NSFrame.height", "", "", "", {}},
      {"tag", &T::tag, 0, "tag", "", "", "", {}},
      {"x", &T::x, 0.0, "x", "", "ftext", "", {"Place", "X", Control::Number}},
      {"y", &T::y, 0.0, "y", "", "ftext", "", {"Place", "Y", Control::Number}},
      {"posmode", &T::posmode, 0, "posmode", "", "ftext", "", {"Place", "Coordinates", Control::Choice}},
      {"tbalign", &T::tbalign, 0, "tbalign", "", "ftext", "", {"Place", "Anchor", Control::Choice}},
      {"tloc.x", Nested<T, ViewPoint>{&T::tloc, &ViewPoint::x}, 0.0, "tloc.x", "", "", "", {}},
      {"tloc.y", Nested<T, ViewPoint>{&T::tloc, &ViewPoint::y}, 0.0, "tloc.y", "", "", "", {}},
      {"dloc.x", Nested<T, ViewPoint>{&T::dloc, &ViewPoint::x}, 0.0, "dloc.x", "", "", "", {}},
      {"dloc.y", Nested<T, ViewPoint>{&T::dloc, &ViewPoint::y}, 0.0, "dloc.y", "", "", "", {}},
      {"angle", &T::angle, 0.0, "angle", "", "text", "", {"Place", "Angle", Control::Number}},
      {"autoposoffset", &T::autoposoffset, 0.0, "autoposoffset", "", "qtext", "",
       {"Place", "Distance", Control::Number}},
      {"autoposloc", &T::autoposloc, 0, "autoposloc", "", "qtext", "", {"Place", "Automatic place", Control::Choice}},
      {"autoposangle", &T::autoposangle, 0, "autoposangle", "", "qtext", "", {"Place", "Turn", Control::Choice}},
      {"autopos", &T::autopos, false, "autopos", "", "qtext", "", {"Place", "Place automatically", Control::Check}},
  };
  // clang-format on
  return t;
}

const std::vector<GraphicProperty>& graphics() {
  // clang-format off
  static const std::vector<GraphicProperty> t = {
      {"tag", &G::tag, 0, "tag", "", "", "", {}},
      {"type", &G::type, int(G::Line), "type", "", "line", "iidddddiddd", {"Graphic", "Shape", Control::Choice}},
      {"x1", &G::x1, 0.0, "x1", "", "line", "", {"Graphic", "X1", Control::Number}},
      {"y1", &G::y1, 0.0, "y1", "", "line", "", {"Graphic", "Y1", Control::Number}},
      {"x2", &G::x2, 0.0, "x2", "", "line", "", {"Graphic", "X2", Control::Number}},
      {"y2", &G::y2, 0.0, "y2", "", "line", "", {"Graphic", "Y2", Control::Number}},
      {"linewidth", &G::linewidth, 2.0, "linewidth", "", "line", "", {"Graphic", "Line width", Control::Number}},
      {"arrow1", &G::arrow1, false, "arrow1", "", "arrow", "iiddddiiiddiddd", {"Arrow", "Head at start", Control::Check}},
      {"arrow2", &G::arrow2, false, "arrow2", "", "arrow", "", {"Arrow", "Head at end", Control::Check}},
      {"aspect", &G::aspect, true, "aspect", "", "", "", {"Graphic", "Keep picture aspect", Control::Check}},
      {"dashp", &G::dashp, 0, "dash", "", "line", "", {"Graphic", "Pattern", Control::Choice}},
      {"color", &G::color, Colour::black(), "color", "", "line", "", {"Graphic", "Colour", Control::Colour}},
      {"fillcolor", &G::fillcolor, Colour::white(), "fillcolor", "", "frect", "iidddddidddddd",
       {"Graphic", "Fill colour", Control::Colour}},
      {"fill", &G::fill, false, "fill", "", "frect", "", {"Graphic", "Filled", Control::Check}},
      {"arrowsize", &G::arrowsize, 12.0, "arrowsize", "", "arrow", "", {"Arrow", "Head size", Control::Number}},
      {"arrowtype", &G::arrowtype, 0, "arrowtype", "", "arrow", "", {"Arrow", "Head", Control::Choice}},
      {"display", &G::display, 0, "display", "", "line", "", {"Graphic", "Behind the plot", Control::Choice}},
      {"posmode", &G::posmode, 0, "posmode", "", "line", "", {"Graphic", "Coordinates", Control::Choice}},
  };
  // clang-format on
  return t;
}

}  // namespace

std::span<const TextProperty> textProperties() { return texts(); }
std::span<const GraphicProperty> graphicProperties() { return graphics(); }

}  // namespace xyla
