#include <cstdint>
#include <cstring>

#include "import_fixture.h"
#include "io/tabulix_import.h"
#include "render/font_choice.h"

namespace xyla::test {
namespace {

// 4-byte floats as the file stores them: in the machine's order or reversed.
std::string floats(std::initializer_list<float> values, bool reversed) {
  std::string out;
  for (float v : values) {
    char b[4];
    std::memcpy(b, &v, 4);
    if (reversed) std::reverse(b, b + 4);
    out.append(b, 4);
  }
  return out;
}

// The magic number written by a machine of the other byte order.
std::string foreignMagic() {
  const std::uint32_t v = __builtin_bswap32(0x50ab40cd);
  return std::string(reinterpret_cast<const char*>(&v), 4);
}

// The fields of one data buffer in a data block, before its points.
std::string bufferHead(int points, const std::string& comment, int errorX, int style, int symbol) {
  return std::to_string(points) + "\n1\nsrc\n" + comment + "\n" + std::to_string(errorX) +
         "\n0\n1\n0\n0\n0\n0\n1.5\n" + std::to_string(style) + "\n3\n0\n0\n" + std::to_string(symbol) + "\n2\n0.25\n";
}

// A plot file with every kind of section, written from the format's description.
std::string plotFile() {
  std::string f = "Tabulix.7 written by hand\r\n";
  f += "### MAGICNUMBER\n" + foreignMagic() + "\n";
  f += "### WINDOW\n700\n500\n10\n20\n0\n";
  f += "### XY RANGE\n0\n10\n-1\n1\n### SEC XY RANGE\n5\n6\n7\n8\n";
  f += "### BACKGROUND COLOR\n1\n0.5\n0\n### FRAME STYLE\n2\n### GRID COLOR\n0\n0\n1\n";
  f += "### X AXIS TEXT(NEW)\nEnergy [eV]\n### Y AXIS TEXT\nCounts\n";
  f += "### PLOT DIRECTION\n1\n0\n### LEFT X MARGIN\n60\n### UPPER Y MARGIN\n30\n### FRAME SIZE\n1.5\n";
  f += "### SEC XAXIS GRAFIK\n1\n0\n0\n0\n0\n1\n0\n0\n0\n";
  f += "### DATA (ASCII)\n2\n0\n0\n0\n0\n";
  f += bufferHead(2, "lines and symbols", 0, 4, 5) + "1\n2\n3\n4\n";
  f += bufferHead(1, "bars", 1, 5, 7) + "5\n6\n";
  f += "### DATA SLT\n9\n10\n### DATA COLOR\n1\n0\n0\n0\n1\n0\n";
  f += "### DATA\n1\n0\n0\n0\n0\n" + bufferHead(2, "binary", 0, 0, 2) + floats({1.5f, 2.5f}, true) +
       floats({-1.f, 1e20f}, true);
  f += "\n### TEXT\n2\n50\n50\n12\n0\nNoSuchFontFamily\n5\nHello\n";
  f += "5\n0\n18\n1\nHelvetica\n2\nab\n";
  f += "### TEXT ANGLE\n90\n0\n### TEXT COLOR\n0\n1\n0\n0\n0\n0\n### TEXT ORIENTATION\n2\n1\n";
  f += "### GRAPHIC\n2\n7\n0\n0\n100\n100\n2\n3\n1\n0\n14\n1\n-1\n9\n1\n1\n0\n0\n1\n";
  f += "### GRAPHIC COLOR\n0.2\n0.4\n0.6\n1\n1\n0\n";
  f += "### SUBVIEW START\n200\n100\n300\n250\n### XY RANGE\n0\n2\n0\n4\n### DATA (ASCII)\n1\n0\n0\n0\n0\n" +
       bufferHead(1, "inset", 0, 2, 1) + "7\n8\n### SUBVIEW END\n";
  f += "### LEGTEXT COLOR\n0\n0.5\n0\n";
  return f;
}

std::string colour(const Colour& c) {
  std::ostringstream s;
  s << c.r << ' ' << c.g << ' ' << c.b;
  return s.str();
}

// The document fields the plot file sets, one line each.
std::string describe(const XylaDocument& d) {
  std::ostringstream s;
  s << "window " << d.winw << 'x' << d.winh << '+' << d.winx << '+' << d.winy << "\n";
  s << "range1 " << d.xmin1 << ' ' << d.xmax1 << ' ' << d.ymin1 << ' ' << d.ymax1 << " range2 " << d.xmin2 << ' '
    << d.xmax2 << ' ' << d.ymin2 << ' ' << d.ymax2 << "\n";
  s << "background " << colour(d.backgroundcolor) << " grid " << colour(d.gridcolor[3]) << " legend "
    << colour(d.legendcolor) << "\n";
  s << "frame " << d.framestyle << (d.framearrows ? " arrows " : " ") << d.framewidth << " margins "
    << d.marginleft << ' ' << d.margintop << "\n";
  s << "titles " << d.axistext[0] << " | " << d.axistext[1] << " reverse " << d.reverse[0] << d.reverse[1] << "\n";
  s << "top axis " << d.axismode[2] << d.axis[2] << d.numbers[2] << d.text[2] << "\n";
  for (const auto& b : d.DB) {
    s << "buffer " << b->comment << ": " << ImportFixture::points(*b) << " | lines " << b->plotlines << " symbols "
      << b->plotsymbols << " ybars " << b->plotybars << " dash " << b->dash << " symbol " << b->symbol << " size "
      << b->symbolsize << " width " << b->linewidth << " colour " << colour(b->color) << " errors "
      << b->errorbarx << b->errorbary << ' ' << b->errorvalx << ' ' << b->errorvaly << "\n";
  }
  for (const auto& t : d.T) {
    s << "text " << t->text << " at " << t->tloc.x << ',' << t->tloc.y << " font '" << t->font.family << "' "
      << t->font.size << " angle " << t->angle << " align " << t->textalign << " colour " << colour(t->color)
      << "\n";
  }
  for (const auto& g : d.G) {
    const auto p = g->getPoints();
    s << "graphic type " << g->type << " fill " << g->fill << " arrows " << g->arrow1 << g->arrow2 << " type "
      << g->arrowtype << " size " << g->arrowsize << " dash " << g->dashp << " points " << p.x1 << ',' << p.y1
      << ' ' << p.x2 << ',' << p.y2 << " colour " << colour(g->color) << "\n";
  }
  for (const auto& sub : d.subplots)
    s << "subplot at " << sub->subviewx << ',' << sub->subviewy << ' ' << sub->subvieww << 'x' << sub->subviewh
      << "\n" << describe(*sub) << "end subplot\n";
  return s.str();
}

TEST_F(ImportFixture, TabulixPlotFileBecomesADocument) {
  ASSERT_TRUE(openTabulixFile(doc, file("plot.tx", plotFile()), ui));
  EXPECT_TRUE(ui.alerts.empty());
  // The text at (50, 50) percent sits in the middle of the plot area inside the margins,
  // x = 60 + (640 - 60 - 10) / 2, y = 80 + (480 - 30 - 80) / 2, and so does the data
  // point (5, 0) of range 1; the graphics' corners are the plot's corners.
  EXPECT_EQ(describe(doc),
            "window 700x500+10+20\n"
            "range1 0 10 -1 1 range2 5 6 7 8\n"
            "background 1 0.5 0 grid 0 0 1 legend 0 0.5 0\n"
            "frame 2 arrows 1.5 margins 60 30\n"
            "titles Energy [eV] | Counts reverse 10\n"
            "top axis 1110\n"
            "buffer lines and symbols: 1,2 3,4 | lines 1 symbols 1 ybars 0 dash 9 symbol 5 size 6 width 1.5 colour 1 0 0 "
            "errors 02 0 0.25\n"
            "buffer bars: 5,6 | lines 0 symbols 0 ybars 1 dash 10 symbol 7 size 6 width 1.5 colour 0 1 0 errors 20 0.25 0\n"
            "buffer binary: 1.5,-1 2.5,1.00000002e+20 | lines 1 symbols 0 ybars 0 dash 2 symbol 2 size 6 width 1.5 "
            "colour 0 0 0 errors 02 0 0.25\n"
            "text Hello at 345,265 font '' 14 angle 90 align 1 colour 0 1 0\n"
            "text ab at 345,265 font 'Helvetica' 18 angle 0 align 2 colour 0 0 0\n"
            "graphic type 0 fill 0 arrows 11 type 1 size 9 dash 3 points 60,80 630,450 colour 0.2 0.4 0.6\n"
            "graphic type 2 fill 1 arrows 00 type 0 size 6 dash 0 points 117,80 573,450 colour 1 1 0\n"
            "subplot at 300,250 200x100\n"
            "window 0x0+0+0\n"
            "range1 0 2 0 4 range2 0 1 0 1\n"
            "background 1 1 1 grid 0.333333 0.333333 0.333333 legend 0 0 0\n"
            "frame 0 2 margins 80 10\n"
            "titles  |  reverse 00\n"
            "top axis 0011\n"
            "buffer inset: 7,8 | lines 0 symbols 1 ybars 0 dash 1 symbol 1 size 6 width 1.5 colour 0 0 0 errors 02 0 0.25\n"
            "end subplot\n");
}

// A file cut anywhere keeps what was read before the cut and never fails.
TEST_F(ImportFixture, TabulixFileCutAnywhereKeepsWhatWasRead) {
  const std::string whole = plotFile();
  std::size_t lastBuffers = 0;
  for (std::size_t cut = 10; cut < whole.size(); cut += 7) {
    XylaDocument d(&m);
    ASSERT_TRUE(openTabulixFile(d, file("cut.tx", whole.substr(0, cut)), ui)) << cut;
    EXPECT_GE(d.DB.size(), lastBuffers) << cut;
    lastBuffers = d.DB.size();
  }
  EXPECT_EQ(lastBuffers, 3u);
}

TEST_F(ImportFixture, TabulixRefusalsAndAbsurdCounts) {
  XylaDocument d(&m);
  EXPECT_FALSE(openTabulixFile(d, settings.path("missing.tx"), ui));
  EXPECT_FALSE(openTabulixFile(d, file("old.tx", "Tabulix.6\n### XY RANGE\n1\n2\n3\n4\n"), ui));
  EXPECT_FALSE(openTabulixFile(d, file("empty.tx", ""), ui));
  EXPECT_EQ(alerts(), "Alert: Can Not Open File\nAlert: Unkown File Format\nAlert: Unkown File Format\n");
  EXPECT_EQ(d.xmax1, 1.0);
  ui.alerts.clear();
  // Counts far beyond the file, negative counts and numbers too large for an int.
  const std::string absurd = "Tabulix.7\n### DATA\n2000000000\n0\n0\n0\n0\n" + bufferHead(2147483647, "big", 0, 0, 0) +
                             "ab\n### TEXT\n-5\n### TEXT\n1\n0\n0\n12\n0\nF\n99999999999\nabc\n";
  EXPECT_TRUE(openTabulixFile(d, file("absurd.tx", absurd), ui));
  ASSERT_EQ(d.DB.size(), 1u);
  EXPECT_EQ(d.DB[0]->count(), 0);
  EXPECT_TRUE(d.T.empty());
  EXPECT_EQ(alerts(), "Nothing Imported: No points were read from " + settings.path("absurd.tx") + ".\n");
}

// A few bytes may ask for a whole sub-plot, a buffer or a text: the reader charges each
// against a budget that grows with the file, keeps what it read within it and says so.
// Unknown font names are looked up among fontconfig's aliases only the first few times.
TEST_F(ImportFixture, TabulixFilesAskingForMoreThanTheyHoldAreCut) {
  std::string blocks = "Tabulix.7\n";
  for (int i = 0; i < 5000; ++i) blocks += "### SUBVIEW START\n100\n80\n10\n10\n### SUBVIEW END\n";
  XylaDocument d(&m);
  ASSERT_TRUE(openTabulixFile(d, file("blocks.tx", blocks), ui));
  EXPECT_GT(d.subplots.size(), 100u);
  EXPECT_LT(d.subplots.size(), 2000u);
  EXPECT_EQ(alerts(), "Alert: The file " + settings.path("blocks.tx") +
                          " asks for more than a file of its size can hold; what was read before is kept.\n");

  std::string fonts = "Tabulix.7\n### TEXT\n500\n";
  for (int i = 0; i < 500; ++i) fonts += "1\n1\n12\n0\nNoSuchFace" + std::to_string(i) + "\n1\nx\n";
  const int before = fontAliasLookups();
  XylaDocument f(&m);
  ASSERT_TRUE(openTabulixFile(f, file("fonts.tx", fonts), ui));
  EXPECT_EQ(f.T.size(), 500u);
  EXPECT_LE(fontAliasLookups() - before, 64);
}

// Texts of older files are Latin-1; UTF-8 stays as it is.
TEST_F(ImportFixture, TabulixTextThatIsNoUtf8IsLatin1) {
  const std::string f =
      "Tabulix.7\n### X AXIS TEXT\nIntensit\xe9\n### Y AXIS TEXT\nIntensit\xc3\xa9\n"
      "### TEXT\n1\n1\n1\n12\n0\nF\n3\n\xb5m\xb2\n";
  XylaDocument d(&m);
  ASSERT_TRUE(openTabulixFile(d, file("latin1.tx", f), ui));
  EXPECT_EQ(d.axistext[0], "Intensit\xc3\xa9");
  EXPECT_EQ(d.axistext[1], "Intensit\xc3\xa9");
  ASSERT_EQ(d.T.size(), 1u);
  EXPECT_EQ(d.T[0]->text, "\xc2\xb5m\xc2\xb2");
}

// Inputs that once broke the reader (the first byte is the fuzz target's switch).
TEST_F(ImportFixture, TabulixFuzzRegressionsReadCleanly) {
  for (const char* name : {"tabulix_import-largest-range-number.bin", "tabulix_import-text-font-lookup.bin"}) {
    const std::string bytes = readFile(dataDir() + "/fuzz-regressions/" + name);
    ASSERT_FALSE(bytes.empty()) << name;
    XylaDocument d(&m);
    const std::string body = (bytes[0] & 1 ? "Tabulix.7\n" : "") + bytes.substr(1);
    EXPECT_TRUE(openTabulixFile(d, file("regression.tx", body), ui)) << name;
  }
}

TEST_F(ImportFixture, TabulixMenuActionMakesOneDocumentPerReadableFile) {
  const std::string good = file("a.tx", "Tabulix.7\n### DATA (ASCII)\n1\n0\n0\n0\n0\n" + bufferHead(1, "c", 0, 0, 0) + "1\n2\n");
  ui.answerOpen({good, file("b.tx", "nothing\n")});
  const auto docs = tabulixImportAction(m);
  EXPECT_EQ(ui.panelTitles, std::vector<std::string>{"Tabulix Import"});
  ASSERT_EQ(docs.size(), 1u);
  EXPECT_EQ(dump(*docs[0]), "1,2\n");
  EXPECT_EQ(settings->getString("PATH"), settings.path(""));
}

}  // namespace
}  // namespace xyla::test
