#include "model/buffer_properties.h"

#include <vector>

#include "model/choice_labels.h"
#include "model/property_row.h"

namespace xyla {

namespace {

using B = DataBuffer;
using Buf = props::Row<BufferProperty>;
using Part = props::ScriptPart;
using props::Control;
using props::kAbsentResets;
using props::kCopied;
using props::kDashPatterns;
using props::kPlotFlag;
using props::kSavedDefault;
using props::kStyle;

// A style field: copied by copyStyle and copyWithZone.
constexpr unsigned kStyleCopy = kStyle | kCopied;
// A style field whose user default "save as default style" writes.
constexpr unsigned kDefaultStyle = kStyleCopy | kSavedDefault;
constexpr unsigned kPlot = kDefaultStyle | kPlotFlag;

constexpr std::string_view kRangeNumbers[] = {"Range 1", "Range 2"};
constexpr std::string_view kErrorModes[] = {"None", "Constant", "Percent of value", "Errors of the points"};

const std::vector<BufferProperty>& table() {
  // clang-format off
  static const std::vector<BufferProperty> t = {
      Buf("source", &B::source, std::string()).flags(kCopied | kAbsentResets).inspect("Data", "Source", Control::Text),
      Buf("comment", &B::comment, std::string()).flags(kCopied | kAbsentResets)
          .inspect("Data", "Comment", Control::Text),
      Buf("dynsize", &B::dynsize, std::string()).defaults("BDynSize").flags(kCopied | kSavedDefault | kAbsentResets)
          .inspect("Symbols", "Size expression", Control::Text)
          .command("bdynsize", "bs", 1, "buffers [expression]",
                   "Sizes each symbol by the expression of the point (x, y, ...); empty for a fixed size.")
          .script(Part::Buffer, 23, "dynsize"),
      Buf("havexminmax", &B::havexminmax, false),
      Buf("haveyminmax", &B::haveyminmax, false),
      Buf("show", &B::show, true).flags(kCopied).inspect("Data", "Show", Control::Check),
      Buf("belongx", &B::belongx, 1).flags(kCopied).inspect("Data", "X range", Control::Choice, {kRangeNumbers, 1}),
      Buf("belongy", &B::belongy, 1).flags(kCopied).inspect("Data", "Y range", Control::Choice, {kRangeNumbers, 1}),
      Buf("color", &B::color, Colour::black()).defaults("BColor").flags(kDefaultStyle | kAbsentResets)
          .inspect("Lines", "Colour", Control::Colour)
          .command("bcolor", "dddbd", 4, "red green blue buffers [alpha]",
                   "Sets the line and symbol colour of the buffers (components 0-1, hue/saturation/brightness after "
                   "colormode 1).")
          .script(Part::Buffer, 11),
      Buf("fillcolor", &B::fillcolor, Colour::lightGrey()).defaults("BFillColor").flags(kDefaultStyle | kAbsentResets)
          .inspect("Fills", "Fill colour", Control::Colour)
          .command("bfillcolor", "dddbd", 4, "red green blue buffers [alpha]", "Sets the fill colour of the buffers.")
          .script(Part::Buffer, 12),
      Buf("barcolor", &B::barcolor, Colour::black()).defaults("BBarColor").flags(kStyleCopy | kAbsentResets)
          .inspect("Bars", "Bar colour", Control::Colour)
          .command("bframecolor", "dddbd", 4, "red green blue buffers [alpha]",
                   "Sets the outline colour of the bars of the buffers.")
          .script(Part::Buffer, 13),
      Buf("stickcolor", &B::stickcolor, Colour::black()).defaults("BStickColor").flags(kDefaultStyle | kAbsentResets)
          .inspect("Sticks", "Stick colour", Control::Colour)
          .command("bstickcolor", "dddbd", 4, "red green blue buffers [alpha]", "Sets the stick colour of the buffers.")
          .script(Part::Buffer, 14),
      Buf("errorcolor", &B::errorcolor, Colour::black()).defaults("BErrorColor").flags(kDefaultStyle | kAbsentResets)
          .inspect("Errors", "Error colour", Control::Colour)
          .command("berrorcolor", "dddbd", 4, "red green blue buffers [alpha]",
                   "Sets the colour of the error bars of the buffers.")
          .script(Part::Buffer, 29),
      Buf("linewidth", &B::linewidth, 1.0).defaults("BLineWidth").flags(kDefaultStyle)
          .inspect("Lines", "Line width", Control::Number)
          .command("blinewidth", "db", 2, "width buffers", "Sets the line width of the buffers in points.")
          .script(Part::Buffer, 15),
      Buf("dash", &B::dash, 0).defaults("BDash").flags(kDefaultStyle)
          .inspect("Lines", "Pattern", Control::Choice, {kDashPatterns})
          .command("blinepattern", "ib", 2, "pattern buffers",
                   "Sets the dash pattern 0-15 of the buffers' lines (0 solid).", props::choices(15))
          .script(Part::Buffer, 16),
      Buf("symbol", &B::symbol, 0).defaults("BSymbol").flags(kDefaultStyle)
          .inspect("Symbols", "Symbol", Control::Choice)
          .command("bsymbol", "ib", 2, "symbol buffers", "Sets the symbol 0-15 of the buffers.", props::choices(15))
          .script(Part::Buffer, 18),
      Buf("dashwidth", &B::dashwidth, 0.0).defaults("BDashWidth").flags(kDefaultStyle)
          .inspect("Lines", "Pattern width", Control::Number)
          .command("bpatternwidth", "db", 2, "width buffers",
                   "Sets the line width used for the dash pattern of the buffers.")
          .script(Part::Buffer, 17),
      Buf("symbolsize", &B::symbolsize, 10.0).defaults("BSymbolSize").flags(kDefaultStyle)
          .inspect("Symbols", "Size", Control::Number)
          .command("bsymbolsize", "db", 2, "size buffers",
                   "Sets the symbol size (and bar width) of the buffers in points.")
          .script(Part::Buffer, 19),
      Buf("sticksize", &B::sticksize, 20.0).defaults("BStickSize").flags(kDefaultStyle)
          .inspect("Sticks", "Length", Control::Number)
          .command("bsticksize", "db", 2, "size buffers", "Sets the stick length of the buffers.")
          .script(Part::Buffer, 21),
      Buf("stickabs", &B::stickabs, false).defaults("BStickAbs").flags(kDefaultStyle)
          .inspect("Sticks", "In data units", Control::Check)
          .command("bsticksabs", "ib", 1, "on [buffers]", "Gives stick lengths in points (1) or in data units (0).")
          .script(Part::Buffer, 22),
      Buf("symfill", &B::symfill, false).defaults("BSymbolFill").flags(kStyleCopy)
          .inspect("Symbols", "Filled", Control::Check)
          .command("bsymbolfill", "ib", 1, "on [buffers]",
                   "Fills the symbols of the buffers (1) or draws their outline (0).")
          .script(Part::Buffer, 20),
      Buf("plotlines", &B::plotlines, true).defaults("BPlotLines").flags(kPlot)
          .inspect("Style", "Lines", Control::Check)
          .command("bstylelines", "ib", 2, "on buffers", "Draws the buffers as lines (1) or not (0).")
          .script(Part::Buffer, 1, "plotlines"),
      Buf("plotsymbols", &B::plotsymbols, false).defaults("BPlotSymbols").flags(kPlot)
          .inspect("Style", "Symbols", Control::Check)
          .command("bstylesymbols", "ib", 2, "on buffers", "Draws a symbol at each point (1) or not (0).")
          .script(Part::Buffer, 2, "plotsymbols"),
      Buf("plotybars", &B::plotybars, false).defaults("BPlotYBars").flags(kPlot)
          .inspect("Style", "Y bars", Control::Check)
          .command("bstyleybars", "ib", 2, "on buffers",
                   "Draws vertical bars from the X axis to each point (1) or not (0).")
          .script(Part::Buffer, 4, "plotybars"),
      Buf("plotxbars", &B::plotxbars, false).defaults("BPlotXBars").flags(kPlot)
          .inspect("Style", "X bars", Control::Check)
          .command("bstylexbars", "ib", 2, "on buffers",
                   "Draws horizontal bars from the Y axis to each point (1) or not (0).")
          .script(Part::Buffer, 5, "plotxbars"),
      Buf("plotysticks", &B::plotysticks, false).defaults("BPlotYSticks").flags(kPlot)
          .inspect("Style", "Y sticks", Control::Check)
          .command("bstyleysticks", "ib", 2, "on buffers", "Draws vertical sticks at each point (1) or not (0).")
          .script(Part::Buffer, 6, "plotysticks"),
      Buf("plotxsticks", &B::plotxsticks, false).defaults("BPlotXSticks").flags(kPlot)
          .inspect("Style", "X sticks", Control::Check)
          .command("bstylexsticks", "ib", 2, "on buffers", "Draws horizontal sticks at each point (1) or not (0).")
          .script(Part::Buffer, 7, "plotxsticks"),
      Buf("plotdots", &B::plotdots, false).defaults("BPlotDots").flags(kPlot)
          .inspect("Style", "Dots", Control::Check)
          .command("bstyledots", "ib", 2, "on buffers", "Draws a dot at each point (1) or not (0).")
          .script(Part::Buffer, 8, "plotdots"),
      Buf("plotarea", &B::plotarea, false).defaults("BPlotArea").flags(kPlot)
          .inspect("Style", "Area", Control::Check)
          .command("bstylefill", "ib", 2, "on buffers", "Fills the area under the buffers (1) or not (0).")
          .script(Part::Buffer, 3, "plotarea"),
      Buf("plothist", &B::plothist, false).defaults("BPlotHist").flags(kPlot)
          .inspect("Style", "Histogram", Control::Check)
          .command("bstylehist", "ib", 2, "on buffers", "Draws the buffers as a histogram outline (1) or not (0).")
          .script(Part::Buffer, 9, "plothist"),
      Buf("plotfhist", &B::plotfhist, false).defaults("BPlotFHist").flags(kPlot)
          .inspect("Style", "Filled histogram", Control::Check)
          .command("bstylefhist", "ib", 2, "on buffers", "Draws the buffers as a filled histogram (1) or not (0).")
          .script(Part::Buffer, 10, "plotfhist"),
      Buf("my_sql", &B::my_sql, std::string()).flags(kCopied).inspect("Database", "Query", Control::Text),
      Buf("my_db", &B::my_db, std::string()).flags(kCopied).inspect("Database", "Database", Control::Text),
      Buf("my_host", &B::my_host, std::string()).flags(kCopied).inspect("Database", "Host", Control::Text),
      Buf("my_user", &B::my_user, std::string()).flags(kCopied).inspect("Database", "User", Control::Text),
      Buf("my_passwd", &B::my_passwd, std::string()).flags(kCopied).inspect("Database", "Password", Control::Text),
      Buf("my_port", &B::my_port, 0).flags(kCopied).inspect("Database", "Port", Control::Integer),
      Buf("my_xcol", &B::my_xcol, 0).flags(kCopied).inspect("Database", "X column", Control::Integer),
      Buf("my_ycol", &B::my_ycol, 0).flags(kCopied).inspect("Database", "Y column", Control::Integer),
      Buf("my_autoupdate", &B::my_autoupdate, false).flags(kCopied)
          .inspect("Database", "Update automatically", Control::Check),
      Buf("plotlegend", &B::plotlegend, true).flags(kCopied).inspect("Data", "In legend", Control::Check),
      Buf("hassource", &B::hassource, false).flags(kCopied),
      Buf("errorbarx", &B::errorbarx, 0).flags(kCopied)
          .inspect("Errors", "X error bars", Control::Choice, {kErrorModes})
          .command("bxerror", "ib", 2, "mode buffers",
                   "X error bars: 0 none, 1 the fixed value, 2 percent of X, 3 the buffer's X error column.",
                   props::choices(3))
          .script(Part::Buffer, 24),
      Buf("errorvalx", &B::errorvalx, 0.0).flags(kCopied)
          .inspect("Errors", "X error", Control::Number)
          .command("bxerrorval", "db", 2, "value buffers",
                   "Sets the X error value of the buffers (absolute or percent, as bxerror says).")
          .script(Part::Buffer, 25, "errorbarx"),
      Buf("errorbary", &B::errorbary, 0).flags(kCopied)
          .inspect("Errors", "Y error bars", Control::Choice, {kErrorModes})
          .command("byerror", "ib", 2, "mode buffers",
                   "Y error bars: 0 none, 1 the fixed value, 2 percent of Y, 3 the buffer's Y error column.",
                   props::choices(3))
          .script(Part::Buffer, 26),
      Buf("errorvaly", &B::errorvaly, 0.0).flags(kCopied)
          .inspect("Errors", "Y error", Control::Number)
          .command("byerrorval", "db", 2, "value buffers",
                   "Sets the Y error value of the buffers (absolute or percent, as byerror says).")
          .script(Part::Buffer, 27, "errorbary"),
      Buf("errorwidth", &B::errorwidth, 1.0).flags(kCopied)
          .inspect("Errors", "Line width", Control::Number)
          .command("berrorlinewidth", "db", 2, "width buffers", "Sets the line width of the error bars of the buffers.")
          .script(Part::Buffer, 28),
      Buf("rm", &B::rm, false).file({}).flags(kCopied),
      // Our own: whether document files keep the database password (else the keyring does).
      Buf("my_savepasswd", &B::my_savepasswd, false).flags(kCopied)
          .inspect("Database", "Save password in document", Control::Check),
  };
  // clang-format on
  return t;
}

}  // namespace

std::span<const BufferProperty> bufferProperties() { return table(); }

}  // namespace xyla
