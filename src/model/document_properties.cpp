#include "model/document_properties.h"

#include <vector>

#include "model/choice_labels.h"
#include "model/property_row.h"

// GCC 12 takes the variant temporaries of the long initializer lists below for maybe
// uninitialized strings (a false positive of its std::variant code at -O2).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

namespace xyla {

namespace {

using D = XylaDocument;
using Doc = props::Row<DocumentProperty>;
using Axis = props::Row<AxisProperty>;
using Part = props::ScriptPart;
using props::Control;
using props::kDashPatterns;
using G = LoadGroup;

constexpr std::string_view kFrameStyles[] = {"Rectangle", "Cross at the origin", "Left and bottom lines"};
constexpr std::string_view kScales[] = {"Linear", "Logarithmic", "Time"};

// The rows read in the order of Row: name (also the file key), member, built-in value,
// then what differs from a row's defaults (load group Layout, no command, not shown,
// not in the style script).
const std::vector<DocumentProperty>& documents() {
  // clang-format off
  static const std::vector<DocumentProperty> t = {
      Doc("autoupdate", &D::autoupdate, false).group(G::Data).inspect("Data", "Update automatically", Control::Check),
      Doc("updateinterval", &D::updateinterval, 30).group(G::Data).inspect("Data", "Update interval", Control::Integer),
      Doc("rescaleafterupdate", &D::rescaleafterupdate, false).group(G::Data)
          .inspect("Data", "Rescale after update", Control::Check),
      Doc("mtname", &D::mtname, std::string()).group(G::Data).inspect("Data", "Timer macro", Control::Text),
      Doc("mtinterval", &D::mtinterval, 30).group(G::Data).inspect("Data", "Timer interval", Control::Integer),
      Doc("xmin1", &D::xmin1, 0.0).group(G::Range).inspect("Range", "X min 1", Control::Number).setBy("range", "add"),
      Doc("xmax1", &D::xmax1, 1.0).group(G::Range).inspect("Range", "X max 1", Control::Number).setBy("range", "add"),
      Doc("ymin1", &D::ymin1, 0.0).group(G::Range).inspect("Range", "Y min 1", Control::Number).setBy("range", "add"),
      Doc("ymax1", &D::ymax1, 1.0).group(G::Range).inspect("Range", "Y max 1", Control::Number).setBy("range", "add"),
      Doc("xmin2", &D::xmin2, 0.0).group(G::Range).inspect("Range", "X min 2", Control::Number).setBy("range", "add"),
      Doc("xmax2", &D::xmax2, 1.0).group(G::Range).inspect("Range", "X max 2", Control::Number).setBy("range", "add"),
      Doc("ymin2", &D::ymin2, 0.0).group(G::Range).inspect("Range", "Y min 2", Control::Number).setBy("range", "add"),
      Doc("ymax2", &D::ymax2, 1.0).group(G::Range).inspect("Range", "Y max 2", Control::Number).setBy("range", "add"),
      Doc("fit", RecordList::Fit, false).group(G::Fit),
      Doc("f_points", &D::f_points, std::string()).file("fitpoints").group(G::Fit)
          .inspect("Fit", "Points", Control::Text),
      Doc("f_min", &D::f_min, std::string()).file("fitmin").group(G::Fit).inspect("Fit", "From", Control::Text),
      Doc("f_max", &D::f_max, std::string()).file("fitmax").group(G::Fit).inspect("Fit", "To", Control::Text),
      Doc("f_limit", &D::f_limit, 100).file("fitlimit").group(G::Fit)
          .inspect("Fit", "Iteration limit", Control::Integer),
      Doc("f_preview", &D::f_preview, true).file("fitpreview").group(G::Fit).inspect("Fit", "Preview", Control::Check),
      Doc("f_weight", &D::f_weight, false).file("fitweight").group(G::Fit),
      Doc("f_weightbuffer", &D::f_weightbuffer, -1).file("fitweightbuffer").group(G::Fit),
      Doc("winx", &D::winx, 0).group(G::Window),
      Doc("winy", &D::winy, 0).group(G::Window),
      Doc("winw", &D::winw, 0).group(G::Window),
      Doc("winh", &D::winh, 0).group(G::Window),
      Doc("buffer", RecordList::Buffers, false).group(G::Data),
      // The current buffer comes back with the whole document (not with its data alone,
      // which join another document's list).
      Doc("current", &D::current, 0).file("currentbuffer").group(G::Window),
      Doc("text", RecordList::Texts, false).group(G::TG),
      Doc("graphic", RecordList::Graphics, false).group(G::TG),
      Doc("marginleft", &D::marginleft, 80.0)
          .inspect("Layout", "Left margin", Control::Number)
          .setBy("margins", "dddd"),
      Doc("marginright", &D::marginright, 10.0)
          .inspect("Layout", "Right margin", Control::Number)
          .setBy("margins", "dddd"),
      Doc("margintop", &D::margintop, 10.0).inspect("Layout", "Top margin", Control::Number).setBy("margins", "dddd"),
      Doc("marginbottom", &D::marginbottom, 80.0)
          .inspect("Layout", "Bottom margin", Control::Number)
          .setBy("margins", "dddd"),
      Doc("framewidth", &D::framewidth, 2.0)
          .inspect("Frame", "Width", Control::Number)
          .command("framewidth", "d", 1, "width", "Sets the line width of the frame.")
          .script(Part::Main, 8),
      Doc("framecolor", &D::framecolor, Colour::black()).group(G::Colors)
          .inspect("Frame", "Colour", Control::Colour)
          .command("framecolor", "dddd", 3, "red green blue [alpha]", "Sets the colour of the frame.")
          .script(Part::Main, 6, "drawframe"),
      Doc("framestyle", &D::framestyle, 0)
          .inspect("Frame", "Style", Control::Choice, {kFrameStyles})
          .command("framestyle", "i", 1, "style", "Sets the frame style: 0 box, 1 crossing axes, 2 L-shape.",
                   props::choices(2))
          .script(Part::Main, 7),
      Doc("framearrows", &D::framearrows, false)
          .inspect("Frame", "Arrows", Control::Check)
          .command("framearrows", "i", 1, "on", "Puts arrow heads on the frame's axes (1) or not (0).", props::kOnlyOne)
          .script(Part::Main, 9, "framestyle"),
      Doc("forceframe", &D::forceframe, false)
          .inspect("Frame", "Box as well", Control::Check)
          .command("forceframe", "i", 1, "on", "Draws the whole frame even where axes are hidden (1) or not (0).",
                   props::kOnlyOne)
          .script(Part::Main, 12, "framestyle"),
      Doc("drawbackground", &D::drawbackground, true)
          .inspect("Layout", "Background", Control::Check)
          .command("drawbg", "i", 1, "on", "Fills the plot frame with the background colour (1) or not (0).")
          .script(Part::Main, 1),
      Doc("drawmargin", &D::drawmargin, true)
          .inspect("Layout", "Margins", Control::Check)
          .command("drawmargin", "i", 1, "on", "Fills the margins with the margin colour (1) or not (0).")
          .script(Part::Main, 3),
      Doc("drawframe", &D::drawframe, true)
          .inspect("Frame", "Draw frame", Control::Check)
          .command("drawframe", "i", 1, "on", "Draws the frame around the plot (1) or not (0).")
          .script(Part::Main, 5),
      Doc("alldraw", &D::alldraw, false).flags(props::kNotScripted)
          .inspect("Layout", "Draw every point", Control::Check)
          .command("alldraw", "i", 1, "on",
                   "Draws lines, areas and histograms through every point (1) or through about two points per point "
                   "of frame width (0)."),
      Doc("forcerenderhigh", &D::forcerenderhigh, false).inspect("Layout", "High quality", Control::Check),
      Doc("arrowtype", &D::arrowtype, 0)
          .inspect("Frame", "Arrow type", Control::Choice)
          .command("framearrowtype", "i", 1, "type", "Sets the type 0-2 of the frame's arrow heads.", props::choices(2))
          .script(Part::Main, 10, "framestyle", "framearrows"),
      Doc("arrowsize", &D::arrowsize, 10.0)
          .inspect("Frame", "Arrow size", Control::Number)
          .command("framearrowsize", "d", 1, "size", "Sets the size of the frame's arrow heads.")
          .script(Part::Main, 11, "framestyle", "framearrows"),
      Doc("backgroundcolor", &D::backgroundcolor, Colour::white()).group(G::Colors)
          .inspect("Layout", "Background colour", Control::Colour)
          .command("bgcolor", "dddd", 3, "red green blue [alpha]", "Sets the background colour of the plot frame.")
          .script(Part::Main, 2, "drawbackground"),
      Doc("margincolor", &D::margincolor, Colour::white()).group(G::Colors)
          .inspect("Layout", "Margin colour", Control::Colour)
          .command("margincolor", "dddd", 3, "red green blue [alpha]", "Sets the colour of the margins.")
          .script(Part::Main, 4, "drawmargin"),
      Doc("plotlegend", &D::plotlegend, false)
          .inspect("Legend", "Show", Control::Check)
          .command("setlegend", "i", 1, "on", "Shows the legend (1) or not (0)."),
      Doc("legendbg", &D::legendbg, false)
          .inspect("Legend", "Background", Control::Check)
          .command("setlegendbg", "i", 1, "on", "Draws the legend's background (1) or not (0).")
          .script(Part::Legend, 4),
      Doc("legendx", &D::legendx, -1.0).truncated().inspect("Legend", "X", Control::Number).setBy("legendpos", "dd"),
      Doc("legendy", &D::legendy, -1.0).truncated().inspect("Legend", "Y", Control::Number).setBy("legendpos", "dd"),
      Doc("legendwidth", &D::legendwidth, 80.0).truncated()
          .inspect("Legend", "Line length", Control::Number)
          .command("legendlength", "d", 1, "length", "Sets the length of the sample lines in the legend.")
          .script(Part::Legend, 1),
      Doc("legendspace", &D::legendspace, 20.0).truncated()
          .inspect("Legend", "Spacing", Control::Number)
          .command("legendspace", "d", 1, "space", "Sets the space between the rows of the legend.")
          .script(Part::Legend, 2),
      Doc("legendfont", &D::legendfont, FontSpec::system(14.0)).group(G::Fonts)
          .inspect("Legend", "Font", Control::Font)
          .command("legendfont", "sd", 2, "family size", "Sets the font of the legend.")
          .script(Part::Legend, 6, "legendfont"),
      Doc("legendcolor", &D::legendcolor, Colour::black())
          .inspect("Legend", "Text colour", Control::Colour)
          .command("legendcolor", "dddd", 3, "red green blue [alpha]", "Sets the colour of the legend's texts.")
          .script(Part::Legend, 3),
      Doc("legendbgcolor", &D::legendbgcolor, Colour::white())
          .inspect("Legend", "Background colour", Control::Colour)
          .command("legendbgcolor", "dddd", 3, "red green blue [alpha]", "Sets the background colour of the legend.")
          .script(Part::Legend, 5),
      Doc("sharex", &D::sharex, false).inspect("Layout", "Share the X axis of the main plot", Control::Check),
  };
  // clang-format on
  return t;
}

// Per-axis rows; their file keys get the axis number appended. The axis fonts start from
// the user defaults "TextFontName"/"TextFontSize" and "NumFontName"/"NumFontSize".
const std::vector<AxisProperty>& axes() {
  // clang-format off
  static const std::vector<AxisProperty> t = {
      Axis("axis", &D::axis, false).inspect("Axis", "Show", Control::Check).setBy("setaxis", "iiii"),
      Axis("axismode", &D::axismode, 0)
          .inspect("Axis", "Scale", Control::Choice, {kScales})
          .command("aformat", "ai", 2, "axes mode", "Sets the scale of the axes: 0 linear, 1 logarithmic, 2 time.",
                   props::choices(2))
          .script(Part::Axis, 11),
      Axis("axistext", &D::axistext, std::string())
          .inspect("Title", "Title", Control::Text)
          .command("atext", "as", 2, "axes title", "Sets the title of the axes.")
          .script(Part::Axis, 14),
      Axis("axistextcolor", &D::axistextcolor, Colour::black())
          .inspect("Title", "Text colour", Control::Colour)
          .command("atextcolor", "adddd", 4, "axes red green blue [alpha]",
                   "Sets the colour of the axis titles and numbers.")
          .script(Part::Axis, 45),
      Axis("axistimeformat", &D::axistimeformat, std::string())
          .inspect("Scale", "Time format", Control::Text)
          .command("atimeformat", "as", 1, "axes [format]",
                   "Sets the date format of time axes (strftime style, \\n for a line break); empty for automatic.")
          .script(Part::Axis, 5)
          .bareWhenEmpty(),
      Axis("scaleexpr", &D::scaleexpr, std::string())
          .inspect("Scale", "Number expression", Control::Text)
          .command("ascalexpr", "as", 1, "axes [expression]",
                   "Numbers the axes with the expression of the value v instead of the value itself.")
          .script(Part::Axis, 7)
          .bareWhenEmpty(),
      Axis("trigger", &D::trigger, std::string())
          .inspect("Scale", "Trigger", Control::Text)
          .command("atrigger", "as", 1, "axes [text]", "Sets the trigger text of the axes.")
          .script(Part::Axis, 6)
          .bareWhenEmpty(),
      Axis("textfont", &D::textfont, FontSpec::system(18.0)).defaults("TextFont").group(G::Fonts)
          .inspect("Title", "Title font", Control::Font)
          .command("atextfont", "asd", 3, "axes family size", "Sets the font of the axis titles.")
          .script(Part::Axis, 39, "textfont"),
      Axis("numfont", &D::numfont, FontSpec::system(14.0)).defaults("NumFont").group(G::Fonts)
          .inspect("Numbers", "Font", Control::Font)
          .command("anumfont", "asd", 3, "axes family size", "Sets the font of the axis numbers.")
          .script(Part::Axis, 41, "numfont"),
      Axis("tickcolor", &D::tickcolor, Colour::black()).group(G::Colors)
          .inspect("Ticks", "Colour", Control::Colour)
          .command("atickcolor", "adddd", 4, "axes red green blue [alpha]", "Sets the colour of the ticks.")
          .script(Part::Axis, 18),
      Axis("gridcolor", &D::gridcolor, Colour::darkGrey()).group(G::Colors)
          .inspect("Grid", "Colour", Control::Colour)
          .command("agridcolor", "adddd", 4, "axes red green blue [alpha]", "Sets the colour of the grid.")
          .script(Part::Axis, 29),
      Axis("mtickcolor", &D::mtickcolor, Colour::black()).group(G::Colors).since(15)
          .inspect("Ticks", "Minor colour", Control::Colour)
          .command("amintickcolor", "adddd", 4, "axes red green blue [alpha]", "Sets the colour of the minor ticks.")
          .script(Part::Axis, 23),
      Axis("mgridcolor", &D::mgridcolor, Colour::darkGrey()).group(G::Colors).since(15)
          .inspect("Grid", "Minor colour", Control::Colour)
          .command("amingridcolor", "adddd", 4, "axes red green blue [alpha]", "Sets the colour of the minor grid.")
          .script(Part::Axis, 34),
      Axis("zerocolor", &D::zerocolor, Colour::darkGrey()).group(G::Colors).since(15)
          .inspect("Grid", "Zero line colour", Control::Colour)
          .command("azerolinecolor", "adddd", 4, "axes red green blue [alpha]", "Sets the colour of the zero lines.")
          .script(Part::Axis, 38),
      Axis("ticks", &D::ticks, true)
          .inspect("Ticks", "Major", Control::Check)
          .command("asetticks", "ai", 2, "axes on", "Draws the ticks (1) or not (0).")
          .script(Part::Axis, 16),
      Axis("mticks", &D::mticks, true)
          .inspect("Ticks", "Minor", Control::Check)
          .command("asetminticks", "ai", 2, "axes on", "Draws the minor ticks (1) or not (0).")
          .script(Part::Axis, 21),
      Axis("ticksboth", &D::ticksboth, false)
          .inspect("Ticks", "Both sides", Control::Check)
          .command("asetticksbothsides", "ai", 2, "axes on",
                   "Draws the ticks on both sides of the axis line (1) or inside only (0).")
          .script(Part::Axis, 17),
      Axis("mticksboth", &D::mticksboth, false)
          .inspect("Ticks", "Minor both sides", Control::Check)
          .command("asetminticksbothsides", "ai", 2, "axes on",
                   "Draws the minor ticks on both sides of the axis line (1) or inside only (0).")
          .script(Part::Axis, 22),
      Axis("grid", &D::grid, false)
          .inspect("Grid", "Major", Control::Check)
          .command("asetgrid", "ai", 2, "axes on", "Draws grid lines at the ticks (1) or not (0).")
          .script(Part::Axis, 27),
      Axis("mgrid", &D::mgrid, false)
          .inspect("Grid", "Minor", Control::Check)
          .command("asetmingrid", "ai", 2, "axes on", "Draws grid lines at the minor ticks (1) or not (0).")
          .script(Part::Axis, 32),
      Axis("zeroline", &D::zeroline, false)
          .inspect("Grid", "Zero line", Control::Check)
          .command("asetzeroline", "ai", 2, "axes on", "Draws a line at the value 0 across the plot (1) or not (0).")
          .script(Part::Axis, 37),
      Axis("smalllog", &D::smalllog, false)
          .inspect("Scale", "Zero at lowest decade", Control::Check)
          .command("asetsmalllogzero", "ai", 2, "axes on",
                   "Shows values at or below 0 on a logarithmic axis at its small end (1) or not (0).", props::kOnlyOne)
          .script(Part::Axis, 12),
      Axis("reverse", &D::reverse, false)
          .inspect("Scale", "Reverse", Control::Check)
          .command("asetreverse", "ai", 2, "axes on", "Runs the axes from the large to the small value (1) or not (0).",
                   props::kOnlyOne)
          .script(Part::Axis, 13),
      Axis("fliptext", &D::fliptext, false)
          .inspect("Title", "Flip title", Control::Check)
          .command("asetfliptext", "ai", 2, "axes on",
                   "Turns the titles of the axes the other way round (1) or not (0).")
          .script(Part::Axis, 15),
      Axis("ticklength", &D::ticklength, 10.0)
          .inspect("Ticks", "Length", Control::Number)
          .command("aticklength", "ad", 2, "axes length", "Sets the length of the ticks in points.",
                   props::kNotNegative)
          .script(Part::Axis, 19),
      Axis("tickwidth", &D::tickwidth, 2.0)
          .inspect("Ticks", "Width", Control::Number)
          .command("atickwidth", "ad", 2, "axes width", "Sets the line width of the ticks.", props::kNotNegative)
          .script(Part::Axis, 20),
      Axis("gridwidth", &D::gridwidth, 0.5)
          .inspect("Grid", "Width", Control::Number)
          .command("agridwidth", "ad", 2, "axes width", "Sets the line width of the grid.", props::kNotNegative)
          .script(Part::Axis, 30),
      Axis("mticklength", &D::mticklength, 5.0).since(15)
          .inspect("Ticks", "Minor length", Control::Number)
          .command("aminticklength", "ad", 2, "axes length", "Sets the length of the minor ticks in points.",
                   props::kNotNegative)
          .script(Part::Axis, 24),
      Axis("mtickwidth", &D::mtickwidth, 1.0).since(15)
          .inspect("Ticks", "Minor width", Control::Number)
          .command("amintickwidth", "ad", 2, "axes width", "Sets the line width of the minor ticks.",
                   props::kNotNegative)
          .script(Part::Axis, 25),
      Axis("mgridwidth", &D::mgridwidth, 0.5).since(15)
          .inspect("Grid", "Minor width", Control::Number)
          .command("amingridwidth", "ad", 2, "axes width", "Sets the line width of the minor grid.",
                   props::kNotNegative)
          .script(Part::Axis, 35),
      Axis("scalstart", &D::scalstart, std::string()).since(15)
          .inspect("Scale", "Start", Control::Text)
          .command("ascalstart", "ad", 1, "axes [value]",
                   "Sets where the ticks of the axes start; without a value, automatic.")
          .script(Part::Axis, 1)
          .bareWhenEmpty(),
      Axis("scalend", &D::scalend, std::string()).since(15)
          .inspect("Scale", "End", Control::Text)
          .command("ascalend", "ad", 1, "axes [value]",
                   "Sets where the ticks of the axes end; without a value, automatic.")
          .script(Part::Axis, 2)
          .bareWhenEmpty(),
      Axis("scalspace", &D::scalspace, std::string()).since(15)
          .inspect("Scale", "Tick distance", Control::Text)
          .command("atickdist", "as", 1, "axes [distance]",
                   "Sets the distance of the ticks (a number or a time step); empty for automatic.")
          .script(Part::Axis, 3)
          .bareWhenEmpty(),
      Axis("scalminticks", &D::scalminticks, std::string()).since(15)
          .inspect("Scale", "Minor steps", Control::Text)
          .command("aminsteps", "ai", 1, "axes [count]",
                   "Sets the number of minor ticks per tick; without a count, automatic.")
          .script(Part::Axis, 4)
          .bareWhenEmpty(),
      Axis("numoff", &D::numoff, static_cast<signed char>(5)).since(15)
          .inspect("Numbers", "Offset", Control::Integer)
          .command("anumoffset", "ad", 2, "axes offset",
                   "Moves the axis numbers away from the axis by the offset in points.")
          .script(Part::Axis, 42),
      Axis("textoff", &D::textoff, static_cast<signed char>(5)).since(15)
          .inspect("Title", "Title offset", Control::Integer)
          .command("atextoffset", "ad", 2, "axes offset",
                   "Moves the axis titles away from the axis by the offset in points.")
          .script(Part::Axis, 40),
      Axis("tickstyle", &D::tickstyle, 0).since(15)
          .inspect("Ticks", "Style", Control::Choice)
          .command("atickstyle", "ai", 2, "axes style", "Sets the tick style 0-2 of the axes.", props::choices(2))
          .script(Part::Axis, 26),
      Axis("expoff", &D::expoff, 5).since(15)
          .inspect("Numbers", "Exponent from", Control::Integer)
          .command("aexpoffset", "ai", 2, "axes digits",
                   "Writes numbers beyond 10^digits (or below 10^-digits) with an exponent.",
                   props::choices(2147483647))
          .script(Part::Axis, 10),
      Axis("text", &D::text, true).since(15)
          .inspect("Title", "Show title", Control::Check)
          .command("asettext", "ai", 2, "axes on", "Shows the titles of the axes (1) or not (0).")
          .script(Part::Axis, 46),
      Axis("numbers", &D::numbers, true).since(15)
          .inspect("Numbers", "Show", Control::Check)
          .command("asetnum", "ai", 2, "axes on", "Shows the numbers of the axes (1) or not (0).")
          .script(Part::Axis, 47),
      Axis("dp", &D::dp, 2).since(15)
          .inspect("Numbers", "Decimals", Control::Integer)
          .command("adecplaces", "ai", 2, "axes places", "Sets the decimal places 0-12 of the axis numbers.",
                   props::choices(12))
          .script(Part::Axis, 9),
      Axis("dpauto", &D::dpauto, true).since(15)
          .inspect("Numbers", "Automatic decimals", Control::Check)
          .command("adecplacesauto", "ai", 2, "axes on",
                   "Chooses the decimal places of the axis numbers automatically (1) or not (0).", props::kOnlyOne)
          .script(Part::Axis, 8),
      Axis("alabel", &D::alabel, props::StringMap()).since(15)
          .inspect("Numbers", "Labels", Control::Text)
          .setBy("alabel", "ass"),
      Axis("gridfront", &D::gridfront, true).since(25)
          .inspect("Grid", "In front", Control::Check)
          .command("agridfront", "ai", 2, "axes on", "Draws the grid in front of the data (1) or behind (0).")
          .script(Part::Axis, 28),
      Axis("mgridfront", &D::mgridfront, true).since(25)
          .inspect("Grid", "Minor in front", Control::Check)
          .command("amingridfront", "ai", 2, "axes on", "Draws the minor grid in front of the data (1) or behind (0).")
          .script(Part::Axis, 33),
      Axis("gridpattern", &D::gridpattern, 0).since(25)
          .inspect("Grid", "Pattern", Control::Choice, {kDashPatterns})
          .command("agridpattern", "ai", 2, "axes pattern", "Sets the dash pattern 0-15 of the grid.",
                   props::choices(15))
          .script(Part::Axis, 31),
      Axis("mgridpattern", &D::mgridpattern, 0).since(25)
          .inspect("Grid", "Minor pattern", Control::Choice, {kDashPatterns})
          .command("amingridpattern", "ai", 2, "axes pattern", "Sets the dash pattern 0-15 of the minor grid.",
                   props::choices(15))
          .script(Part::Axis, 36),
      Axis("align", &D::align, 0).since(26)
          .inspect("Numbers", "Alignment", Control::Choice)
          .command("anumalign", "ai", 2, "axes alignment", "Sets the alignment 0-8 of the axis numbers.",
                   props::choices(8))
          .script(Part::Axis, 43),
      Axis("angle", &D::angle, 0.0).since(26)
          .inspect("Numbers", "Angle", Control::Number)
          .command("anumangle", "ad", 2, "axes angle", "Turns the axis numbers by the angle (0-360 degrees).",
                   props::Range{0, 360})
          .script(Part::Axis, 44),
  };
  // clang-format on
  return t;
}

}  // namespace

std::span<const DocumentProperty> documentProperties() { return documents(); }
std::span<const AxisProperty> axisProperties() { return axes(); }

}  // namespace xyla
