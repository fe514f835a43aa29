#include <gtest/gtest.h>

#include <functional>

#include "app/clipboard_contents.h"
#include "io/ascii_import.h"
#include "model/data_buffer.h"
#include "model/graphic_object.h"
#include "model/manager.h"
#include "model/xyla_document.h"
#include "support/scripted_ui.h"
#include "support/temp_settings.h"
#include "support/test_files.h"

namespace xyla::test {
namespace {

namespace cb = xyla::clipboard;

// Two documents of one controller; `from` holds two buffers, the second with errors.
class Clipboard : public ::testing::Test {
 protected:
  Clipboard() {
    DataBuffer& a = from.newBuffer();
    a.addDoubleValue(1, 2);
    a.addDoubleValue(3, 4.25);
    a.comment = "first";
    a.color = {0.2, 0.4, 0.6, 1};
    DataBuffer& b = from.newBuffer();
    b.addDoubleValueError(5, 6, 0.1, 0.2);
    b.source = "/data/b.txt";
    m.setCurrentDocument(&from);
  }
  TempSettings settings;
  ScriptedUi ui;
  Manager m{ui};
  XylaDocument from{&m}, to{&m};
};

TEST_F(Clipboard, BuffersTravelBetweenDocumentsWithEveryField) {
  m.setSelection({0, 1});
  const auto selected = cb::selectedBuffers(m);
  ASSERT_EQ(selected.size(), 2u);
  EXPECT_EQ(cb::buffersAsText(selected), "1\t2\n3\t4.25\n\n5\t6\t0.1\t0.2\n");
  const std::string bytes = cb::encodeBuffers(selected);
  m.setCurrentDocument(&to);
  ASSERT_TRUE(cb::pasteBuffers(m, bytes));
  ASSERT_EQ(to.bufferCount(), 2);
  EXPECT_EQ(to.DB[0]->X, from.DB[0]->X);
  EXPECT_EQ(to.DB[0]->comment, "first");
  EXPECT_EQ(to.DB[0]->color, from.DB[0]->color);
  EXPECT_EQ(to.DB[1]->EY, from.DB[1]->EY);
  EXPECT_EQ(to.DB[1]->source, "/data/b.txt");
  EXPECT_NE(to.DB[0].get(), from.DB[0].get());
  EXPECT_LE(to.xmin1, 1.0);  // rescaled to show what came
  EXPECT_GE(to.xmax1, 5.0);

  for (const std::string& junk : {std::string(), std::string("XylaBuffer"), bytes.substr(0, bytes.size() / 2)})
    EXPECT_FALSE(cb::pasteBuffers(m, junk));
  EXPECT_EQ(to.bufferCount(), 2);
}

TEST_F(Clipboard, PastedTextImportsLikeAFile) {
  const std::string text = "280\t10\t11\n281\t12\t13\n";
  writeFile(settings.path("same.txt"), text);
  ImportOptions o;
  o.file = settings.path("same.txt");
  o.source = "Pasteboard";
  importFile(from, o);
  m.setCurrentDocument(&to);
  ASSERT_TRUE(cb::pasteText(m, text));
  ASSERT_EQ(to.bufferCount(), from.bufferCount() - 2);
  for (int i = 0; i < to.bufferCount(); ++i) {
    EXPECT_EQ(to.DB[i]->X, from.DB[i + 2]->X);
    EXPECT_EQ(to.DB[i]->Y, from.DB[i + 2]->Y);
    EXPECT_EQ(to.DB[i]->source, "Pasteboard");
  }
  EXPECT_FALSE(cb::pasteText(m, std::string("\x01\x02\xff binary", 10)));
  EXPECT_EQ(ui.alerts.back().title, "Nothing Imported");
}

TEST_F(Clipboard, GraphicsLandTwentyPointsFurtherEachTime) {
  Graphic g;
  g.setDefaults();
  g.setPoints(100, 100, 200, 150);
  const std::string bytes = cb::encodeGraphic(g);
  int offset = 0;
  for (int k = 1; k <= 3; ++k) {
    ASSERT_TRUE(cb::pasteGraphic(m, bytes, offset));
    const Graphic::Points p = from.G.back()->getPoints();
    EXPECT_EQ(p.x1, 100 + 20 * k);
    EXPECT_EQ(p.y2, 150 + 20 * k);
    EXPECT_EQ(m.currentGraphic, from.G.back().get());
  }
  EXPECT_FALSE(cb::pasteGraphic(m, "junk", offset));
  EXPECT_TRUE(cb::pasteImage(m, "\x89PNG...", 40, 30));
  const Graphic::Points p = from.G.back()->getPoints();
  EXPECT_EQ(p.x2 - p.x1, 40);
  EXPECT_EQ(p.y2 - p.y1, 30);

  m.setCurrentDocument(nullptr);
  EXPECT_FALSE(cb::pasteGraphic(m, bytes, offset));
  EXPECT_FALSE(cb::pasteText(m, "1 2\n"));
  EXPECT_EQ(ui.beeps, 2);
}

// Every paste is one undo step: the undo leaves the document as it was (buffers,
// graphics, ranges), the redo brings the paste back.
TEST_F(Clipboard, EachPasteIsOneUndoStep) {
  m.setSelection({0, 1});
  const std::string buffers = cb::encodeBuffers(cb::selectedBuffers(m));
  Graphic g;
  g.setDefaults();
  g.setPoints(100, 100, 200, 150);
  const std::string graphic = cb::encodeGraphic(g);
  int offset = 0;
  const std::vector<std::pair<const char*, std::function<bool()>>> pastes = {
      {"buffers", [&] { return cb::pasteBuffers(m, buffers); }},
      {"text", [&] { return cb::pasteText(m, "280\t10\t11\n281\t12\t13\n"); }},
      {"graphic", [&] { return cb::pasteGraphic(m, graphic, offset); }},
      {"image", [&] { return cb::pasteImage(m, "\x89PNG...", 40, 30); }},
  };
  m.setCurrentDocument(&to);
  to.newBuffer().addDoubleValue(-50, 7);
  to.scale(1, -60, -40, 0, 10, false, false);
  for (const auto& [name, paste] : pastes) {
    SCOPED_TRACE(name);
    to.undoStack.clear();
    const int buffersBefore = to.bufferCount();
    const std::size_t graphicsBefore = to.G.size();
    const double xmax = to.xmax1;
    ASSERT_TRUE(paste());
    const int buffersAfter = to.bufferCount();
    const std::size_t graphicsAfter = to.G.size();
    EXPECT_NE(buffersAfter + graphicsAfter, buffersBefore + graphicsBefore);
    EXPECT_EQ(to.undoStack.undoCount(), 1u);
    to.undoStack.undo();
    EXPECT_EQ(to.bufferCount(), buffersBefore);
    EXPECT_EQ(to.G.size(), graphicsBefore);
    EXPECT_EQ(to.xmax1, xmax);
    EXPECT_FALSE(to.undoStack.canUndo());
    to.undoStack.redo();
    EXPECT_EQ(to.bufferCount(), buffersAfter);
    EXPECT_EQ(to.G.size(), graphicsAfter);
    to.undoStack.undo();
  }
}

}  // namespace
}  // namespace xyla::test
