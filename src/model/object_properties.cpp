#include "model/object_properties.h"

#include <vector>

#include "model/choice_labels.h"
#include "model/property_row.h"

namespace xyla {

namespace {

using T = TextObject;
using G = Graphic;
using Text = props::Row<TextProperty>;
using Gfx = props::Row<GraphicProperty>;
using props::Control;
using props::kDashPatterns;
using props::kPlaces;
using props::Nested;

constexpr std::string_view kLineAlignments[] = {"Left", "Centred", "Right"};
constexpr std::string_view kAnchors[] = {"Top left",     "Top centre",  "Top right",     "Middle left", "Centre",
                                         "Middle right", "Bottom left", "Bottom centre", "Bottom right"};
constexpr std::string_view kShapes[] = {"Line", "Rectangle", "Ellipse"};
constexpr std::string_view kLayers[] = {"In front of the plot", "Behind the plot"};

// The text, frame and colour keys are those of the text-view class the file format
// stores a text as. The commands that set these fields set several at once and are
// described where they are registered.
const std::vector<TextProperty>& texts() {
  // clang-format off
  static const std::vector<TextProperty> t = {
      Text("text", &T::text, std::string()).file("NSString")
          .inspect("Text", "Text", Control::Text)
          .setBy("text", "iddsdsddddiidddd"),
      Text("font", &T::font, FontSpec::system(14.0)).file("NSFont")
          .inspect("Text", "Font", Control::Font)
          .setBy("text"),
      Text("color", &T::color, Colour::black()).file("NSTextColor")
          .inspect("Text", "Colour", Control::Colour)
          .setBy("text"),
      Text("backgroundcolor", &T::backgroundcolor, Colour::white()).file("NSBackgroundColor")
          .inspect("Text", "Background", Control::Colour),
      Text("drawsbackground", &T::drawsbackground, false).file("NSDrawsBackground")
          .inspect("Text", "Draw background", Control::Check),
      Text("textalign", &T::textalign, 0).file("NSAlignment")
          .inspect("Text", "Line alignment", Control::Choice, {kLineAlignments}),
      Text("frame.x", Nested<T, ViewRect>{&T::frame, &ViewRect::x}, 0.0).file("NSFrame.x"),
      Text("frame.y", Nested<T, ViewRect>{&T::frame, &ViewRect::y}, 0.0).file("NSFrame.y"),
      Text("frame.width", Nested<T, ViewRect>{&T::frame, &ViewRect::width}, 0.0).file("NSFrame.width"),
      Text("frame.height", Nested<T, ViewRect>{&T::frame, &ViewRect::height}, 0.0).file("NSFrame.height"),
      Text("tag", &T::tag, 0),
      Text("x", &T::x, 0.0).inspect("Place", "X", Control::Number).setBy("ftext"),
      Text("y", &T::y, 0.0).inspect("Place", "Y", Control::Number).setBy("ftext"),
      Text("posmode", &T::posmode, 0).inspect("Place", "Coordinates", Control::Choice, {kPlaces}).setBy("ftext"),
      Text("tbalign", &T::tbalign, 0).inspect("Place", "Anchor", Control::Choice, {kAnchors}).setBy("ftext"),
      Text("tloc.x", Nested<T, ViewPoint>{&T::tloc, &ViewPoint::x}, 0.0),
      Text("tloc.y", Nested<T, ViewPoint>{&T::tloc, &ViewPoint::y}, 0.0),
      Text("dloc.x", Nested<T, ViewPoint>{&T::dloc, &ViewPoint::x}, 0.0),
      Text("dloc.y", Nested<T, ViewPoint>{&T::dloc, &ViewPoint::y}, 0.0),
      Text("angle", &T::angle, 0.0).inspect("Place", "Angle", Control::Number).setBy("text"),
      Text("autoposoffset", &T::autoposoffset, 0.0).inspect("Place", "Distance", Control::Number).setBy("qtext"),
      Text("autoposloc", &T::autoposloc, 0).inspect("Place", "Automatic place", Control::Choice).setBy("qtext"),
      Text("autoposangle", &T::autoposangle, 0).inspect("Place", "Turn", Control::Choice).setBy("qtext"),
      Text("autopos", &T::autopos, false).inspect("Place", "Place automatically", Control::Check).setBy("qtext"),
  };
  // clang-format on
  return t;
}

const std::vector<GraphicProperty>& graphics() {
  // clang-format off
  static const std::vector<GraphicProperty> t = {
      Gfx("tag", &G::tag, 0),
      Gfx("type", &G::type, int(G::Line))
          .inspect("Graphic", "Shape", Control::Choice, {kShapes})
          .setBy("line", "iidddddiddd"),
      Gfx("x1", &G::x1, 0.0).inspect("Graphic", "X1", Control::Number).setBy("line"),
      Gfx("y1", &G::y1, 0.0).inspect("Graphic", "Y1", Control::Number).setBy("line"),
      Gfx("x2", &G::x2, 0.0).inspect("Graphic", "X2", Control::Number).setBy("line"),
      Gfx("y2", &G::y2, 0.0).inspect("Graphic", "Y2", Control::Number).setBy("line"),
      Gfx("linewidth", &G::linewidth, 2.0).inspect("Graphic", "Line width", Control::Number).setBy("line"),
      Gfx("arrow1", &G::arrow1, false)
          .inspect("Arrow", "Head at start", Control::Check)
          .setBy("arrow", "iiddddiiiddiddd"),
      Gfx("arrow2", &G::arrow2, false).inspect("Arrow", "Head at end", Control::Check).setBy("arrow"),
      Gfx("aspect", &G::aspect, true).inspect("Graphic", "Keep picture aspect", Control::Check),
      Gfx("dashp", &G::dashp, 0).file("dash")
          .inspect("Graphic", "Pattern", Control::Choice, {kDashPatterns})
          .setBy("line"),
      Gfx("color", &G::color, Colour::black()).inspect("Graphic", "Colour", Control::Colour).setBy("line"),
      Gfx("fillcolor", &G::fillcolor, Colour::white())
          .inspect("Graphic", "Fill colour", Control::Colour)
          .setBy("frect", "iidddddidddddd"),
      Gfx("fill", &G::fill, false).inspect("Graphic", "Filled", Control::Check).setBy("frect"),
      Gfx("arrowsize", &G::arrowsize, 12.0).inspect("Arrow", "Head size", Control::Number).setBy("arrow"),
      Gfx("arrowtype", &G::arrowtype, 0).inspect("Arrow", "Head", Control::Choice).setBy("arrow"),
      Gfx("display", &G::display, 0).inspect("Graphic", "Drawn", Control::Choice, {kLayers}).setBy("line"),
      Gfx("posmode", &G::posmode, 0).inspect("Graphic", "Coordinates", Control::Choice, {kPlaces}).setBy("line"),
  };
  // clang-format on
  return t;
}

}  // namespace

std::span<const TextProperty> textProperties() { return texts(); }
std::span<const GraphicProperty> graphicProperties() { return graphics(); }

}  // namespace xyla
