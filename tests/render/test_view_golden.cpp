// Drawing passes compared with reviewed display lists in tests/data/golden/view-*.txt
// (rewrite them with XYLA_UPDATE_GOLDEN=1 and review the diff). Each scene sets up the
// fixture document; the dump holds every recorded operation, the number extents and
// tick-label keys left by the preparation, the ranges and any alert. A golden keeps
// what its scene draws beyond the plain fixture document (margins, background, the
// default axes and the frame), so a change to those rewrites only the one scene that
// keeps the whole pass.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <sstream>
#include <vector>

#include "model/document_archive.h"
#include "support/golden.h"
#include "view_fixture.h"

namespace xyla::test {
namespace {

constexpr Colour kRed{1, 0, 0, 1};
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

Graphic& line(ViewScene& s, double x1, double y1, double x2, double y2) {
  Graphic& g = s.doc.addGraphic(std::make_unique<Graphic>());
  g.setPoints(x1, y1, x2, y2);
  return g;
}

TextObject& text(ViewScene& s, const std::string& t) {
  TextObject& o = s.doc.addText(std::make_unique<TextObject>());
  o.text = t;
  o.font = FontSpec{"Helvetica", 10};
  return o;
}

// A buffer drawn with symbols only.
DataBuffer& symbols(ViewScene& s, std::initializer_list<std::pair<double, double>> pts, int symbol) {
  DataBuffer& b = s.addBuffer(pts);
  b.plotlines = false;
  b.plotsymbols = true;
  b.symbol = symbol;
  b.color = kRed;
  return b;
}

// What a scene's golden is compared beside: the plain fixture document, the same with
// margins, background, axes and frame left out, or nothing (the whole pass is kept).
enum class Beside { Plain, Bare, Nothing };

struct Scene {
  const char* name;
  void (*setup)(ViewScene&);
  Beside beside = Beside::Plain;
};

// ---- series ----

const Scene kSeries[] = {
    {"nan-point-breaks-the-line",
     [](ViewScene& s) {
       s.addBuffer({{1, 1}, {2, 2}, {3, kNan}, {4, 4}, {5, 5}});
     }},
    {"segments-beyond-one-side-left-out",
     [](ViewScene& s) {
       s.addBuffer({{-5, 1}, {-4, 2}, {1, 3}, {2, 20}, {3, 60}, {4, 4}});
     }},
    {"log-axis-skips-non-positive",
     [](ViewScene& s) {
       s.doc.axis[1] = true;
       s.doc.axismode[1] = 1;
       s.doc.scale(1, 0, 10, 0.1, 100, false, false);
       symbols(s, {{1, 1}, {2, -3}, {3, 10}, {4, 0}, {5, 20}}, 14).plotlines = true;
     }},
    {"percent-error-bars",
     [](ViewScene& s) {
       DataBuffer& b = s.addBuffer({{5, 8}});
       b.plotlines = false;
       b.errorbary = 2;
       b.errorvaly = 10;
       b.symbolsize = 8;
     }},
    {"error-columns-both-axes",
     [](ViewScene& s) {
       DataBuffer& b = s.doc.newBuffer();
       b.addDoubleValueError(5, 5, 1, 2);
       b.plotlines = false;
       b.errorbarx = b.errorbary = 3;
       b.errorcolor = kRed;
     }},
    {"open-symbol-hides-lines-behind",
     [](ViewScene& s) {
       DataBuffer& b = symbols(s, {{5, 5}}, 3);
       b.linewidth = 2;
     }},
    {"solid-symbol-filled-with-outline-colour",
     [](ViewScene& s) {
       DataBuffer& b = symbols(s, {{5, 5}}, 8);
       b.symfill = true;
       b.fillcolor = {0, 0, 1, 1};
     }},
    {"dynamic-symbol-sizes",
     [](ViewScene& s) {
       symbols(s, {{2, 2}, {4, 4}}, 14).dynsize = "y*2";
     }},
    {"broken-dynamic-size-falls-back-silently",
     [](ViewScene& s) {
       symbols(s, {{2, 2}, {4, 4}}, 14).dynsize = "y*(";
     }},
    {"sticks-in-view-units",
     [](ViewScene& s) {
       DataBuffer& b = s.addBuffer({{5, 5}});
       b.plotlines = false;
       b.plotysticks = true;
     }},
    {"sticks-in-data-units",
     [](ViewScene& s) {
       DataBuffer& b = s.addBuffer({{5, 5}});
       b.plotlines = false;
       b.plotxsticks = b.stickabs = true;
       b.sticksize = 4;
     }},
    {"bars-reach-from-zero",
     [](ViewScene& s) {
       DataBuffer& b = s.addBuffer({{5, 6}, {7, -2}});
       b.plotlines = false;
       b.plotybars = b.plotxbars = true;
       b.barcolor = {0, 0, 1, 1};
     }},
    {"histogram-steps-split-the-gaps",
     [](ViewScene& s) {
       DataBuffer& b = s.addBuffer({{2, 3}, {4, 5}, {8, 1}});
       b.plotlines = false;
       b.plotfhist = b.plothist = true;
       b.fillcolor = kRed;
     }},
    {"area-and-dots",
     [](ViewScene& s) {
       DataBuffer& b = s.addBuffer({{1, 2}, {3, 6}, {6, 4}});
       b.plotarea = b.plotdots = true;
       b.dash = 4;
       b.dashwidth = 2;
     }},
    {"absurd-values-stay-sane",
     [](ViewScene& s) {
       DataBuffer& b = s.addBuffer({{1, 1e300}, {2, -1e300}, {std::numeric_limits<double>::infinity(), 3}, {4, 1}});
       b.plotsymbols = true;
       b.symbolsize = -5;
       b.linewidth = 1e6;
       b.dashwidth = kNan;
       b.dash = 3;
     }},
    {"hidden-and-empty-buffers-draw-nothing",
     [](ViewScene& s) {
       s.addBuffer({{1, 1}, {2, 2}}).show = false;
       s.doc.newBuffer().plotsymbols = true;
     }},
};

// ---- axes ----

const Scene kAxes[] = {
    {"outside-ticks-whole-lengths",
     [](ViewScene& s) {
       s.doc.tickstyle[0] = 1;
       s.doc.ticklength[0] = 5.9;
       s.doc.mticks[0] = false;
     }},
    {"mirror-ticks-crossing-style",
     [](ViewScene& s) {
       s.doc.mticks[1] = false;
       s.doc.ticksboth[1] = true;
       s.doc.tickstyle[1] = 2;
       s.doc.ticklength[1] = 4;
     }},
    {"custom-label-replaces-a-number", [](ViewScene& s) { s.doc.alabel[0]["2"] = "two"; }},
    {"scale-expression-changes-the-numbers",
     [](ViewScene& s) {
       s.doc.scaleexpr[0] = "v*100+k";
       s.m.GV["k"] = 1;
     }},
    {"broken-scale-expression-keeps-values", [](ViewScene& s) { s.doc.scaleexpr[0] = "v*("; }},
    {"small-log-zero-at-the-lowest-decade",
     [](ViewScene& s) {
       s.doc.axismode[1] = 1;
       s.doc.smalllog[1] = true;
       s.doc.scale(1, 0, 10, 1, 1000, false, false);
     }},
    {"titles-beside-the-numbers",
     [](ViewScene& s) {
       s.doc.axistext[1] = "Counts";
       s.doc.axistext[0] = "Binding energy (eV)";
     }},
    {"flipped-titles-and-second-range",
     [](ViewScene& s) {
       s.doc.axis = {true, true, true, true};
       s.doc.axistext = {"bottom", "left", "top", "right"};
       s.doc.fliptext = {true, true, true, true};
       s.doc.scale(2, -3, 3, 100, 1e5, false, false);
       s.doc.expoff[3] = 2;
     }},
    {"grids-behind-and-in-front",
     [](ViewScene& s) {
       s.doc.grid[0] = s.doc.mgrid[0] = true;
       s.doc.gridfront[0] = false;
       s.doc.gridpattern[0] = 2;
       s.doc.zeroline[1] = true;
       s.doc.scale(1, 0, 10, -4, 6, false, false);
     }},
    {"refused-tick-step-still-draws-the-title",
     [](ViewScene& s) {
       s.doc.axistext[0] = "t";
       s.doc.scalspace[0] = "0.001";
       s.doc.scale(1, 0, 1, 0, 1, false, false);
     }},
    {"time-axis-in-the-axis-format",
     [](ViewScene& s) {
       s.doc.axismode[0] = 2;
       s.doc.scale(1, 0, 100, 0, 10, false, false);
       s.doc.axistimeformat[0] = "%S\n%M";
     }},
    {"aligned-turned-numbers-with-decimals",
     [](ViewScene& s) {
       s.doc.align[1] = 3;
       s.doc.angle[1] = 30;
       s.doc.dpauto[1] = false;
       s.doc.dp[1] = 2;
       s.doc.numfont[1] = {"Times", 14};
     }},
};

// ---- frame, legend, overlays ----

const Scene kFrame[] = {
    {"full-pass-in-paint-order",
     [](ViewScene& s) {
       s.doc.grid[0] = true;
       s.doc.gridfront[0] = false;
       s.doc.plotlegend = true;
       DataBuffer& b = s.addBuffer({{1, 1}, {5, 5}, {9, 2}});
       b.plotarea = true;
       b.comment = "C 1s";
     },
     Beside::Nothing},
    {"empty-document-furniture",
     [](ViewScene& s) {
       s.doc.grid[1] = true;
       s.doc.plotlegend = s.doc.legendbg = true;
     }},
    {"screen-decorations",
     [](ViewScene& s) {
       s.addBuffer({{1, 1}, {2, 2}});
       s.m.pointerMode = "select";
       s.m.tableSelection = {0, 1};
     }},
    {"print-mode-leaves-decorations-out",
     [](ViewScene& s) {
       s.addBuffer({{1, 1}, {2, 2}});
       s.m.pointerMode = "select";
       s.m.tableSelection = {0, 1};
       s.m.printmode = true;
     }},
    {"frame-style-one-crosses-at-the-origin",
     [](ViewScene& s) {
       s.doc.scale(1, -5, 5, -10, 10, false, false);
       s.doc.framestyle = 1;
       s.doc.framearrows = true;
     }},
    {"frame-style-two-bar-heads-and-forced-frame",
     [](ViewScene& s) {
       s.doc.framestyle = 2;
       s.doc.framearrows = s.doc.forceframe = true;
       s.doc.arrowtype = 2;
     }},
    {"reversed-axis-and-repaired-log-range",
     [](ViewScene& s) {
       s.doc.reverse[0] = true;
       s.doc.axismode[1] = 1;
       s.addBuffer({{1, 0.5}, {2, 3}, {3, 50}, {4, -2}});
       s.addBuffer({{1, 0.001}}).show = false;
       s.addBuffer({{1, 0.002}}).belongy = 2;
       s.doc.scale(1, 0, 10, -5, 100, false, false);
     }},
    {"fit-preview-curves",
     [](ViewScene& s) {
       s.doc.haveFitPreview = true;
       s.doc.FP = {{0, 5, 10}, {0, 5, 0}, {0, 3, 0}, {0, 2, 0}};
     }},
    {"measure-crosshair",
     [](ViewScene& s) {
       s.m.pointerMode = "measure";
       s.showPointer = true;
       s.pointer.haveoloc = true;
       s.pointer.oloc = {100, 100};
     }},
    {"legend-rows-skip-hidden-buffers",
     [](ViewScene& s) {
       for (const char* name : {"a", "b", "hidden", "c"}) {
         DataBuffer& b = s.addBuffer({{1, 1}});
         b.comment = name;
         b.show = std::string(name) != "hidden";
       }
       s.doc.plotlegend = true;
       s.doc.legendx = 100;
       s.doc.legendy = 250;
       s.doc.legendspace = 15;
     }},
    {"legend-samples-without-dynamic-sizes",
     [](ViewScene& s) {
       DataBuffer& b = symbols(s, {{1, 1}}, 14);
       b.plotlines = b.plotybars = b.plotysticks = true;
       b.dynsize = "100";
       s.doc.plotlegend = s.doc.legendbg = true;
       s.doc.legendx = 100;
       s.doc.legendy = 200;
     },
     Beside::Bare},
    {"legend-with-non-finite-sizes",
     [](ViewScene& s) {
       DataBuffer& b = s.addBuffer({{1, 1}});
       b.plotybars = b.plotsymbols = true;
       b.symbolsize = kNan;
       s.doc.plotlegend = true;
       s.doc.legendwidth = std::numeric_limits<double>::infinity();
       s.doc.legendx = 100;
       s.doc.legendy = 200;
     },
     Beside::Bare},
};

// ---- graphic objects, texts and sub-plots ----

const Scene kObjects[] = {
    {"filled-head-at-the-end",
     [](ViewScene& s) {
       Graphic& g = line(s, 100, 100, 200, 100);
       g.arrow2 = true;
       g.arrowtype = 1;
       g.color = {0, 0, 1, 1};
     }},
    {"open-head-at-the-start-points-down",
     [](ViewScene& s) {
       Graphic& g = line(s, 150, 100, 150, 200);
       g.arrow1 = true;
       g.arrowsize = 20;
     }},
    {"hollow-head-hides-the-line",
     [](ViewScene& s) {
       s.doc.backgroundcolor = {1, 1, 0.5, 1};
       Graphic& g = line(s, 100, 100, 200, 100);
       g.arrow2 = true;
       g.arrowtype = 2;
     }},
    {"double-and-missing-heads",
     [](ViewScene& s) {
       Graphic& twice = line(s, 100, 100, 200, 100);
       twice.arrow2 = true;
       twice.arrowtype = 3;
       Graphic& none = line(s, 100, 150, 200, 150);
       none.arrow2 = true;
       none.arrowtype = 4;
     }},
    {"far-points-cut-along-the-line",
     [](ViewScene& s) {
       Graphic& g = line(s, 100, 100, 2e9, 100 + 1.9e9);
       g.arrow1 = g.arrow2 = true;
     }},
    {"graphic-dashes-grow-with-the-width",
     [](ViewScene& s) {
       Graphic& wide = line(s, 100, 100, 200, 150);
       wide.dashp = 1;
       wide.linewidth = 6;
       Graphic& thin = line(s, 100, 50, 200, 100);
       thin.dashp = 1;
       thin.linewidth = 2;
     }},
    {"rectangle-unfilled-ellipse-filled",
     [](ViewScene& s) {
       Graphic& r = line(s, 120, 90, 100, 140);
       r.type = Graphic::Rectangle;
       r.fillcolor = {0, 1, 0, 1};
       Graphic& e = line(s, 220, 90, 200, 140);
       e.type = Graphic::Ellipse;
       e.fill = true;
       e.fillcolor = {0, 1, 0, 1};
     }},
    {"graphics-behind-and-in-front-of-the-plot",
     [](ViewScene& s) {
       s.addBuffer({{1, 1}, {9, 9}}).linewidth = 3;
       Graphic& back = line(s, 70, 60, 90, 60);
       back.display = 1;
       back.color = kRed;
       line(s, 70, 70, 90, 70).color = {0, 0, 1, 1};
     }},
    {"current-graphic-outlined-while-creating-another",
     [](ViewScene& s) {
       s.m.currentGraphic = &line(s, 100, 100, 200, 150);
       s.m.pointerMode = "graphic";
     }},
    {"text-placed-after-the-plot",
     [](ViewScene& s) {
       s.addBuffer({{1, 1}, {9, 9}});
       TextObject& t = text(s, "Peak A");
       t.autopos = true;
       t.autoposloc = 7;
       t.autoposoffset = 5;
       t.color = {0.5, 0, 0, 1};
     }},
    {"centred-and-right-aligned-lines",
     [](ViewScene& s) {
       text(s, "wide line\nab").textalign = 1;
       TextObject& right = text(s, "xyz\nlonger one");
       right.textalign = 2;
       right.tloc = {200, 300};
     },
     Beside::Bare},
    {"turned-text-left-of-the-numbers",
     [](ViewScene& s) {
       TextObject& t = text(s, "Counts");
       t.autopos = true;
       t.autoposloc = 20;
       t.autoposangle = 90;
       t.angle = 90;
     }},
    {"current-text-outlined-while-selecting",
     [](ViewScene& s) {
       TextObject& t = text(s, "note");
       t.setPosition(100, 100);
       t.drawsbackground = true;
       t.backgroundcolor = {0.9, 0.9, 1, 1};
       s.m.currentText = &t;
       s.m.pointerMode = "select";
     },
     Beside::Bare},
    {"subplot-in-its-frame",
     [](ViewScene& s) {
       auto inner = std::make_unique<XylaDocument>(&s.m);
       inner->marginleft = inner->marginbottom = 20;
       inner->marginright = inner->margintop = 5;
       inner->framecolor = {0, 0.5, 0, 1};
       XylaDocument& sub = s.doc.addSubplot(std::move(inner), 200, 150, 150, 100);
       TextObject& label = sub.addText(std::make_unique<TextObject>());
       label.text = "inset";
       label.setPosition(30, 90);
       s.doc.addSubplot(std::make_unique<XylaDocument>(&s.m), 10, 10, 0, 50);  // no area: not drawn
     }},
    {"subplot-sharing-x",
     [](ViewScene& s) {
       // A residual panel: its own X range and direction give way to the main plot's.
       s.addBuffer({{2, 3}, {5, 8}, {8, 4}});
       s.doc.scale(1, 2, 8, 0, 10, false, false);
       s.doc.reverse[0] = true;
       auto inner = std::make_unique<XylaDocument>(&s.m);
       inner->marginleft = inner->marginbottom = 20;
       inner->marginright = inner->margintop = 5;
       inner->sharex = true;
       inner->xmin1 = 100, inner->xmax1 = 200, inner->ymin1 = -1, inner->ymax1 = 1;
       DataBuffer& r = inner->newBuffer();
       for (auto [x, y] : {std::pair{2.0, 0.5}, {5.0, -0.5}, {8.0, 0.25}}) r.addDoubleValue(x, y);
       s.doc.addSubplot(std::move(inner), 60, 200, 320, 80);
     }},
};

// A dump line that only shapes the pass (state and clipping) rather than drawing.
bool structural(const std::string& line) {
  for (const char* word : {"save", "restore", "clip ", "translate ", "rotate "})
    if (line.rfind(word, 0) == 0) return true;
  return false;
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

// What a scene draws beyond the plain fixture document: its dump with the drawing lines
// it shares with the plain dump (margins, background, the default axes, the frame)
// left out, matched in order as a longest common subsequence. Plain lines the scene
// does not draw stay in, marked "- ", so whatever a scene leaves out shows as well. The
// structure lines stay, but a save ... restore with nothing drawn inside goes.
std::string beyondPlain(const std::string& scene, const std::string& plain) {
  const std::vector<std::string> a = linesOf(scene), b = linesOf(plain);
  std::vector<std::size_t> ia, ib;  // the drawing lines of each
  for (std::size_t i = 0; i < a.size(); ++i)
    if (!structural(a[i])) ia.push_back(i);
  for (std::size_t i = 0; i < b.size(); ++i)
    if (!structural(b[i])) ib.push_back(i);
  // lcs[i][j]: longest common run of ia[i..] and ib[j..].
  std::vector<std::vector<int>> lcs(ia.size() + 1, std::vector<int>(ib.size() + 1, 0));
  for (std::size_t i = ia.size(); i-- > 0;)
    for (std::size_t j = ib.size(); j-- > 0;)
      lcs[i][j] = a[ia[i]] == b[ib[j]] ? lcs[i + 1][j + 1] + 1 : std::max(lcs[i + 1][j], lcs[i][j + 1]);
  std::vector<std::string> merged;
  std::size_t i = 0, j = 0, next = 0;  // next: the first scene line not yet taken
  const auto takeSceneUpTo = [&](std::size_t end) {
    for (; next < end; ++next)
      if (structural(a[next])) merged.push_back(a[next]);
  };
  while (i < ia.size() || j < ib.size()) {
    if (i < ia.size() && j < ib.size() && a[ia[i]] == b[ib[j]]) {
      takeSceneUpTo(ia[i] + 1);
      ++i, ++j;
    } else if (j < ib.size() && (i == ia.size() || lcs[i][j + 1] >= lcs[i + 1][j])) {
      merged.push_back("- " + b[ib[j++]]);
    } else {
      takeSceneUpTo(ia[i]);
      merged.push_back(a[ia[i]]);
      next = ia[i++] + 1;
    }
  }
  takeSceneUpTo(a.size());
  // Drops save ... restore blocks that hold no drawing.
  std::vector<std::string> out;
  std::vector<std::size_t> open;
  for (const std::string& line : merged) {
    if (line == "restore" && !open.empty()) {
      const std::size_t from = open.back();
      open.pop_back();
      if (std::none_of(out.begin() + static_cast<std::ptrdiff_t>(from), out.end(),
                       [](const std::string& l) { return !structural(l); })) {
        out.resize(from);
        continue;
      }
    }
    if (line == "save") open.push_back(out.size());
    out.push_back(line);
  }
  std::string text;
  for (const std::string& line : out) text += line + "\n";
  return text.empty() ? "nothing beyond the plain document\n" : text;
}

// Sets up a scene's document as it asks (the bare furniture first when it asks for it).
void setUp(ViewScene& s, const Scene& scene) {
  if (scene.beside == Beside::Bare) s.bare();
  scene.setup(s);
}

void expectScenes(const char* group, const Scene* scenes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    ViewScene s, plain;
    setUp(s, scenes[i]);
    s.draw();
    if (scenes[i].beside == Beside::Bare) plain.bare();
    plain.draw();
    const std::string dump = scenes[i].beside == Beside::Nothing ? s.dump() : beyondPlain(s.dump(), plain.dump());
    expectGolden(std::string("view-") + group + "/" + scenes[i].name, dump);
  }
}

TEST(ViewGolden, Series) { expectScenes("series", kSeries, std::size(kSeries)); }
TEST(ViewGolden, Axes) { expectScenes("axes", kAxes, std::size(kAxes)); }
TEST(ViewGolden, FrameLegendOverlays) { expectScenes("frame", kFrame, std::size(kFrame)); }
TEST(ViewGolden, ObjectsAndTexts) { expectScenes("objects", kObjects, std::size(kObjects)); }

// The paint step only reads: painting leaves the document file as the preparation left
// it, a second paint records the same operations; the document the
// expressions read is the drawn one again afterwards.
TEST(ViewGolden, PaintOnlyReads) {
  const std::pair<const Scene*, std::size_t> groups[] = {{kSeries, std::size(kSeries)},
                                                         {kAxes, std::size(kAxes)},
                                                         {kFrame, std::size(kFrame)},
                                                         {kObjects, std::size(kObjects)}};
  for (const auto& [scenes, count] : groups) {
    for (std::size_t i = 0; i < count; ++i) {
      ViewScene s;
      setUp(s, scenes[i]);
      s.view.prepare(s.canvas);
      // Sub-plots included: painting writes nothing that the document file holds.
      const std::string file = dataRepresentationOfType(s.doc, kDocumentType);
      s.view.drawRect(s.canvas);
      EXPECT_EQ(dataRepresentationOfType(s.doc, kDocumentType), file) << scenes[i].name;
      const std::string first = s.dump();
      s.canvas = RecordingCanvas();
      s.view.drawRect(s.canvas);
      EXPECT_EQ(s.dump(), first) << scenes[i].name;
      EXPECT_EQ(s.m.calcDocument, &s.doc) << scenes[i].name;
    }
  }
}

}  // namespace
}  // namespace xyla::test
