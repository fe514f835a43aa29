// Document windows: timers, the questions before closing, printing, dropping files, the
// message boxes and the input panel of the Qt interface.
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <fstream>

#include "gui/document_timers.h"
#include "gui/inspector_panel.h"
#include "gui/main_menu.h"
#include "gui/qt_ui.h"
#include "gui_fixture.h"
#include "model/document_file.h"
#include "support/test_files.h"

namespace xyla::test {
namespace {

using DocumentWindowTest = GuiFixture;

bool waitUntil(const std::function<bool()>& done, int ms = 3000) {
  return QTest::qWaitFor(done, ms);
}

TEST_F(DocumentWindowTest, MacroTimerFiresOnTheEventLoopAndStopsWithItsWindow) {
  m().GV["ticks"] = 0;
  m().GV["closes"] = 0;
  addMacro("tick", "setvar ticks ticks+1");
  gui.timerMsPerSecond = 5;
  window->timers().msPerSecond = 5;
  doc().mtname = "tick";
  doc().mtinterval = 1;
  doc().setMacroTimer();
  EXPECT_DOUBLE_EQ(m().GV["ticks"], 1) << "setting the timer runs the macro once at once";
  window->documentChanged();
  ASSERT_TRUE(waitUntil([&] { return m().GV["ticks"] >= 4; }));
  doc().clearMacroTimer();
  QTest::qWait(30);
  const double stopped = m().GV["ticks"];
  QTest::qWait(40);
  EXPECT_EQ(m().GV["ticks"], stopped);
  EXPECT_FALSE(window->timers().macroTimerActive());

  // A timer whose macro closes its own document stops with the window.
  addMacro("closer", "setvar closes closes+1\nclose");
  doc().mtname = "closer";
  doc().MT = {true, 1};
  window->documentChanged();
  ASSERT_TRUE(waitUntil([&] { return gui.windows().empty(); }));
  QTest::qWait(30);
  EXPECT_DOUBLE_EQ(m().GV["closes"], 1);
  EXPECT_TRUE(app.documents().empty() || app.documents().front()->M == &m());
}

TEST_F(DocumentWindowTest, RefreshTimerWithoutSourcesJustRedraws) {
  window->timers().msPerSecond = 5;
  doc().rescaleafterupdate = true;
  doc().setUpdateTimer();
  window->documentChanged();
  EXPECT_TRUE(window->timers().updateTimerActive());
  ASSERT_TRUE(waitUntil([&] { return doc().xmin1 < 0; }));  // the timed rescale ran
  ui.answer("Don't Save");
  window->close();
  QApplication::processEvents();
  EXPECT_TRUE(gui.windows().empty());
}

struct CloseCase {
  const char* answer;
  bool closes;
  bool saved;
};

TEST_F(DocumentWindowTest, ClosingAChangedDocumentAsks) {
  const CloseCase cases[] = {{"Cancel", false, false}, {"Save", true, true}};
  const std::string path = settings.path("kept.xyla");
  for (const CloseCase& c : cases) {
    SCOPED_TRACE(c.answer);
    doc().scale(1, 1, 2, 1, 2, true, true);
    ASSERT_TRUE(doc().edited);
    ui.answer(c.answer);
    ui.answerSave(path);
    const std::size_t alerts = ui.alerts.size();
    window->close();
    QApplication::processEvents();
    ASSERT_EQ(ui.alerts.size(), alerts + 1);
    EXPECT_EQ(ui.alerts.back().title, "Do you want to save the changes made to the document \"Untitled\"?");
    EXPECT_EQ(ui.alerts.back().buttons, (std::vector<std::string>{"Save", "Don't Save", "Cancel"}));
    EXPECT_EQ(gui.windows().empty(), c.closes);
    EXPECT_EQ(std::ifstream(path).good(), c.saved);
  }
  // The saved file opens again, in a window titled by its name.
  gui::DocumentWindow* again = gui.openPath(path);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->windowTitle(), "kept.xyla[*]");
  EXPECT_DOUBLE_EQ(again->document().xmax1, 2);
  EXPECT_EQ(gui.openPath(path), again) << "a document already open is brought forward";
  EXPECT_EQ(gui.recentFiles().front().toStdString(), std::filesystem::absolute(path).string());
}

TEST_F(DocumentWindowTest, QuitAsksForEveryChangedDocumentAndCancelKeepsAll) {
  gui::DocumentWindow& second = gui.newDocument();
  doc().replot();
  second.document().replot();
  ui.answer("Don't Save");
  ui.answer("Cancel");
  EXPECT_FALSE(gui.quit());
  EXPECT_EQ(gui.windows().size(), 2u);
  ui.answer("Don't Save");
  ui.answer("Don't Save");
  EXPECT_TRUE(gui.quit());
  QApplication::processEvents();
  EXPECT_TRUE(gui.windows().empty());
  EXPECT_EQ(ui.alerts.size(), 4u);
  EXPECT_EQ(Settings::standard()->getBool("ReportVisible"), false);
}

// The documents a macro asks for get windows, and the windows go with them.
TEST_F(DocumentWindowTest, MacroDocumentRequestsReachTheWindows) {
  addMacro("make", "new\nnewbuffer\naddvalue 0 1 2");
  gui.run([&] { app.macros().macroByMenu(static_cast<int>(app.macros().store().MA.size()) - 1); });
  ASSERT_EQ(gui.windows().size(), 2u);
  XylaDocument& made = gui.windows().back()->document();
  EXPECT_EQ(m().PD, &made);
  EXPECT_EQ(made.bufferCount(), 1);
  EXPECT_TRUE(gui.windows().back()->isVisible());

  addMacro("hide", "hideapp");
  gui.run([&] { app.macros().macroByMenu(static_cast<int>(app.macros().store().MA.size()) - 1); });
  for (gui::DocumentWindow* w : gui.windows()) EXPECT_TRUE(w->isMinimized());

  addMacro("close", "close");
  gui.run([&] { app.macros().macroByMenu(static_cast<int>(app.macros().store().MA.size()) - 1); });
  QApplication::processEvents();  // the window goes
  QApplication::processEvents();  // then its document
  ASSERT_EQ(gui.windows().size(), 1u);
  EXPECT_EQ(&gui.windows().front()->document(), &doc());
  EXPECT_EQ(app.documents().size(), 1u);
  EXPECT_TRUE(ui.alerts.empty()) << "a macro closes without the save question";
}

TEST_F(DocumentWindowTest, PrintdocPrintsThePlotIntoThePrinter) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  const std::string pdf = settings.path("printed.pdf");
  printer.setOutputFileName(QString::fromStdString(pdf));
  gui.printerOverride = &printer;
  doc().fileName = settings.path("Reports/C 1s.xyla");
  addMacro("print", "printdoc");
  gui.run([&] { app.macros().macroByMenu(static_cast<int>(app.macros().store().MA.size()) - 1); });
  const std::string bytes = readFile(pdf);
  ASSERT_GT(bytes.size(), 1000u);
  EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
  EXPECT_FALSE(m().printmode);
  // The job carries the file's name, not its folder: a print-to-file panel proposes it.
  EXPECT_EQ(printer.docName(), "C 1s.xyla");
}

// Save As (Ctrl+Shift+S) writes the name chosen with ".xyla" added when it lacks it.
TEST_F(DocumentWindowTest, SaveAsAddsTheDocumentExtension) {
  for (const auto& [typed, saved] :
       {std::pair{"plot", "plot.xyla"}, {"Plot.XYLA", "Plot.XYLA"}, {"run1.5", "run1.5.xyla"}}) {
    SCOPED_TRACE(typed);
    ui.answerSave(settings.path(typed));
    QTest::keyClick(window, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(doc().fileName, settings.path(saved));
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(settings.path(saved))));
  }
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(settings.path("plot"))));
}

// Opening a document brings back its current buffer, and a lone untitled window that
// nobody touched gives way to it; one with something in it stays.
TEST_F(DocumentWindowTest, OpeningReplacesAnUntouchedWindowAndKeepsTheCurrentBuffer) {
  XylaDocument stored(&m());
  for (int k = 0; k < 3; ++k) stored.newBuffer().addDoubleValue(k, k);
  stored.current = 1;
  const std::string path = settings.path("three.xyla");
  ASSERT_TRUE(saveDocumentFile(stored, path, ui));
  for (const bool touched : {true, false}) {
    SCOPED_TRACE(touched);
    const std::string copy = settings.path(touched ? "touched.xyla" : "fresh.xyla");
    ASSERT_TRUE(QFile::copy(QString::fromStdString(path), QString::fromStdString(copy)));
    if (!touched) {
      for (gui::DocumentWindow* w : gui.windows()) w->closeQuietly();
      QApplication::processEvents();
      gui.newDocument();
    }
    gui::DocumentWindow* opened = gui.openPath(copy);
    QApplication::processEvents();
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(opened->document().current, 1);
    EXPECT_EQ(gui.windows().size(), touched ? 2u : 1u);
    EXPECT_EQ(gui.windows().back(), opened);
  }
}

TEST_F(DocumentWindowTest, DroppedFilesImportDataOrOpenDocuments) {
  const std::string data = std::string(XYLA_TEST_DATA_DIR) + "/xps/PET_C1s.csv";
  auto drop = [&](const std::string& path) {
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(window, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent e(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(window, &e);
  };
  const int before = doc().bufferCount();
  m().setSelection({0});
  drop(data);
  EXPECT_GT(doc().bufferCount(), before);
  // The imported buffers, and only they, are selected for what follows.
  std::set<int> imported;
  for (int i = before; i < doc().bufferCount(); ++i) imported.insert(i);
  EXPECT_EQ(m().selection(), imported);
  const std::string saved = settings.path("dropped.xyla");
  ASSERT_TRUE(saveDocumentFile(doc(), saved, ui));
  doc().fileName = saved;
  gui::DocumentWindow& other = gui.newDocument();
  (void)other;
  drop(saved);
  EXPECT_EQ(gui.windows().size(), 2u) << "the document is open already";
}

TEST(QtUi, AlertShowsTitleMessageAndButtonsAndAnswersThePressedOne) {
  gui::QtUi qui;
  QString seenTitle, seenText;
  QStringList seenButtons;
  QTimer::singleShot(50, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    seenTitle = box->windowTitle();
    seenText = box->informativeText();
    for (QAbstractButton* b : box->buttons()) seenButtons << b->text();
    for (QAbstractButton* b : box->buttons())
      if (b->text() == "Delete") b->click();
  });
  const int pressed = qui.alert("Delete Macro", "clicking 'Delete' removes this macro immediately", {"Cancel", "Delete"});
  EXPECT_EQ(pressed, 1);
  EXPECT_EQ(seenTitle, "Delete Macro");
  EXPECT_EQ(seenText, "clicking 'Delete' removes this macro immediately");
  EXPECT_TRUE(seenButtons.contains("Cancel") && seenButtons.contains("Delete"));

  qui.beginProgress("Fit", "fitting");
  EXPECT_TRUE(qui.progress(0.5));
  qui.endProgress();

  // Document defaults name only fonts the platform has.
  EXPECT_TRUE(qui.fontExists(""));
  EXPECT_FALSE(qui.fontExists("Xyla No Such Family"));
}

TEST(QtUi, InputPanelAsksWithTheMessageAndStartsWithThePreset) {
  gui::QtUi qui;
  QStringList labels, starts;
  const auto typeAndReturn = [&](const QString& text) {
    QTimer::singleShot(50, [&, text] {
      auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
      ASSERT_TRUE(dialog);
      labels << dialog->labelText();
      starts << dialog->textValue();
      GuiFixture::type(dialog->findChild<QLineEdit*>(), text);
    });
  };
  typeAndReturn("12");
  EXPECT_EQ(qui.inputPanel("How many?", ""), "12");
  typeAndReturn("7");
  EXPECT_EQ(qui.inputPanel("And now?", "12"), "7");
  EXPECT_EQ(labels, (QStringList{"How many?", "And now?"}));
  EXPECT_EQ(starts, (QStringList{"", "12"}));
}

// Every Data menu entry runs on the window's document with the values stored last (here
// none: each action's own defaults), answering every question with its first button.
TEST_F(DocumentWindowTest, EveryDataMenuEntryRunsWithStoredValues) {
  QMenu* data = nullptr;
  for (QAction* a : window->menuBar()->actions())
    if (a->text() == "&Data") data = a->menu();
  ASSERT_NE(data, nullptr);
  int entries = 0;
  for (QAction* a : data->actions()) {
    if (a->isSeparator()) continue;
    SCOPED_TRACE(a->text().toStdString());
    m().setCurrentDocument(&doc());
    const int before = doc().bufferCount();
    a->trigger();
    ++entries;
    if (a->text() == "Function Generator") {
      ASSERT_EQ(doc().bufferCount(), before + 1);
      EXPECT_EQ(doc().DB.back()->count(), 100);
    }
    EXPECT_GE(doc().bufferCount(), 1);
  }
  const auto& actions = gui::dataActions();
  EXPECT_EQ(entries, std::count_if(actions.begin(), actions.end(), [](const auto& a) { return !a.title.empty(); }));
  EXPECT_TRUE(gui.windows().size() == 1u && !gui.busy());
}

// Control+letter macro shortcuts run wherever the focus is in the document window, and
// the Macro menu shows them; other Control keys still reach the focused control.
TEST_F(DocumentWindowTest, MacroShortcutsWorkAnywhereInTheWindowAndShowInTheMenu) {
  m().GV["hits"] = 0;
  addMacro("count", "setvar hits hits+1", 'k');
  addMacro("Count", "setvar hits hits+100", 'K');
  addMacro("wins", "setvar hits hits+10000", 'w');
  gui.rebuildMacroMenus();
  QStringList titles;
  for (QAction* a : window->macroMenu()->actions()) titles << a->text();
  EXPECT_TRUE(titles.contains("count\tCtrl+K")) << titles.join('|').toStdString();
  EXPECT_TRUE(titles.contains("Count\tCtrl+Shift+K")) << titles.join('|').toStdString();

  window->showInspector("General");
  auto* margin = qobject_cast<QLineEdit*>(window->inspector().control(inspector::Record::Document, "marginleft"));
  ASSERT_TRUE(margin);
  margin->setFocus();
  const QString before = margin->text();
  QTest::keyClick(margin, Qt::Key_K, Qt::ControlModifier);
  QTest::keyClick(margin, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_DOUBLE_EQ(m().GV["hits"], 101);
  EXPECT_EQ(margin->text(), before);
  QTest::keyClick(margin, Qt::Key_A, Qt::ControlModifier);  // no macro: the field selects all
  EXPECT_EQ(margin->selectedText(), before);
  // A macro on Control+W wins over the menu's Close from the tool palette too.
  QTest::keyClick(&window->palette(), Qt::Key_W, Qt::ControlModifier);
  EXPECT_DOUBLE_EQ(m().GV["hits"], 10101);
  EXPECT_EQ(gui.windows().size(), 1u);
}

// A new window fits the screen's visible area whatever the scale factor leaves of it.
TEST_F(DocumentWindowTest, NewWindowsFitTheAvailableScreen) {
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  for (int i = 0; i < 3; ++i) {
    gui::DocumentWindow& w = gui.newDocument();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_TRUE(area.contains(w.geometry())) << w.geometry().width() << "x" << w.geometry().height();
    EXPECT_GE(w.plot().width(), 200);
  }
}

}  // namespace
}  // namespace xyla::test
