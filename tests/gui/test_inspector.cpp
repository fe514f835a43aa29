// The inspector dock: its controls, driven by real key and mouse events, edit the
// window's document one undo step at a time and follow the document back.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>

#include "app/inspector_fields.h"
#include "gui/document_timers.h"
#include "gui/inspector_panel.h"
#include "gui_fixture.h"
#include "model/settings.h"
#include "model/text_object.h"
#include "model/text_scan.h"

namespace xyla::test {
namespace {

using inspector::Record;

class InspectorTest : public GuiFixture {
 public:
  gui::InspectorPanel& panel() { return window->inspector(); }
  template <typename W>
  W* control(Record r, std::string_view name) {
    auto* w = qobject_cast<W*>(panel().control(r, name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  DataBuffer& buffer() { return *doc().DB[0]; }
};

TEST_F(InspectorTest, ControlsEditTheBufferAsOneUndoStepEach) {
  ASSERT_TRUE(panel().showPage("Data Style"));
  QLineEdit* width = control<QLineEdit>(Record::Buffer, "linewidth");
  ASSERT_TRUE(width);
  EXPECT_EQ(width->text(), "1");
  const long redraws = doc().replotCount;
  type(width, "3.5 pt");
  EXPECT_EQ(buffer().linewidth, 3.5);
  EXPECT_GT(doc().replotCount, redraws);
  EXPECT_EQ(doc().undoStack.undoCount(), 1u);

  type(width, "thick");
  EXPECT_EQ(ui.beeps, 1);
  EXPECT_EQ(buffer().linewidth, 3.5);
  EXPECT_EQ(width->text(), "3.5") << "the stored value shows again";
  EXPECT_EQ(doc().undoStack.undoCount(), 1u);

  QCheckBox* symbols = control<QCheckBox>(Record::Buffer, "plotsymbols");
  ASSERT_TRUE(symbols);
  QTest::mouseClick(symbols, Qt::LeftButton, {}, QPoint(6, symbols->height() / 2));  // on the box
  EXPECT_TRUE(buffer().plotsymbols);

  QComboBox* dash = control<QComboBox>(Record::Buffer, "dash");
  ASSERT_TRUE(dash);
  QTest::keyClick(dash, Qt::Key_Down);
  EXPECT_EQ(buffer().dash, 1);

  QPushButton* colour = control<QPushButton>(Record::Buffer, "color");
  ASSERT_TRUE(colour);
  ui.answerColour(Colour{1, 0, 0, 1});
  QTest::mouseClick(colour, Qt::LeftButton);
  EXPECT_EQ(buffer().color, (Colour{1, 0, 0, 1}));
  EXPECT_EQ(doc().undoStack.undoCount(), 4u);

  // Edit > Undo takes the steps back one by one, and the controls follow.
  QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(buffer().color, Colour::black());
  QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(buffer().dash, 0);
  EXPECT_EQ(dash->currentIndex(), 0);
  QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_FALSE(symbols->isChecked());
  QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(width->text(), "1");
}

// Naming a timer macro on the Advanced page starts the window's macro timer, which then runs
// the macro every interval; clearing the name stops it. The refresh check box does the
// same for the refresh timer.
TEST_F(InspectorTest, AdvancedPageSettingsStartAndStopTheTimers) {
  m().GV["ticks"] = 0;
  addMacro("tick", "setvar ticks ticks+1");
  window->timers().msPerSecond = 5;
  ASSERT_TRUE(panel().showPage("Advanced"));
  type(control<QLineEdit>(Record::Document, "mtinterval"), "1");
  EXPECT_FALSE(window->timers().macroTimerActive());
  type(control<QLineEdit>(Record::Document, "mtname"), "tick");
  EXPECT_TRUE(window->timers().macroTimerActive());
  EXPECT_TRUE(QTest::qWaitFor([&] { return m().GV["ticks"] >= 3; }, 3000));
  QLineEdit* name = control<QLineEdit>(Record::Document, "mtname");
  name->selectAll();
  QTest::keyClick(name, Qt::Key_Delete);
  QTest::keyClick(name, Qt::Key_Return);
  EXPECT_FALSE(window->timers().macroTimerActive());

  QCheckBox* refresh = control<QCheckBox>(Record::Document, "autoupdate");
  QTest::mouseClick(refresh, Qt::LeftButton, {}, QPoint(6, refresh->height() / 2));
  EXPECT_TRUE(window->timers().updateTimerActive());
  QTest::mouseClick(refresh, Qt::LeftButton, {}, QPoint(6, refresh->height() / 2));
  EXPECT_FALSE(window->timers().updateTimerActive());
}

TEST_F(InspectorTest, AxisPagesEditTheChosenAxis) {
  ASSERT_TRUE(panel().showPage("Axis"));
  auto* axis = qobject_cast<QComboBox*>(panel().findChild<QWidget*>("InspectorAxis"));
  ASSERT_TRUE(axis && axis->isVisible());
  QTest::keyClick(axis, Qt::Key_Down);
  EXPECT_EQ(panel().axis(), 1);
  type(control<QLineEdit>(Record::Axis, "ticklength"), "17");
  EXPECT_EQ(doc().ticklength[1], 17);
  EXPECT_EQ(doc().ticklength[0], 10);
  QTest::keyClick(axis, Qt::Key_Up);
  EXPECT_EQ(control<QLineEdit>(Record::Axis, "ticklength")->text(), "10");
  ASSERT_TRUE(panel().showPage("Legend"));
  EXPECT_FALSE(axis->isVisible());
}

TEST_F(InspectorTest, ClickingATextShowsItsPageAndTheLastPageIsRemembered) {
  auto t = std::make_unique<TextObject>(&doc());
  t->text = "C 1s";
  t->tloc = {200, 300};
  const TextObject& text = doc().addText(std::move(t));
  plot().repaint();
  choose("select");
  ASSERT_TRUE(panel().showPage("General"));
  QTest::mouseClick(&plot(), Qt::LeftButton, {},
                    QPoint(qRound(text.frame.x + 3), qRound(plot().height() - text.frame.y - 3)));
  EXPECT_EQ(panel().currentPage(), "Text");
  auto* edit = control<QPlainTextEdit>(Record::Text, "text");
  ASSERT_TRUE(edit);
  EXPECT_EQ(edit->toPlainText(), "C 1s");
  edit->setFocus();
  QTest::keyClick(edit, Qt::Key_End);
  QTest::keyClicks(edit, " peak");
  control<QLineEdit>(Record::Text, "angle")->setFocus();  // leaving the text commits it
  EXPECT_EQ(doc().T[0]->text, "C 1s peak");

  EXPECT_EQ(Settings::standard()->getString("LastInspector"), "Text");
  gui::InspectorPanel another(m(), doc());
  EXPECT_EQ(another.currentPage(), "Text");
  EXPECT_FALSE(another.showPage("Colours"));
}

// The Normalize page: the fields are stored under their keys as they are typed, and
// the button runs the action on the selected buffers; without a selection it asks.
TEST_F(InspectorTest, ActionPagesStoreTheirFieldsAndRunTheirActions) {
  ASSERT_TRUE(panel().showPage("Normalize"));
  for (const auto& [key, text] : {std::pair{"NormRef1", "0"}, {"NormRef2", "10"}, {"NormNew1", "0"}, {"NormNew2", "1"}})
    type(panel().findChild<QLineEdit*>(key), text);
  EXPECT_EQ(Settings::standard()->getString("NormRef2"), "10");
  ui.answer("Cancel");  // "No Buffer Selected"
  QTest::mouseClick(panel().findChild<QPushButton*>("Normalize"), Qt::LeftButton);
  ASSERT_EQ(ui.alerts.size(), 1u);
  EXPECT_EQ(ui.alerts[0].title, "No Buffer Selected");
  EXPECT_EQ(buffer().getXmax(), 10);
  m().selectAll();
  QTest::mouseClick(panel().findChild<QPushButton*>("Normalize"), Qt::LeftButton);
  EXPECT_DOUBLE_EQ(buffer().getXmax(), 1);

  // The Spline page's button, which the Data menu does not have, reads its own fields.
  ASSERT_TRUE(panel().showPage("Spline Fit"));
  type(panel().findChild<QLineEdit*>("SplinePoints"), "4");
  QTest::mouseClick(panel().findChild<QPushButton*>("Spline"), Qt::LeftButton);
  ASSERT_EQ(doc().DB.size(), 2u);
  EXPECT_EQ(doc().DB[1]->count(), 41) << "ten intervals of four points and the last point";
  EXPECT_EQ(Settings::standard()->getInt("SplinePoints"), 4);
  for (std::string_view page : inspector::pages())
    for (const auto& g : inspector::actionGroups(page))
      for (std::string_view title : g.buttons)
        EXPECT_TRUE(panel().findChild<QPushButton*>(QString::fromUtf8(title.data(), int(title.size())))) << title;
}

// Pictures of every page of a populated document, for looking at: written when
// XYLA_INSPECTOR_SHOTS names a directory.
TEST_F(InspectorTest, PagesShowAPopulatedDocument) {
  const QString dir = qEnvironmentVariable("XYLA_INSPECTOR_SHOTS");
  auto t = std::make_unique<TextObject>(&doc());
  t->text = "Au 4f";
  m().currentText = &doc().addText(std::move(t));
  m().currentGraphic = &doc().addGraphic(std::make_unique<Graphic>());
  panel().resize(320, 900);
  for (std::string_view page : inspector::pages()) {
    if (!panel().showPage(page)) continue;
    for (const inspector::Field& f : inspector::fieldsOf(page))
      EXPECT_TRUE(panel().control(f.record, f.name)->isEnabled()) << page << ": " << f.name;
    if (!dir.isEmpty())
      panel().grab().save(QDir(dir).filePath(QString::fromUtf8(page.data(), int(page.size())) + ".png"));
  }
}

// The Shirley end points on the Advanced page start at the shown X range with the data's
// levels there, follow a Shirley drag on the plot and take what is typed.
TEST_F(InspectorTest, ShirleyEndPointsFollowTheRangeTheDragAndTheFields) {
  panel().showPage("Advanced");
  panel().refresh();
  auto* x1 = panel().findChild<QLineEdit*>("ShirleyX1");
  auto* y2 = panel().findChild<QLineEdit*>("ShirleyY2");
  ASSERT_TRUE(x1 && y2);
  EXPECT_DOUBLE_EQ(x1->text().toDouble(), doc().xmin1);
  EXPECT_DOUBLE_EQ(m().shirx2, doc().xmax1);
  EXPECT_NE(m().shiry2, 0.0);
  panel().showPage("General");
  m().pointerMode = "shirbg";
  const QPoint from = plot().rect().center() - QPoint(100, 0), to = plot().rect().center() + QPoint(100, 40);
  QTest::mousePress(&plot(), Qt::LeftButton, {}, from);
  QTest::mouseMove(&plot(), to);
  QTest::mouseRelease(&plot(), Qt::LeftButton, {}, to);
  QCoreApplication::processEvents();
  EXPECT_EQ(panel().findChild<QComboBox*>("InspectorPage")->currentText(), "Advanced");
  EXPECT_FALSE(panel().findChild<QPushButton*>("Shirley Background")->visibleRegion().isEmpty());
  panel().refresh();
  EXPECT_EQ(x1->text().toStdString(), formatG(m().shirx1));
  EXPECT_LT(m().shirx1, m().shirx2);
  type(y2, "123.5");
  EXPECT_DOUBLE_EQ(m().shiry2, 123.5);
  type(y2, "not a number");
  EXPECT_DOUBLE_EQ(m().shiry2, 123.5);
}

// At the dock's default width every page fits: no field or button hides behind a
// horizontal scroll bar.
TEST_F(InspectorTest, EveryPageFitsTheDockAtItsDefaultWidth) {
  // The offscreen screen is smaller than a desktop: lay the window out as a screen with
  // room for the default inspector would.
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
  window->resize(900 + gui::DocumentWindow::kInspectorDefaultWidth, 680);
  window->resizeDocks({&panel()}, {gui::DocumentWindow::kInspectorDefaultWidth}, Qt::Horizontal);
  QCoreApplication::processEvents();
  const QString dir = qEnvironmentVariable("XYLA_INSPECTOR_SHOTS");
  for (std::string_view page : inspector::pages()) {
    if (!panel().showPage(page)) continue;
    QCoreApplication::processEvents();
    auto* scroll = qobject_cast<QScrollArea*>(panel().findChild<QStackedWidget*>()->currentWidget());
    ASSERT_NE(scroll, nullptr) << page;
    EXPECT_LE(scroll->widget()->minimumSizeHint().width(), scroll->viewport()->width()) << page;
    EXPECT_EQ(scroll->horizontalScrollBar()->maximum(), 0) << page;
    if (!dir.isEmpty())
      panel().grab().save(
          QDir(dir).filePath("default-width-" + QString::fromUtf8(page.data(), int(page.size())) + ".png"));
  }
}

}  // namespace
}  // namespace xyla::test
