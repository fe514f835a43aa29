#include "model/document_properties.h"

#include <vector>

// GCC 12 takes the variant temporaries of the long initializer lists below for maybe
// uninitialized strings (a false positive of its std::variant code at -O2).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

namespace xyla {

namespace {

using D = XylaDocument;
using props::Control;
using G = LoadGroup;

// An entry of either table: name (also its file key), member, built-in value, command,
// arguments, inspector place and load group.
template <typename P>
P entry(std::string_view name, decltype(P::member) member, props::Value initial, std::string_view command,
        std::string_view arguments, props::Inspector inspector, G group) {
  P p;
  p.name = name;
  p.member = member;
  p.initial = std::move(initial);
  p.archiveKey = name;
  p.command = command;
  p.arguments = arguments;
  p.inspector = inspector;
  p.group = group;
  return p;
}

// A document field; `truncated` numbers are stored as integers.
DocumentProperty field(std::string_view name, DocumentSlot member, props::Value initial, std::string_view command,
                       std::string_view arguments, props::Inspector inspector, G group, bool truncated = false) {
  DocumentProperty p = entry<DocumentProperty>(name, member, std::move(initial), command, arguments, inspector, group);
  p.truncated = truncated;
  return p;
}

// A record list of the document, stored under `key`.
DocumentProperty list(std::string_view key, RecordList which, G group) {
  return field(key, which, false, "", "", {}, group);
}

const std::vector<DocumentProperty>& documents() {
  static const std::vector<DocumentProperty> t = [] {
    // clang-format off
    std::vector<DocumentProperty> v = {
        field("autoupdate", &D::autoupdate, false, "", "", {"Data", "Update automatically", Control::Check}, G::Data),
        field("updateinterval", &D::updateinterval, 30, "", "", {"Data", "Update interval", Control::Integer},
              G::Data),
        field("rescaleafterupdate", &D::rescaleafterupdate, false, "", "",
              {"Data", "Rescale after update", Control::Check}, G::Data),
        field("mtname", &D::mtname, std::string(), "", "", {"Data", "Timer macro", Control::Text}, G::Data),
        field("mtinterval", &D::mtinterval, 30, "", "", {"Data", "Timer interval", Control::Integer}, G::Data),
        field("xmin1", &D::xmin1, 0.0, "range", "add", {"Range", "X min 1", Control::Number}, G::Range),
        field("xmax1", &D::xmax1, 1.0, "range", "add", {"Range", "X max 1", Control::Number}, G::Range),
        field("ymin1", &D::ymin1, 0.0, "range", "add", {"Range", "Y min 1", Control::Number}, G::Range),
        field("ymax1", &D::ymax1, 1.0, "range", "add", {"Range", "Y max 1", Control::Number}, G::Range),
        field("xmin2", &D::xmin2, 0.0, "range", "add", {"Range", "X min 2", Control::Number}, G::Range),
        field("xmax2", &D::xmax2, 1.0, "range", "add", {"Range", "X max 2", Control::Number}, G::Range),
        field("ymin2", &D::ymin2, 0.0, "range", "add", {"Range", "Y min 2", Control::Number}, G::Range),
        field("ymax2", &D::ymax2, 1.0, "range", "add", {"Range", "Y max 2", Control::Number}, G::Range),
        list("fit", RecordList::Fit, G::Fit),
        field("f_points", &D::f_points, std::string(), "", "", {"Fit", "Points", Control::Text}, G::Fit),
        field("f_min", &D::f_min, std::string(), "", "", {"Fit", "From", Control::Text}, G::Fit),
        field("f_max", &D::f_max, std::string(), "", "", {"Fit", "To", Control::Text}, G::Fit),
        field("f_limit", &D::f_limit, 100, "", "", {"Fit", "Iteration limit", Control::Integer}, G::Fit),
        field("f_preview", &D::f_preview, true, "", "", {"Fit", "Preview", Control::Check}, G::Fit),
        field("winx", &D::winx, 0, "", "", {}, G::Window),
        field("winy", &D::winy, 0, "", "", {}, G::Window),
        field("winw", &D::winw, 0, "", "", {}, G::Window),
        field("winh", &D::winh, 0, "", "", {}, G::Window),
        list("buffer", RecordList::Buffers, G::Data),
        list("text", RecordList::Texts, G::TG),
        list("graphic", RecordList::Graphics, G::TG),
        field("marginleft", &D::marginleft, 80.0, "margins", "dddd", {"Layout", "Left margin", Control::Number},
              G::Layout),
        field("marginright", &D::marginright, 10.0, "margins", "dddd", {"Layout", "Right margin", Control::Number},
              G::Layout),
        field("margintop", &D::margintop, 10.0, "margins", "dddd", {"Layout", "Top margin", Control::Number},
              G::Layout),
        field("marginbottom", &D::marginbottom, 80.0, "margins", "dddd",
              {"Layout", "Bottom margin", Control::Number}, G::Layout),
        field("framewidth", &D::framewidth, 2.0, "framewidth", "d", {"Frame", "Width", Control::Number}, G::Layout),
        field("framecolor", &D::framecolor, Colour::black(), "framecolor", "dddd", {"Frame", "Colour", Control::Colour},
              G::Colors),
        field("framestyle", &D::framestyle, 0, "framestyle", "i", {"Frame", "Style", Control::Choice}, G::Layout),
        field("framearrows", &D::framearrows, false, "framearrows", "i", {"Frame", "Arrows", Control::Check},
              G::Layout),
        field("forceframe", &D::forceframe, false, "forceframe", "i", {"Frame", "Box as well", Control::Check},
              G::Layout),
        field("drawbackground", &D::drawbackground, true, "drawbg", "i", {"Layout", "Background", Control::Check},
              G::Layout),
        field("drawmargin", &D::drawmargin, true, "drawmargin", "i", {"Layout", "Margins", Control::Check}, G::Layout),
        field("drawframe", &D::drawframe, true, "drawframe", "i", {"Frame", "Draw frame", Control::Check}, G::Layout),
        field("alldraw", &D::alldraw, false, "", "", {"Layout", "Draw every point", Control::Check}, G::Layout),
        field("forcerenderhigh", &D::forcerenderhigh, false, "", "", {"Layout", "High quality", Control::Check},
              G::Layout),
        field("arrowtype", &D::arrowtype, 0, "framearrowtype", "i", {"Frame", "Arrow type", Control::Choice},
              G::Layout),
        field("arrowsize", &D::arrowsize, 10.0, "framearrowsize", "d", {"Frame", "Arrow size", Control::Number},
              G::Layout),
        field("backgroundcolor", &D::backgroundcolor, Colour::white(), "bgcolor", "dddd",
              {"Layout", "Background colour", Control::Colour}, G::Colors),
        field("margincolor", &D::margincolor, Colour::white(), "margincolor", "dddd",
              {"Layout", "Margin colour", Control::Colour}, G::Colors),
        field("plotlegend", &D::plotlegend, false, "setlegend", "i", {"Legend", "Show", Control::Check}, G::Layout),
        field("legendbg", &D::legendbg, false, "setlegendbg", "i", {"Legend", "Background", Control::Check},
              G::Layout),
        field("legendx", &D::legendx, -1.0, "legendpos", "dd", {"Legend", "X", Control::Number}, G::Layout, true),
        field("legendy", &D::legendy, -1.0, "legendpos", "dd", {"Legend", "Y", Control::Number}, G::Layout, true),
        field("legendwidth", &D::legendwidth, 80.0, "legendlength", "d", {"Legend", "Line length", Control::Number},
              G::Layout, true),
        field("legendspace", &D::legendspace, 20.0, "legendspace", "d", {"Legend", "Spacing", Control::Number},
              G::Layout, true),
        field("legendfont", &D::legendfont, FontSpec::system(14.0), "legendfont", "sd", {"Legend", "Font", Control::Font},
              G::Fonts),
        field("legendcolor", &D::legendcolor, Colour::black(), "legendcolor", "dddd",
              {"Legend", "Text colour", Control::Colour}, G::Layout),
        field("legendbgcolor", &D::legendbgcolor, Colour::white(), "legendbgcolor", "dddd",
              {"Legend", "Background colour", Control::Colour}, G::Layout),
    };
    // clang-format on
    // The file keys of the fit settings differ from the member names.
    for (auto& [member, key] :
         {std::pair{"f_points", "fitpoints"}, std::pair{"f_min", "fitmin"}, std::pair{"f_max", "fitmax"},
          std::pair{"f_limit", "fitlimit"}, std::pair{"f_preview", "fitpreview"}})
      for (DocumentProperty& p : v)
        if (p.name == member) p.archiveKey = key;
    return v;
  }();
  return t;
}

// A per-axis field (its file key gets the axis number appended), read from files of
// version `fromVerno` on.
AxisProperty axis(std::string_view name, AxisSlot member, props::Value initial, std::string_view command,
                  std::string_view arguments, props::Inspector inspector, G group = G::Layout, int fromVerno = 0) {
  AxisProperty p = entry<AxisProperty>(name, member, std::move(initial), command, arguments, inspector, group);
  p.fromVerno = fromVerno;
  return p;
}

const std::vector<AxisProperty>& axes() {
  static const std::vector<AxisProperty> t = [] {
    // clang-format off
    std::vector<AxisProperty> v = {
        axis("axis", &D::axis, false, "setaxis", "iiii", {"Axis", "Show", Control::Check}),
        axis("axismode", &D::axismode, 0, "aformat", "ai", {"Axis", "Scale", Control::Choice}),
        axis("axistext", &D::axistext, std::string(), "atext", "as", {"Axis", "Title", Control::Text}),
        axis("axistextcolor", &D::axistextcolor, Colour::black(), "atextcolor", "adddd",
             {"Axis", "Text colour", Control::Colour}),
        axis("axistimeformat", &D::axistimeformat, std::string(), "atimeformat", "as",
             {"Scale", "Time format", Control::Text}),
        axis("scaleexpr", &D::scaleexpr, std::string(), "ascalexpr", "as", {"Scale", "Number expression", Control::Text}),
        axis("trigger", &D::trigger, std::string(), "atrigger", "as", {"Scale", "Trigger", Control::Text}),
        axis("textfont", &D::textfont, FontSpec::system(18.0), "atextfont", "asd", {"Axis", "Title font", Control::Font},
             G::Fonts),
        axis("numfont", &D::numfont, FontSpec::system(14.0), "anumfont", "asd", {"Numbers", "Font", Control::Font},
             G::Fonts),
        axis("tickcolor", &D::tickcolor, Colour::black(), "atickcolor", "adddd", {"Ticks", "Colour", Control::Colour},
             G::Colors),
        axis("gridcolor", &D::gridcolor, Colour::darkGrey(), "agridcolor", "adddd", {"Grid", "Colour", Control::Colour},
             G::Colors),
        axis("mtickcolor", &D::mtickcolor, Colour::black(), "amintickcolor", "adddd",
             {"Ticks", "Minor colour", Control::Colour}, G::Colors, 15),
        axis("mgridcolor", &D::mgridcolor, Colour::darkGrey(), "amingridcolor", "adddd",
             {"Grid", "Minor colour", Control::Colour}, G::Colors, 15),
        axis("zerocolor", &D::zerocolor, Colour::darkGrey(), "azerolinecolor", "adddd",
             {"Grid", "Zero line colour", Control::Colour}, G::Colors, 15),
        axis("ticks", &D::ticks, true, "asetticks", "ai", {"Ticks", "Major", Control::Check}),
        axis("mticks", &D::mticks, true, "asetminticks", "ai", {"Ticks", "Minor", Control::Check}),
        axis("ticksboth", &D::ticksboth, false, "asetticksbothsides", "ai", {"Ticks", "Both sides", Control::Check}),
        axis("mticksboth", &D::mticksboth, false, "asetminticksbothsides", "ai",
             {"Ticks", "Minor both sides", Control::Check}),
        axis("grid", &D::grid, false, "asetgrid", "ai", {"Grid", "Major", Control::Check}),
        axis("mgrid", &D::mgrid, false, "asetmingrid", "ai", {"Grid", "Minor", Control::Check}),
        axis("zeroline", &D::zeroline, false, "asetzeroline", "ai", {"Grid", "Zero line", Control::Check}),
        axis("smalllog", &D::smalllog, false, "asetsmalllogzero", "ai", {"Scale", "Zero at lowest decade", Control::Check}),
        axis("reverse", &D::reverse, false, "asetreverse", "ai", {"Scale", "Reverse", Control::Check}),
        axis("fliptext", &D::fliptext, false, "asetfliptext", "ai", {"Axis", "Flip title", Control::Check}),
        axis("ticklength", &D::ticklength, 10.0, "aticklength", "ad", {"Ticks", "Length", Control::Number}),
        axis("tickwidth", &D::tickwidth, 2.0, "atickwidth", "ad", {"Ticks", "Width", Control::Number}),
        axis("gridwidth", &D::gridwidth, 0.5, "agridwidth", "ad", {"Grid", "Width", Control::Number}),
        axis("mticklength", &D::mticklength, 5.0, "aminticklength", "ad", {"Ticks", "Minor length", Control::Number},
             G::Layout, 15),
        axis("mtickwidth", &D::mtickwidth, 1.0, "amintickwidth", "ad", {"Ticks", "Minor width", Control::Number},
             G::Layout, 15),
        axis("mgridwidth", &D::mgridwidth, 0.5, "amingridwidth", "ad", {"Grid", "Minor width", Control::Number},
             G::Layout, 15),
        axis("scalstart", &D::scalstart, std::string(), "ascalstart", "ad", {"Scale", "Start", Control::Text},
             G::Layout, 15),
        axis("scalend", &D::scalend, std::string(), "ascalend", "ad", {"Scale", "End", Control::Text}, G::Layout, 15),
        axis("scalspace", &D::scalspace, std::string(), "atickdist", "as", {"Scale", "Tick distance", Control::Text},
             G::Layout, 15),
        axis("scalminticks", &D::scalminticks, std::string(), "aminsteps", "ai",
             {"Scale", "Minor steps", Control::Text}, G::Layout, 15),
        axis("numoff", &D::numoff, static_cast<signed char>(5), "anumoffset", "ad",
             {"Numbers", "Offset", Control::Integer}, G::Layout, 15),
        axis("textoff", &D::textoff, static_cast<signed char>(5), "atextoffset", "ad",
             {"Axis", "Title offset", Control::Integer}, G::Layout, 15),
        axis("tickstyle", &D::tickstyle, 0, "atickstyle", "ai", {"Ticks", "Style", Control::Choice}, G::Layout, 15),
        axis("expoff", &D::expoff, 5, "aexpoffset", "ai", {"Numbers", "Exponent from", Control::Integer}, G::Layout,
             15),
        axis("text", &D::text, true, "asettext", "ai", {"Axis", "Show title", Control::Check}, G::Layout, 15),
        axis("numbers", &D::numbers, true, "asetnum", "ai", {"Numbers", "Show", Control::Check}, G::Layout, 15),
        axis("dp", &D::dp, 2, "adecplaces", "ai", {"Numbers", "Decimals", Control::Integer}, G::Layout, 15),
        axis("dpauto", &D::dpauto, true, "adecplacesauto", "ai", {"Numbers", "Automatic decimals", Control::Check},
             G::Layout, 15),
        axis("alabel", &D::alabel, props::StringMap(), "alabel", "ass", {"Numbers", "Labels", Control::Text},
             G::Layout, 15),
        axis("gridfront", &D::gridfront, true, "agridfront", "ai", {"Grid", "In front", Control::Check}, G::Layout,
             25),
        axis("mgridfront", &D::mgridfront, true, "amingridfront", "ai", {"Grid", "Minor in front", Control::Check},
             G::Layout, 25),
        axis("gridpattern", &D::gridpattern, 0, "agridpattern", "ai", {"Grid", "Pattern", Control::Choice}, G::Layout,
             25),
        axis("mgridpattern", &D::mgridpattern, 0, "amingridpattern", "ai", {"Grid", "Minor pattern", Control::Choice},
             G::Layout, 25),
        axis("align", &D::align, 0, "anumalign", "ai", {"Numbers", "Alignment", Control::Choice}, G::Layout, 26),
        axis("angle", &D::angle, 0.0, "anumangle", "ad", {"Numbers", "Angle", Control::Number}, G::Layout, 26),
    };
    // clang-format on
    // The axis fonts start from the user defaults "TextFontName"/"TextFontSize" and
    // "NumFontName"/"NumFontSize".
    for (AxisProperty& p : v) {
      if (p.name == "textfont") p.defaultsKey = "TextFont";
      if (p.name == "numfont") p.defaultsKey = "NumFont";
    }
    return v;
  }();
  return t;
}

}  // namespace

std::span<const DocumentProperty> documentProperties() { return documents(); }
std::span<const AxisProperty> axisProperties() { return axes(); }

}  // namespace xyla
