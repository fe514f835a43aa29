#include "model/buffer_properties.h"

#include <vector>

namespace xyla {

namespace {

using B = DataBuffer;
using props::Control;
using props::kAbsentResets;
using props::kCopied;
using props::kPlotFlag;
using props::kSavedDefault;
using props::kStyle;

// A style field: copied by copyStyle and copyWithZone.
constexpr unsigned kStyleCopy = kStyle | kCopied;
// A style field whose user default "save as default style" writes.
constexpr unsigned kDefaultStyle = kStyleCopy | kSavedDefault;
constexpr unsigned kPlot = kDefaultStyle | kPlotFlag;

const std::vector<BufferProperty>& table() {
  // clang-format off
  static const std::vector<BufferProperty> t = {
      // name, member, built-in value, archive key, user-defaults key, command, arguments,
      // {inspector page, label, control}, flags
      {"source", &B::source, std::string(), "source", "", "", "", {"Data", "Source", Control::Text},
       kCopied | kAbsentResets},
      {"comment", &B::comment, std::string(), "comment", "", "", "", {"Data", "Comment", Control::Text},
       kCopied | kAbsentResets},
      {"dynsize", &B::dynsize, std::string(), "dynsize", "BDynSize", "bdynsize", "bs",
       {"Symbols", "Size expression", Control::Text}, kCopied | kSavedDefault | kAbsentResets},
      {"havexminmax", &B::havexminmax, false, "havexminmax", "", "", "", {}, 0},
      {"haveyminmax", &B::haveyminmax, false, "haveyminmax", "", "", "", {}, 0},
      {"show", &B::show, true, "show", "", "", "", {"Data", "Show", Control::Check}, kCopied},
      {"belongx", &B::belongx, 1, "belongx", "", "", "", {"Data", "X range", Control::Choice}, kCopied},
      {"belongy", &B::belongy, 1, "belongy", "", "", "", {"Data", "Y range", Control::Choice}, kCopied},
      {"color", &B::color, Colour::black(), "color", "BColor", "bcolor", "dddbd",
       {"Lines", "Colour", Control::Colour}, kDefaultStyle | kAbsentResets},
      {"fillcolor", &B::fillcolor, Colour::lightGrey(), "fillcolor", "BFillColor", "bfillcolor", "dddbd",
       {"Fills", "Fill colour", Control::Colour}, kDefaultStyle | kAbsentResets},
      {"barcolor", &B::barcolor, Colour::black(), "barcolor", "BBarColor", "bframecolor", "dddbd",
       {"Bars", "Bar colour", Control::Colour}, kStyleCopy | kAbsentResets},
      {"stickcolor", &B::stickcolor, Colour::black(), "stickcolor", "BStickColor", "bstickcolor", "dddbd",
       {"Sticks", "Stick colour", Control::Colour}, kDefaultStyle | kAbsentResets},
      {"errorcolor", &B::errorcolor, Colour::black(), "errorcolor", "BErrorColor", "berrorcolor", "dddbd",
       {"Errors", "Error colour", Control::Colour}, kDefaultStyle | kAbsentResets},
      {"linewidth", &B::linewidth, 1.0, "linewidth", "BLineWidth", "blinewidth", "db",
       {"Lines", "Line width", Control::Number}, kDefaultStyle},
      {"dash", &B::dash, 0, "dash", "BDash", "blinepattern", "ib", {"Lines", "Pattern", Control::Choice},
       kDefaultStyle},
      {"symbol", &B::symbol, 0, "symbol", "BSymbol", "bsymbol", "ib", {"Symbols", "Symbol", Control::Choice},
       kDefaultStyle},
      {"dashwidth", &B::dashwidth, 0.0, "dashwidth", "BDashWidth", "bpatternwidth", "db",
       {"Lines", "Pattern width", Control::Number}, kDefaultStyle},
      {"symbolsize", &B::symbolsize, 10.0, "symbolsize", "BSymbolSize", "bsymbolsize", "db",
       {"Symbols", "Size", Control::Number}, kDefaultStyle},
      {"sticksize", &B::sticksize, 20.0, "sticksize", "BStickSize", "bsticksize", "db",
       {"Sticks", "Length", Control::Number}, kDefaultStyle},
      {"stickabs", &B::stickabs, false, "stickabs", "BStickAbs", "bsticksabs", "ib",
       {"Sticks", "In data units", Control::Check}, kDefaultStyle},
      {"symfill", &B::symfill, false, "symfill", "BSymbolFill", "bsymbolfill", "ib",
       {"Symbols", "Filled", Control::Check}, kStyleCopy},
      {"plotlines", &B::plotlines, true, "plotlines", "BPlotLines", "bstylelines", "ib",
       {"Style", "Lines", Control::Check}, kPlot},
      {"plotsymbols", &B::plotsymbols, false, "plotsymbols", "BPlotSymbols", "bstylesymbols", "ib",
       {"Style", "Symbols", Control::Check}, kPlot},
      {"plotybars", &B::plotybars, false, "plotybars", "BPlotYBars", "bstyleybars", "ib",
       {"Style", "Y bars", Control::Check}, kPlot},
      {"plotxbars", &B::plotxbars, false, "plotxbars", "BPlotXBars", "bstylexbars", "ib",
       {"Style", "X bars", Control::Check}, kPlot},
      {"plotysticks", &B::plotysticks, false, "plotysticks", "BPlotYSticks", "bstyleysticks", "ib",
       {"Style", "Y sticks", Control::Check}, kPlot},
      {"plotxsticks", &B::plotxsticks, false, "plotxsticks", "BPlotXSticks", "bstylexsticks", "ib",
       {"Style", "X sticks", Control::Check}, kPlot},
      {"plotdots", &B::plotdots, false, "plotdots", "BPlotDots", "bstyledots", "ib", {"Style", "Dots", Control::Check},
       kPlot},
      {"plotarea", &B::plotarea, false, "plotarea", "BPlotArea", "bstylefill", "ib", {"Style", "Area", Control::Check},
       kPlot},
      {"plothist", &B::plothist, false, "plothist", "BPlotHist", "bstylehist", "ib",
       {"Style", "Histogram", Control::Check}, kPlot},
      {"plotfhist", &B::plotfhist, false, "plotfhist", "BPlotFHist", "bstylefhist", "ib",
       {"Style", "Filled histogram", Control::Check}, kPlot},
      {"my_sql", &B::my_sql, std::string(), "my_sql", "", "", "", {"Database", "Query", Control::Text}, kCopied},
      {"my_db", &B::my_db, std::string(), "my_db", "", "", "", {"Database", "Database", Control::Text}, kCopied},
      {"my_host", &B::my_host, std::string(), "my_host", "", "", "", {"Database", "Host", Control::Text}, kCopied},
      {"my_user", &B::my_user, std::string(), "my_user", "", "", "", {"Database", "User", Control::Text}, kCopied},
      {"my_passwd", &B::my_passwd, std::string(), "my_passwd", "", "", "", {"Database", "Password", Control::Text},
       kCopied},
      {"my_port", &B::my_port, 0, "my_port", "", "", "", {"Database", "Port", Control::Integer}, kCopied},
      {"my_xcol", &B::my_xcol, 0, "my_xcol", "", "", "", {"Database", "X column", Control::Integer}, kCopied},
      {"my_ycol", &B::my_ycol, 0, "my_ycol", "", "", "", {"Database", "Y column", Control::Integer}, kCopied},
      {"my_autoupdate", &B::my_autoupdate, false, "my_autoupdate", "", "", "",
       {"Database", "Update automatically", Control::Check}, kCopied},
      {"plotlegend", &B::plotlegend, true, "plotlegend", "", "", "", {"Data", "In legend", Control::Check}, kCopied},
      {"hassource", &B::hassource, false, "hassource", "", "", "", {}, kCopied},
      {"errorbarx", &B::errorbarx, 0, "errorbarx", "", "bxerror", "ib", {"Errors", "X error bars", Control::Choice},
       kCopied},
      {"errorvalx", &B::errorvalx, 0.0, "errorvalx", "", "bxerrorval", "db", {"Errors", "X error", Control::Number},
       kCopied},
      {"errorbary", &B::errorbary, 0, "errorbary", "", "byerror", "ib", {"Errors", "Y error bars", Control::Choice},
       kCopied},
      {"errorvaly", &B::errorvaly, 0.0, "errorvaly", "", "byerrorval", "db", {"Errors", "Y error", Control::Number},
       kCopied},
      {"errorwidth", &B::errorwidth, 1.0, "errorwidth", "", "berrorlinewidth", "db",
       {"Errors", "Line width", Control::Number}, kCopied},
      {"rm", &B::rm, false, "", "", "", "", {}, kCopied},
      // Our own: whether document files keep the database password (else the keyring does).
      {"my_savepasswd", &B::my_savepasswd, false, "my_savepasswd", "", "", "",
       {"Database", "Save password in document", Control::Check}, kCopied},
  };
  // clang-format on
  return t;
}

}  // namespace

std::span<const BufferProperty> bufferProperties() { return table(); }

}  // namespace xyla
