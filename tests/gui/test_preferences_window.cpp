// The preferences window and the menu entries around it, driven by real events.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>

#include "gui/preferences_window.h"
#include "gui_fixture.h"
#include "model/palette.h"

namespace xyla::test {
namespace {

class PreferencesTest : public GuiFixture {
 public:
  // The menu entry titled `title` (ampersands ignored) of the window's menu bar.
  QAction* entry(const QString& title) {
    for (QAction* a : window->menuBar()->findChildren<QAction*>())
      if (a->text().remove('&') == title) return a;
    ADD_FAILURE() << "no menu entry " << title.toStdString();
    return nullptr;
  }
  gui::PreferencesWindow& open() {
    entry("Preferences...")->trigger();
    QApplication::processEvents();
    return gui.preferences();
  }
  template <typename W>
  W* control(gui::PreferencesWindow& p, const std::string& key) {
    auto* w = qobject_cast<W*>(p.control(key));
    EXPECT_TRUE(w) << key;
    return w;
  }
};

TEST_F(PreferencesTest, EditMenuOpensItAndEachEditIsStoredAtOnce) {
  gui::PreferencesWindow& p = open();
  EXPECT_TRUE(p.isVisible());

  type(control<QLineEdit>(p, "TDF"), "%d.%m.%Y %H:%M");
  EXPECT_EQ(settings->getString("TDF"), "%d.%m.%Y %H:%M");

  ASSERT_TRUE(p.showPage("Default Style"));
  QLineEdit* width = control<QLineEdit>(p, "BLineWidth");
  type(width, "2.5");
  EXPECT_EQ(settings->getFloat("BLineWidth"), 2.5);
  type(width, "thick");  // no number: a beep, and the stored value shows again
  EXPECT_EQ(ui.beeps, 1);
  EXPECT_EQ(width->text(), "2.5");
  EXPECT_EQ(settings->getFloat("BLineWidth"), 2.5);
  const int buffers = doc().bufferCount();
  doc().newBuffer();
  EXPECT_EQ(doc().buffer(buffers)->linewidth, 2.5);

  ASSERT_TRUE(p.showPage("General"));
  QTest::mouseClick(control<QCheckBox>(p, "CheckForUpdates"), Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(settings->getBool("CheckForUpdates"), true);

  ASSERT_TRUE(p.showPage("Import"));
  QComboBox* mode = control<QComboBox>(p, "ImportMode");
  mode->setFocus();
  QTest::keyClick(mode, Qt::Key_Down);
  EXPECT_EQ(settings->getInt("ImportMode"), 1);
}

TEST_F(PreferencesTest, ColourAndFontButtonsAskThePanelsAndStoreTheAnswer) {
  gui::PreferencesWindow& p = open();
  ASSERT_TRUE(p.showPage("Colours"));
  ui.answerColour(Colour{0.25, 0.5, 1, 1});
  QTest::mouseClick(control<QPushButton>(p, "IPcolor4"), Qt::LeftButton);
  EXPECT_EQ(paletteColour(4), (Colour{0.25, 0.5, 1, 1}));
  // Revert Colors in the window puts the palette back.
  QTest::mouseClick(control<QPushButton>(p, "Revert Colors"), Qt::LeftButton);
  EXPECT_EQ(paletteColour(4), defaultPalette()[4]);

  ASSERT_TRUE(p.showPage("General"));
  ui.answerFont(FontSpec{"Serif", 22});
  QPushButton* font = control<QPushButton>(p, "TextFont");
  QTest::mouseClick(font, Qt::LeftButton);
  EXPECT_EQ(settings->getString("TextFontName"), "Serif");
  EXPECT_EQ(settings->getFloat("TextFontSize"), 22);
  EXPECT_EQ(font->text(), "Serif, 22 pt");
  XylaDocument fresh(&m());
  EXPECT_EQ(fresh.textfont[0], (FontSpec{"Serif", 22}));
}

TEST_F(PreferencesTest, MenusSetTheDefaultStyleRevertColoursAndCheckForUpdates) {
  DataBuffer& b = *doc().buffer(0);
  b.linewidth = 3;
  b.plotsymbols = true;
  m().setCurrentDocument(&doc());
  doc().current = 0;
  entry("Set Default Style")->trigger();
  EXPECT_EQ(settings->getFloat("BLineWidth"), 3);
  EXPECT_EQ(settings->getBool("BPlotSymbols"), true);

  settings->setColour("IPcolor0", Colour{1, 1, 1, 1});
  entry("Revert Colors")->trigger();
  EXPECT_EQ(paletteColour(0), defaultPalette()[0]);

  // The update check on demand answers even when the version is not newer.
  QFile version(QString::fromStdString(settings.path("version.txt")));
  ASSERT_TRUE(version.open(QIODevice::WriteOnly));
  version.write("0.001\n");
  version.close();
  settings->setString("UpdateCheckLocation", settings.path("version.txt"));
  entry("Check for Updates...")->trigger();
  ASSERT_EQ(ui.alerts.size(), 1u);
  EXPECT_EQ(ui.alerts[0].title, "Update check");
}

}  // namespace
}  // namespace xyla::test
