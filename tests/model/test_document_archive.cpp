#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <bit>
#include <cmath>
#include <cstring>
#include <functional>

#include "model/buffer_archive.h"
#include "model/document_archive.h"
#include "model/document_file.h"
#include "model/graphic_object.h"
#include "model/keyed_archive.h"
#include "model/manager.h"
#include "model/text_object.h"
#include "model/xyla_document.h"
#include "support/archive_outline.h"
#include "support/document_fixture.h"
#include "support/file_size_limit.h"
#include "support/golden.h"
#include "support/memory_limit.h"
#include "support/scripted_ui.h"
#include "support/temp_settings.h"
#include "support/test_files.h"

using namespace xyla;
using archive::ArchiveWriter;
using archive::PlistFormat;

namespace {

// Empty when both files are equal, otherwise the text around their first difference.
std::string firstDifference(const std::string& a, const std::string& b) {
  if (a == b) return "";
  std::size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  const std::size_t from = i > 300 ? i - 300 : 0;
  return a.substr(from, 360) + "\n---- versus ----\n" + b.substr(from, 360);
}

using test::populateDocument;
using test::shade;

class DocumentArchiveTest : public test::DocumentFixture {
 protected:
  // Loads `bytes` into a fresh document with `type`.
  std::unique_ptr<XylaDocument> load(const std::string& bytes, const std::string& type = kDocumentType) {
    auto d = std::make_unique<XylaDocument>(&m);
    EXPECT_TRUE(loadDataRepresentation(*d, bytes, type, ui));
    return d;
  }
};

// Writes a document record of format `verno` whose single buffer, of the same format,
// is filled by `fill`.
std::string oldFile(int verno, const std::function<void(ArchiveWriter&, ArchiveWriter::Record&)>& fill) {
  ArchiveWriter w;
  ArchiveWriter::Record d = w.record(kDocumentType);
  d.setInt("verno", verno);
  ArchiveWriter::Record b = w.record("DataBuffer");
  b.setInt("verno", verno);
  fill(w, b);
  d.setObject("buffer", w.list({b.uid()}));
  return w.finish(d.uid());
}

// A buffer of format `verno` whose X and Y blocks hold the bytes `x` and `y` as given.
std::string blockFile(int verno, int byteorder, const std::string& x, const std::string& y,
                      const std::function<void(ArchiveWriter&, ArchiveWriter::Record&)>& more = {}) {
  return oldFile(verno, [&](ArchiveWriter& w, ArchiveWriter::Record& b) {
    b.setInt("byteorder", byteorder);
    b.setObject("X", w.data(x.data(), x.size()));
    b.setObject("Y", w.data(y.data(), y.size()));
    if (more) more(w, b);
  });
}

// The numbers of `v` as 8-byte doubles in big- or little-endian order.
std::string block(const std::vector<double>& v, bool bigEndian) {
  std::string out(v.size() * 8, '\0');
  for (std::size_t i = 0; i < v.size(); ++i) {
    const auto bits = std::bit_cast<std::uint64_t>(v[i]);
    for (int j = 0; j < 8; ++j) out[i * 8 + j] = char(bits >> (bigEndian ? 56 - 8 * j : 8 * j));
  }
  return out;
}

}  // namespace

TEST_F(DocumentArchiveTest, EveryFieldSurvivesARoundTripInBothForms) {
  populateDocument(doc, 0);
  for (PlistFormat format : {PlistFormat::Xml, PlistFormat::Binary}) {
    const std::string bytes = dataRepresentationOfType(doc, kDocumentType, format);
    const auto back = load(bytes);
    // The writer stores every field, so a field the reader missed would show up as a
    // default value in the second file.
    EXPECT_EQ(firstDifference(dataRepresentationOfType(*back, kDocumentType),
                              dataRepresentationOfType(doc, kDocumentType)),
              "");
    EXPECT_EQ(back->verno, kArchiveVerno);
    EXPECT_TRUE(back->resizewin);
    ASSERT_EQ(back->bufferCount(), 3);
    const DataBuffer& b = *back->DB[2];
    EXPECT_EQ(b.X, doc.DB[2]->X);
    EXPECT_EQ(b.EY, doc.DB[2]->EY);
    EXPECT_EQ(b.getXmax(), doc.DB[2]->getXmax());
    EXPECT_EQ(back->F[0].get(FitCell::A), "284.5~");
    // Every field of every table came back (rm is the one buffer field the file lacks).
    EXPECT_EQ(test::differingFields(documentProperties(), *back, doc), "");
    for (int k = 0; k < 4; ++k) EXPECT_EQ(test::differingFields(axisProperties(), *back, doc, k), "") << k;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(test::differingFields(bufferProperties(), *back->DB[i], *doc.DB[i]), "rm ");
    ASSERT_EQ(back->T.size(), 2u);
    EXPECT_EQ(test::differingFields(textProperties(), *back->T[0], *doc.T[0]), "");
    EXPECT_EQ(back->T[0]->PD, back.get());
    ASSERT_EQ(back->G.size(), 2u);
    EXPECT_EQ(test::differingFields(graphicProperties(), *back->G[0], *doc.G[0]), "");
    EXPECT_EQ(back->G[0]->image, doc.G[0]->image);
    EXPECT_FALSE(back->G[1]->hasImage());
    EXPECT_EQ(back->G[0]->PD, back.get());
  }
  EXPECT_TRUE(ui.alerts.empty());
  EXPECT_EQ(dataRepresentationOfType(doc, "Layout"), "");
  // The file format itself stays as it is: the keys, kinds and encodings of this
  // document's file, as reviewed (an outline, independent of how the objects are numbered).
  test::expectGolden("document-every-field", test::ArchiveOutline(dataRepresentationOfType(doc, kDocumentType)).text());
}

// Read through the archive layer, independently of the document reader (the golden file
// pins every other key): the legend's place and spacing are stored as integers cut
// towards zero, and a buffer says in which order its number bytes stand.
TEST_F(DocumentArchiveTest, LegendNumbersAreStoredCutTowardsZero) {
  doc.newBuffer().addDoubleValue(1, 2);
  doc.legendx = 12.9;
  doc.legendspace = -3.7;
  const auto reader = archive::ArchiveReader::open(dataRepresentationOfType(doc, kDocumentType));
  ASSERT_TRUE(reader);
  const auto root = reader->root();
  EXPECT_EQ(root.get("legendx").asInt(), 12);
  EXPECT_EQ(root.get("legendspace").asInt(), -3);
  const auto rec = root.get("buffer").asList()->at(0);
  EXPECT_EQ(rec.get("byteorder").asInt(), std::endian::native == std::endian::little ? 0 : 1);
  EXPECT_EQ(rec.get("X").asData()->size(), 8u);
  const auto back = load(dataRepresentationOfType(doc, kDocumentType));
  EXPECT_EQ(back->legendx, 12.0);
  EXPECT_EQ(back->legendspace, -3.0);
}

TEST_F(DocumentArchiveTest, PartialLoadsChangeOnlyTheirGroup) {
  XylaDocument source(&m);
  populateDocument(source, 1);
  const std::string file = dataRepresentationOfType(source, kDocumentType);
  const XylaDocument fresh(&m);
  const std::string untouched = dataRepresentationOfType(fresh, kDocumentType);

  const auto range = load(file, "Range");
  EXPECT_EQ(range->ymax2, source.ymax2);
  EXPECT_EQ(range->xmin1, source.xmin1);
  range->xmin1 = 0, range->xmax1 = 1, range->ymin1 = 0, range->ymax1 = 1;
  range->xmin2 = 0, range->xmax2 = 1, range->ymin2 = 0, range->ymax2 = 1;
  EXPECT_EQ(firstDifference(dataRepresentationOfType(*range, kDocumentType), untouched), "");

  const auto fit = load(file, "Fit");
  EXPECT_EQ(fit->F, source.F);
  EXPECT_EQ(fit->f_limit, source.f_limit);
  EXPECT_EQ(fit->bufferCount(), 0);
  EXPECT_EQ(fit->xmax1, 1.0);
  EXPECT_EQ(fit->marginleft, 80.0);

  const auto data = load(file, "Data");
  EXPECT_EQ(data->bufferCount(), 3);
  EXPECT_EQ(data->mtname, source.mtname);
  EXPECT_EQ(data->F, fresh.F);
  EXPECT_EQ(data->framecolor, fresh.framecolor);

  const auto colors = load(file, "Colors");
  EXPECT_EQ(colors->framecolor, source.framecolor);
  EXPECT_EQ(colors->zerocolor[3], source.zerocolor[3]);
  EXPECT_EQ(colors->axistextcolor[0], fresh.axistextcolor[0]);  // a layout colour
  EXPECT_EQ(colors->legendcolor, fresh.legendcolor);
  EXPECT_EQ(colors->legendfont, fresh.legendfont);
  EXPECT_EQ(colors->marginleft, 80.0);

  const auto fonts = load(file, "Fonts");
  EXPECT_EQ(fonts->legendfont, source.legendfont);
  EXPECT_EQ(fonts->textfont[2], source.textfont[2]);
  EXPECT_EQ(fonts->framecolor, fresh.framecolor);
  EXPECT_EQ(fonts->axis, fresh.axis);

  // A layout load brings fonts and colours along, but no data, ranges or fit table.
  const auto layout = load(file, "Layout");
  EXPECT_EQ(layout->marginleft, source.marginleft);
  EXPECT_EQ(layout->legendfont, source.legendfont);
  EXPECT_EQ(layout->framecolor, source.framecolor);
  EXPECT_EQ(layout->legendbgcolor, source.legendbgcolor);
  EXPECT_EQ(layout->angle[3], source.angle[3]);
  EXPECT_EQ(layout->bufferCount(), 0);
  EXPECT_EQ(layout->xmax1, 1.0);
  EXPECT_EQ(layout->F, fresh.F);
  EXPECT_EQ(layout->winw, 0);
  EXPECT_FALSE(layout->resizewin);
  EXPECT_FALSE(layout->autoupdate);

  const auto tg = load(file, "TG");
  EXPECT_EQ(tg->T.size(), 2u);
  EXPECT_EQ(tg->G.size(), 2u);
  tg->T.clear();
  tg->G.clear();
  EXPECT_EQ(firstDifference(dataRepresentationOfType(*tg, kDocumentType), untouched), "");
  EXPECT_TRUE(layout->T.empty());
  EXPECT_TRUE(data->G.empty());
}

TEST_F(DocumentArchiveTest, PartialFilesByModeAndFileErrors) {
  populateDocument(doc, 0);
  const std::string path = settings.path("plot.xyla");
  ASSERT_TRUE(saveDocumentFile(doc, path, ui));
  EXPECT_FALSE(doc.edited);

  XylaDocument target(&m);
  EXPECT_TRUE(loadPartialFile(target, path, 5, ui));
  EXPECT_EQ(target.F, doc.F);
  EXPECT_EQ(target.bufferCount(), 0);
  EXPECT_FALSE(loadPartialFile(target, path, 7, ui));
  EXPECT_FALSE(loadPartialFile(target, path, -1, ui));
  EXPECT_TRUE(loadPartialFile(target, path, 2, ui));
  EXPECT_EQ(target.xmin1, doc.xmin1);
  EXPECT_TRUE(ui.alerts.empty());

  XylaDocument opened(&m);
  ASSERT_TRUE(openDocumentFile(opened, path, ui));
  EXPECT_EQ(opened.bufferCount(), 3);

  EXPECT_FALSE(openDocumentFile(opened, settings.path("missing.xyla"), ui));
  ASSERT_EQ(ui.alerts.size(), 1u);
  EXPECT_EQ(ui.alerts[0].title, "File Open Error");

  // Not a document: an archive without "verno", or no archive at all.
  ArchiveWriter w;
  ArchiveWriter::Record r = w.record(kDocumentType);
  r.setDouble("xmin1", 5.0);
  test::writeFile(path, w.finish(r.uid()));
  EXPECT_FALSE(openDocumentFile(opened, path, ui));
  EXPECT_EQ(opened.xmin1, doc.xmin1);
  EXPECT_EQ(opened.bufferCount(), 3);
  ASSERT_EQ(ui.alerts.size(), 2u);
  EXPECT_EQ(ui.alerts[1].title, "File Open Error");
  EXPECT_EQ(ui.alerts[1].message, "This is not a valid Xyla file");
  EXPECT_EQ(ui.alerts[1].buttons, std::vector<std::string>{"Ok"});
  EXPECT_FALSE(loadDataRepresentation(opened, "1 2 3\n4 5 6\n", kDocumentType, ui));
  EXPECT_EQ(ui.alerts.back().message, "This is not a valid Xyla file");
}

TEST_F(DocumentArchiveTest, AFailedSaveKeepsTheOldFileAndLeavesNoTemporaryFile) {
  // The rename at the end cannot replace a folder that holds a file: everything before
  // it succeeds, the last step fails (also for a user whose rights ignore permissions).
  const QDir folder(QString::fromStdString(settings.path("")));
  ASSERT_TRUE(folder.mkpath("taken.xyla"));
  const std::string inside = settings.path("taken.xyla/old");
  test::writeFile(inside, "old contents");
  const QStringList before = folder.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
  doc.newBuffer();
  doc.edited = true;
  EXPECT_FALSE(saveDocumentFile(doc, settings.path("taken.xyla"), ui));
  EXPECT_EQ(test::readFile(inside), "old contents");
  EXPECT_EQ(folder.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), before);
  EXPECT_TRUE(doc.edited);
  ASSERT_EQ(ui.alerts.size(), 1u);
  EXPECT_EQ(ui.alerts[0].title, "File Save Error");
  EXPECT_NE(ui.alerts[0].message.find("taken.xyla"), std::string::npos);

  // Saving over an existing file replaces it completely.
  const std::string path = settings.path("plot.xyla");
  test::writeFile(path, std::string(1 << 16, 'x'));
  ASSERT_TRUE(saveDocumentFile(doc, path, ui));
  EXPECT_EQ(test::readFile(path), dataRepresentationOfType(doc, kDocumentType));

  // A disk that fills up: the message says what the system said, the old file stays.
  for (int i = 0; i < 2000; ++i) doc.buffer(0)->addDoubleValue(i, i);
  const std::string saved = test::readFile(path);
  {
    const test::FileSizeLimit limit(4096);
    EXPECT_FALSE(saveDocumentFile(doc, path, ui));
  }
  EXPECT_EQ(test::readFile(path), saved);
  EXPECT_EQ(ui.alerts.back().message.find("Could not write " + path + ": File too large"), 0u) << ui.alerts.back().message;
  EXPECT_EQ(folder.entryList(QDir::Files | QDir::Hidden).filter(".plot").size(), 0);

  // A symbolic link keeps pointing at its file, which is replaced.
  const std::string link = settings.path("link.xyla");
  ASSERT_EQ(::symlink(path.c_str(), link.c_str()), 0);
  ASSERT_TRUE(saveDocumentFile(doc, link, ui));
  EXPECT_TRUE(QFileInfo(QString::fromStdString(link)).isSymLink());
  EXPECT_EQ(test::readFile(path), dataRepresentationOfType(doc, kDocumentType));
}

// A document of very many buffers is saved in memory proportional to its file, or, when
// even that is not there, refused with the old file intact; either way without a crash.
TEST_F(DocumentArchiveTest, ManyBuffersSaveWithinMemoryOrFailCleanly) {
  if (test::kAddressSanitizer) GTEST_SKIP() << "address space limits do not apply under the sanitizer";
  constexpr int kBuffers = 5000;
  const std::string path = settings.path("many.xyla");
  for (int i = 0; i < kBuffers; ++i) addBuffer({1, 2, 3}, {4, 5, double(i)});
  const struct {
    std::size_t headroom;  // bytes of memory beyond what the test holds already
    bool saves;
  } cases[] = {{64u << 20, true}, {8u << 20, false}};
  for (const auto& c : cases) {
    test::writeFile(path, "old");
    EXPECT_EXIT(
        {
          test::limitMemoryTo(c.headroom);
          const bool saved = saveDocumentFile(doc, path, ui);
          const bool kept = test::readFile(path) == "old";
          const bool told = !ui.alerts.empty() && ui.alerts[0].title == "File Save Error";
          std::exit(saved == c.saves && kept != saved && told != saved ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "")
        << c.headroom;
  }
  // A buffer costs less than the 4.8 kB it took when colours were not shared, and the
  // file holds every buffer.
  ASSERT_TRUE(saveDocumentFile(doc, path, ui));
  const std::string bytes = test::readFile(path);
  EXPECT_LT(bytes.size() / kBuffers, 3500u);
  EXPECT_EQ(load(bytes)->bufferCount(), kBuffers);
}

// Settings that are not finite (a damaged or hostile file) keep their values.
TEST_F(DocumentArchiveTest, SettingsThatAreNotFiniteAreLeftAsTheyWere) {
  ArchiveWriter w;
  ArchiveWriter::Record r = w.record(kDocumentType);
  r.setInt("verno", 20);
  r.setDouble("marginleft", std::nan(""));
  r.setDouble("marginbottom", INFINITY);
  r.setDouble("margintop", 7.5);
  XylaDocument loaded(&m);
  const XylaDocument fresh(&m);
  ASSERT_TRUE(loadDataRepresentation(loaded, w.finish(r.uid()), kDocumentType, ui));
  EXPECT_EQ(loaded.marginleft, fresh.marginleft);
  EXPECT_EQ(loaded.marginbottom, fresh.marginbottom);
  EXPECT_EQ(loaded.margintop, 7.5);
}

// A list that names one record many times costs memory for every copy: past the budget
// of the file's size the open fails cleanly instead of exhausting memory.
TEST_F(DocumentArchiveTest, ABufferListRepeatingOneRecordIsRefused) {
  DataBuffer b;
  for (int i = 0; i < 10; ++i) b.addDoubleValue(i, i);
  auto archiveWith = [&](int copies) {
    ArchiveWriter w;
    ArchiveWriter::Record r = w.record(kDocumentType);
    r.setInt("verno", 20);
    const archive::Uid one = encodeBuffer(w, b);
    r.setObject("buffer", w.list(std::vector<archive::Uid>(static_cast<std::size_t>(copies), one)));
    return w.finish(r.uid(), PlistFormat::Binary);
  };
  XylaDocument few(&m);
  ASSERT_TRUE(loadDataRepresentation(few, archiveWith(100), kDocumentType, ui));
  EXPECT_EQ(few.bufferCount(), 100);
  XylaDocument many(&m);
  const std::string bytes = archiveWith(300000);
  EXPECT_LT(bytes.size(), 4u << 20);
  EXPECT_FALSE(loadDataRepresentation(many, bytes, kDocumentType, ui));
  ASSERT_FALSE(ui.alerts.empty());
  EXPECT_EQ(ui.alerts.back().title, "File Open Error");
}

TEST_F(DocumentArchiveTest, SubPlotsNestOneLevelAndNeedAPositiveFrame) {
  populateDocument(doc, 0);
  auto addSub = [&](double w, double h, double margin) {
    auto sub = std::make_unique<XylaDocument>(&m);
    sub->subview = true;
    sub->MPD = &doc;
    sub->subviewx = 50, sub->subviewy = 60, sub->subvieww = w, sub->subviewh = h;
    sub->marginleft = margin;
    sub->newBuffer().addDoubleValue(1, 2);
    doc.subplots.push_back(std::move(sub));
  };
  addSub(200, 100, 33);
  doc.subplots[0]->sharex = true;  // a residual panel under the main plot
  addSub(0, 100, 34);    // no width: not written
  addSub(150, -20, 35);  // written, but dropped on loading
  addSub(120, 90, 36);
  const std::string file = dataRepresentationOfType(doc, kDocumentType);
  const auto reader = archive::ArchiveReader::open(file);
  EXPECT_EQ(reader->root().get("subviews").asInt(), 4);
  EXPECT_FALSE(reader->root().has("subview1"));
  EXPECT_TRUE(reader->root().has("subview2"));
  EXPECT_FALSE(reader->root().get("subview0").has("subviews"));

  const auto back = load(file);
  ASSERT_EQ(back->subplots.size(), 2u);
  const XylaDocument& s0 = *back->subplots[0];
  EXPECT_TRUE(s0.subview);
  EXPECT_EQ(s0.MPD, back.get());
  EXPECT_EQ(s0.M, &m);
  EXPECT_EQ(s0.subvieww, 200.0);
  EXPECT_EQ(s0.subviewy, 60.0);
  EXPECT_EQ(s0.marginleft, 33.0);
  EXPECT_TRUE(s0.sharex);
  EXPECT_FALSE(back->subplots[1]->sharex);
  EXPECT_EQ(s0.bufferCount(), 1);
  EXPECT_EQ(back->subplots[1]->marginleft, 36.0);
  // Partial loads leave the sub-plots alone.
  const auto layout = load(file, "Layout");
  EXPECT_TRUE(layout->subplots.empty());
}

TEST_F(DocumentArchiveTest, OldBufferRecordsFollowTheirVersionRules) {
  const std::vector<double> xs{1.0, 2.5, -3.75}, ys{1e300, -0.0, 42.0};
  // Version 11 was always big-endian, whatever "byteorder" says; its bars, sticks and
  // errors take the line colour; "haveminmax" and "plotbars" are honoured.
  const auto v11 =
      load(blockFile(11, 0, block(xs, true), block(ys, true), [&](ArchiveWriter&, ArchiveWriter::Record& b) {
        b.setColour("color", shade(7));
        b.setColour("barcolor", shade(8));
        b.setBool("haveminmax", false);
        b.setBool("plotbars", true);
      }));
  ASSERT_EQ(v11->bufferCount(), 1);
  const DataBuffer& b11 = *v11->DB[0];
  EXPECT_EQ(b11.X, xs);
  EXPECT_EQ(b11.Y, ys);
  EXPECT_EQ(b11.barcolor, shade(7));
  EXPECT_EQ(b11.errorcolor, shade(7));
  EXPECT_EQ(b11.fillcolor, Colour::black());
  EXPECT_TRUE(b11.plotybars);
  EXPECT_FALSE(b11.havexminmax);
  EXPECT_EQ(v11->verno, 11);

  // From version 12 on "byteorder" decides; newer keys win over the old ones; errors
  // need both lists; a block whose length is not a multiple of 8 loses its tail.
  const auto v30 = load(
      blockFile(30, 0, block(xs, false), block(ys, false) + "xyz", [&](ArchiveWriter& w, ArchiveWriter::Record& b) {
        const std::string x = block(xs, false);
        b.setObject("EX", w.data(x.data(), x.size()));
        b.setBool("plotbars", true);
        b.setBool("plotybars", false);
        b.setBool("haveminmax", false);
        b.setBool("havexminmax", true);
      }));
  const DataBuffer& b30 = *v30->DB[0];
  EXPECT_EQ(b30.X, xs);
  EXPECT_EQ(b30.Y, ys);
  EXPECT_TRUE(b30.EX.empty());
  EXPECT_FALSE(b30.plotybars);
  EXPECT_TRUE(b30.havexminmax);
  EXPECT_FALSE(b30.haveyminmax);
  EXPECT_EQ(b30.barcolor, Colour::black());

  // Big-endian by "byteorder" 1 and no swap for a byte order of another value.
  const std::string native(reinterpret_cast<const char*>(xs.data()), xs.size() * 8);
  EXPECT_EQ(load(blockFile(30, 1, block(xs, true), block(xs, true)))->DB[0]->X, xs);
  EXPECT_EQ(load(blockFile(30, 7, native, native))->DB[0]->Y, xs);

  // Version 4 stores plain number lists; lists of different lengths keep the shorter.
  const auto v4 = load(oldFile(4, [&](ArchiveWriter& w, ArchiveWriter::Record& b) {
    ArchiveWriter::Record n = w.record("NSNumber");
    b.setObject("X", w.list({w.string("ignored"), n.uid()}));
    b.setObject("Y", w.list({w.string("a"), w.string("b"), w.string("c")}));
  }));
  EXPECT_EQ(v4->DB[0]->X, (std::vector<double>{0.0, 0.0}));
  EXPECT_EQ(v4->DB[0]->count(), 2);
}

TEST_F(DocumentArchiveTest, OldDocumentsReadOnlyTheAxisKeysOfTheirVersion) {
  // A file with only some axis keys and a lower version.
  auto withVersion = [&](int verno) {
    ArchiveWriter out;
    ArchiveWriter::Record d = out.record(kDocumentType);
    d.setInt("verno", verno);
    d.setColour("mtickcolor1", shade(43));
    d.setColour("tickcolor1", shade(35));
    d.setInt("gridpattern2", 5);
    d.setInt("align2", 7);
    d.setDouble("angle2", 30.0);
    d.setBool("gridfront2", false);
    d.setString("scalstart0", "3");
    return out.finish(d.uid());
  };
  const XylaDocument fresh(&m);
  const auto v14 = load(withVersion(14));
  EXPECT_EQ(v14->tickcolor[1], shade(35));
  EXPECT_EQ(v14->mtickcolor[1], fresh.mtickcolor[1]);
  EXPECT_EQ(v14->scalstart[0], "");
  EXPECT_EQ(v14->F, fresh.F);  // no "fit": 24 empty rows
  EXPECT_FALSE(v14->sharex);   // files from before the shared X range was saved
  const auto v25 = load(withVersion(25));
  EXPECT_EQ(v25->mtickcolor[1], shade(43));
  EXPECT_EQ(v25->scalstart[0], "3");
  EXPECT_EQ(v25->gridpattern[2], 5);
  EXPECT_FALSE(v25->gridfront[2]);
  EXPECT_EQ(v25->align[2], fresh.align[2]);
  EXPECT_EQ(v25->angle[2], 0.0);
  const auto v26 = load(withVersion(26));
  EXPECT_EQ(v26->align[2], 7);
  EXPECT_EQ(v26->angle[2], 30.0);
  // Absent strings read as empty, absent numbers keep their value.
  EXPECT_EQ(v26->axistext[0], "");
  EXPECT_EQ(v26->marginleft, 80.0);
  EXPECT_EQ(v26->F.size(), 24u);
}

// The timers follow their settings, also in a reopened document, and only when the
// settings change: an explicit stop stands until then.
TEST_F(DocumentArchiveTest, TimersFollowTheirSettingsAcrossSaveAndReopen) {
  xyla::test::RecordedTimerWork work;
  m.macroRunner = &work;
  XylaDocument* d = &doc;
  std::unique_ptr<XylaDocument> reopened;
  const struct {
    const char* step;
    std::function<void(XylaDocument&)> change;
    bool reopen;
    TimerState macro, refresh;
    std::size_t runs;  // timer macro runs so far
  } steps[] = {
      {"nothing set", [](XylaDocument&) {}, false, {false, 0}, {false, 0}, 0},
      {"name a macro", [](XylaDocument& x) { x.mtname = "tick", x.mtinterval = 7; }, false, {true, 7}, {false, 0}, 1},
      {"refresh on", [](XylaDocument& x) { x.autoupdate = 1, x.updateinterval = 4; }, false, {true, 7}, {true, 4}, 1},
      {"saved and reopened", [](XylaDocument&) {}, true, {true, 7}, {true, 4}, 2},
      {"new interval", [](XylaDocument& x) { x.mtinterval = 2; }, false, {true, 2}, {true, 4}, 3},
      {"stopped by hand", [](XylaDocument& x) { x.clearMacroTimer(); }, false, {false, 2}, {true, 4}, 3},
      {"name cleared", [](XylaDocument& x) { x.mtname.clear(); }, false, {false, 2}, {true, 4}, 3},
      {"refresh off", [](XylaDocument& x) { x.autoupdate = false; }, false, {false, 2}, {false, 4}, 3},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.step);
    s.change(*d);
    if (s.reopen) {
      reopened = load(dataRepresentationOfType(*d, kDocumentType));
      EXPECT_FALSE(reopened->MT.running);
      d = reopened.get();
    }
    d->followTimerSettings();
    EXPECT_EQ(d->MT.running, s.macro.running);
    EXPECT_EQ(d->MT.interval, s.macro.interval);
    EXPECT_EQ(d->UT.running, s.refresh.running);
    EXPECT_EQ(d->UT.interval, s.refresh.interval);
    EXPECT_EQ(work.ran.size(), s.runs);
  }
}

TEST_F(DocumentArchiveTest, AutomaticBuffersAreRefreshedAfterLoading) {
  populateDocument(doc, 0);
  for (const auto& b : doc.DB) b->my_autoupdate = false;
  doc.DB[1]->my_autoupdate = true;
  xyla::test::RecordedTimerWork work;
  m.sourceReader = &work;
  const auto back = load(dataRepresentationOfType(doc, kDocumentType));
  EXPECT_EQ(work.refreshed, std::vector<std::string>{doc.DB[1]->comment});
  EXPECT_TRUE(back->rescaleafterload);
  doc.rescaleafterupdate = false;
  const auto again = load(dataRepresentationOfType(doc, kDocumentType));
  EXPECT_FALSE(again->rescaleafterload);
}
