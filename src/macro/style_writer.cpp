#include "macro/style_writer.h"

#include <cstdarg>
#include <cstdio>

#include "model/xyla_document.h"

namespace xyla {

namespace {

// printf into a growing text.
class Script {
 public:
  __attribute__((format(printf, 2, 3))) void add(const char* format, ...) {
    va_list args;
    va_start(args, format);
    char buf[512];
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(buf, sizeof buf, format, args);
    if (n >= 0 && static_cast<std::size_t>(n) < sizeof buf) {
      text_.append(buf, static_cast<std::size_t>(n));
    } else if (n > 0) {
      std::string big(static_cast<std::size_t>(n) + 1, '\0');
      std::vsnprintf(big.data(), big.size(), format, copy);
      text_.append(big.data(), static_cast<std::size_t>(n));
    }
    va_end(copy);
    va_end(args);
  }
  void raw(const std::string& s) { text_ += s; }
  std::string take() { return std::move(text_); }

 private:
  std::string text_;
};

const char* yesNo(bool on) { return on ? "yes" : "no"; }

void colour(Script& s, const char* command, const Colour& c) {
  s.add("%s %g %g %g %g\n", command, c.r, c.g, c.b, c.a);
}

void mainStyle(Script& s, const XylaDocument& d) {
  s.raw("##### main style attributes #####\n");
  s.raw("colormode 0\n");
  s.add("windowsize %g %g\n", d.viewWidth, d.viewHeight);
  s.add("margins %g %g %g %g\n", d.marginleft, d.marginright, d.marginbottom, d.margintop);
  s.add("drawbg %s\n", yesNo(d.drawbackground));
  if (d.drawbackground) colour(s, "bgcolor", d.backgroundcolor);
  s.add("drawmargin %s\n", yesNo(d.drawmargin));
  if (d.drawmargin) colour(s, "margincolor", d.margincolor);
  s.add("drawframe %s\n", yesNo(d.drawframe));
  if (d.drawframe) colour(s, "framecolor", d.framecolor);
  s.add("framestyle %d\n", d.framestyle);
  s.add("framewidth %g\n", d.framewidth);
  if (d.framestyle != 0) {
    s.add("framearrows %s\n", yesNo(d.framearrows));
    if (d.framearrows) {
      s.add("framearrowtype %d\n", d.arrowtype);
      s.add("framearrowsize %g\n", d.arrowsize);
    }
    s.add("forceframe %s\n", yesNo(d.forceframe));
  }
}

void bufferColour(Script& s, const char* command, const Colour& c, int i) {
  s.add("%s %g %g %g %d %g\n", command, c.r, c.g, c.b, i, c.a);
}

void bufferStyle(Script& s, const DataBuffer& b, int i) {
  s.add("\n##### buffer %d attributes #####\n", i);
  s.add("bstyleclear %d\n", i);
  const std::pair<const char*, bool> flags[] = {
      {"bstylelines", b.plotlines}, {"bstylesymbols", b.plotsymbols}, {"bstylefill", b.plotarea},
      {"bstyleybars", b.plotybars}, {"bstylexbars", b.plotxbars},     {"bstyleysticks", b.plotysticks},
      {"bstylexsticks", b.plotxsticks}, {"bstyledots", b.plotdots},   {"bstylehist", b.plothist},
      {"bstylefhist", b.plotfhist}};
  for (const auto& [command, on] : flags) {
    if (on) s.add("%s yes %d\n", command, i);
  }
  bufferColour(s, "bcolor", b.color, i);
  bufferColour(s, "bfillcolor", b.fillcolor, i);
  bufferColour(s, "bframecolor", b.barcolor, i);
  bufferColour(s, "bstickcolor", b.stickcolor, i);
  s.add("blinewidth %g %d\n", b.linewidth, i);
  s.add("blinepattern %d %d\n", b.dash, i);
  s.add("bpatternwidth %g %d\n", b.dashwidth, i);
  s.add("bsymbol %d %d\n", b.symbol, i);
  s.add("bsymbolsize %g %d\n", b.symbolsize, i);
  s.add("bsymbolfill %s %d\n", yesNo(b.symfill), i);
  s.add("bsticksize %g %d\n", b.sticksize, i);
  s.add("bsticksabs %s %d\n", yesNo(b.stickabs), i);
  if (!b.dynsize.empty()) s.add("bdynsize %d '%s'\n", i, b.dynsize.c_str());
  s.add("bxerror %d %d\n", b.errorbarx, i);
  if (b.errorbarx > 0) s.add("bxerrorval %g %d\n", b.errorvalx, i);
  s.add("byerror %d %d\n", b.errorbary, i);
  if (b.errorbary > 0) s.add("byerrorval %g %d\n", b.errorvaly, i);
  s.add("berrorlinewidth %g %d\n", b.errorwidth, i);
  bufferColour(s, "berrorcolor", b.errorcolor, i);
}

void axisFlag(Script& s, const char* command, int n, bool on) { s.add("%s %d %s\n", command, n, yesNo(on)); }

void axisColour(Script& s, const char* command, int n, const Colour& c) {
  s.add("%s %d %g %g %g %g\n", command, n, c.r, c.g, c.b, c.a);
}

void axisScale(Script& s, const XylaDocument& d, std::size_t k, int n) {
  const std::pair<const char*, const std::string*> texts[] = {
      {"ascalstart", &d.scalstart[k]},      {"ascalend", &d.scalend[k]}, {"atickdist", &d.scalspace[k]},
      {"aminsteps", &d.scalminticks[k]},    {"atimeformat", &d.axistimeformat[k]},
      {"atrigger", &d.trigger[k]},          {"ascalexpr", &d.scaleexpr[k]}};
  for (const auto& [command, text] : texts) {
    if (text->empty()) s.add("%s %d\n", command, n);
    else s.add("%s %d '%s'\n", command, n, text->c_str());
  }
  axisFlag(s, "adecplacesauto", n, d.dpauto[k]);
  s.add("adecplaces %d %d\n", n, d.dp[k]);
  s.add("aexpoffset %d %d\n", n, d.expoff[k]);
  s.add("aformat %d %d\n", n, d.axismode[k]);
  axisFlag(s, "asetsmalllogzero", n, d.smalllog[k]);
  axisFlag(s, "asetreverse", n, d.reverse[k]);
  s.add("atext %d '%s'\n", n, d.axistext[k].c_str());
  axisFlag(s, "asetfliptext", n, d.fliptext[k]);
}

void axisTicks(Script& s, const XylaDocument& d, std::size_t k, int n) {
  axisFlag(s, "asetticks", n, d.ticks[k]);
  axisFlag(s, "asetticksbothsides", n, d.ticksboth[k]);
  axisColour(s, "atickcolor", n, d.tickcolor[k]);
  s.add("aticklength %d %g\n", n, d.ticklength[k]);
  s.add("atickwidth %d %g\n", n, d.tickwidth[k]);
  axisFlag(s, "asetminticks", n, d.mticks[k]);
  axisFlag(s, "asetminticksbothsides", n, d.mticksboth[k]);
  axisColour(s, "amintickcolor", n, d.mtickcolor[k]);
  s.add("aminticklength %d %g\n", n, d.mticklength[k]);
  s.add("amintickwidth %d %g\n", n, d.mtickwidth[k]);
  s.add("atickstyle %d %d\n", n, d.tickstyle[k]);
}

void axisGrid(Script& s, const XylaDocument& d, std::size_t k, int n) {
  axisFlag(s, "asetgrid", n, d.grid[k]);
  axisFlag(s, "agridfront", n, d.gridfront[k]);
  axisColour(s, "agridcolor", n, d.gridcolor[k]);
  s.add("agridwidth %d %g\n", n, d.gridwidth[k]);
  s.add("agridpattern %d %d\n", n, d.gridpattern[k]);
  axisFlag(s, "asetmingrid", n, d.mgrid[k]);
  axisFlag(s, "amingridfront", n, d.mgridfront[k]);
  axisColour(s, "amingridcolor", n, d.mgridcolor[k]);
  s.add("amingridwidth %d %g\n", n, d.mgridwidth[k]);
  s.add("amingridpattern %d %d\n", n, d.mgridpattern[k]);
  axisFlag(s, "asetzeroline", n, d.zeroline[k]);
  axisColour(s, "azerolinecolor", n, d.zerocolor[k]);
}

void axisText(Script& s, const XylaDocument& d, std::size_t k, int n) {
  // An empty family is the system font, which a script cannot name; it is left out.
  if (!d.textfont[k].family.empty())
    s.add("atextfont %d '%s' %g\n", n, d.textfont[k].family.c_str(), d.textfont[k].size);
  s.add("atextoffset %d %d\n", n, d.textoff[k]);
  if (!d.numfont[k].family.empty())
    s.add("anumfont %d '%s' %g\n", n, d.numfont[k].family.c_str(), d.numfont[k].size);
  s.add("anumoffset %d %d\n", n, d.numoff[k]);
  s.add("anumalign %d %d\n", n, d.align[k]);
  s.add("anumangle %d %g\n", n, d.angle[k]);
  axisColour(s, "atextcolor", n, d.axistextcolor[k]);
  axisFlag(s, "asettext", n, d.text[k]);
  axisFlag(s, "asetnum", n, d.numbers[k]);
  s.add("aclearlabels %d\n", n);
  for (const auto& [key, label] : d.alabel[k]) s.add("alabel %d '%s' '%s'\n", n, key.c_str(), label.c_str());
}

void axes(Script& s, const XylaDocument& d) {
  s.raw("\n##### axis attributes #####\n");
  s.raw("setaxis ");
  for (bool on : d.axis) s.add("%s ", yesNo(on));
  s.raw("\n");
  const double ranges[4][2] = {{d.xmin1, d.xmax1}, {d.ymin1, d.ymax1}, {d.xmin2, d.xmax2}, {d.ymin2, d.ymax2}};
  for (int k = 0; k < 4; ++k) {
    if (d.axis[static_cast<std::size_t>(k)]) s.add("range %d %g %g\n", k + 1, ranges[k][0], ranges[k][1]);
  }
  static const char* const headers[] = {"bottom", "left", "top", "right"};
  for (std::size_t k = 0; k < 4; ++k) {
    if (!d.axis[k]) continue;
    const int n = static_cast<int>(k) + 1;
    s.add("\n##### %s axis attributes #####\n", headers[k]);
    axisScale(s, d, k, n);
    axisTicks(s, d, k, n);
    axisGrid(s, d, k, n);
    axisText(s, d, k, n);
  }
}

void legend(Script& s, const XylaDocument& d) {
  s.raw("\n##### legend attributes #####\n");
  s.add("setlegend %s\n", yesNo(d.plotlegend));
  if (!d.plotlegend) return;
  s.add("legendpos %g %g\n", d.legendx, d.legendy);
  s.add("legendlength %g\n", d.legendwidth);
  s.add("legendspace %g\n", d.legendspace);
  colour(s, "legendcolor", d.legendcolor);
  s.add("setlegendbg %s\n", yesNo(d.legendbg));
  colour(s, "legendbgcolor", d.legendbgcolor);
  if (!d.legendfont.family.empty()) s.add("legendfont '%s' %g\n", d.legendfont.family.c_str(), d.legendfont.size);
}

}  // namespace

std::string styleScript(const XylaDocument& doc) {
  Script s;
  mainStyle(s, doc);
  for (int i = 0; i < doc.bufferCount(); ++i) bufferStyle(s, *doc.buffer(i), i);
  axes(s, doc);
  legend(s, doc);
  return s.take();
}

}  // namespace xyla
