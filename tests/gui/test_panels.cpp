// The data inspector and the report window, driven by real events on real widgets.
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>
#include <cmath>
#include <functional>

#include "app/buffer_list.h"
#include "fit/fit_controller.h"
#include "gui/calculator_panel.h"
#include "gui/clipboard_actions.h"
#include "gui/data_panel.h"
#include "gui/fit_panel.h"
#include "gui/inspector_panel.h"
#include "gui/macro_panel.h"
#include "gui/main_menu.h"
#include "gui/query_panel.h"
#include "gui/report_panel.h"
#include "gui/table_models.h"
#include "gui_fixture.h"
#include "io/mysql_queries.h"
#include "macro/style_writer.h"
#include "support/test_files.h"

namespace xyla::test {
namespace {

namespace bl = xyla::bufferlist;

// The fixture's window with three buffers and the data inspector open.
class Panels : public GuiFixture {
 protected:
  Panels() {
    for (int i = 1; i < 3; ++i) {
      DataBuffer& b = doc().newBuffer();
      for (int p = 0; p < 5; ++p) b.addDoubleValue(p, i * 10 + p);
    }
    doc().current = 0;
    gui.showPanel("DataViewVisible", true);
    panel = &gui.dataPanel();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(panel));
    settle();
  }
  void settle() {
    QApplication::processEvents();
    QApplication::processEvents();
  }
  QPoint cell(QTableView* v, int row, int column) { return v->visualRect(v->model()->index(row, column)).center(); }
  void click(QTableView* v, int row, int column, Qt::KeyboardModifiers mods = {}) {
    QTest::mouseClick(v->viewport(), Qt::LeftButton, mods, cell(v, row, column));
  }
  // Types `text` into a table cell as a person would: the first key opens the editor,
  // the rest goes to it, Return commits.
  void type(QTableView* v, const QString& text) {
    QTest::keyClick(v, text[0].toLatin1());
    QTest::keyClicks(QApplication::focusWidget(), text.mid(1));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  }
  void press(const char* button) { QTest::mouseClick(panel->findChild<QPushButton*>(button), Qt::LeftButton); }

  gui::DataPanel* panel = nullptr;
};

TEST_F(Panels, ClickedRowsAreTheSelectionThatOperationsUse) {
  QTableView* list = panel->bufferView();
  ASSERT_EQ(list->model()->rowCount(), 3);
  click(list, 0, bl::Points);
  click(list, 2, bl::Points, Qt::ControlModifier);
  EXPECT_EQ(m().selection(), (std::set<int>{0, 2}));

  // A Data menu action works on exactly these buffers.
  const std::vector<double> y0 = doc().DB[0]->Y, y1 = doc().DB[1]->Y;
  for (const gui::DataAction& a : gui::dataActions())
    if (a.title == "Swap X and Y") gui.run([&] { a.run(gui); });
  EXPECT_EQ(doc().DB[0]->X, y0);
  EXPECT_EQ(doc().DB[1]->Y, y1);
  EXPECT_EQ(doc().DB[2]->X[0], 20);

  press("bHide");
  settle();
  EXPECT_FALSE(doc().DB[0]->show);
  EXPECT_TRUE(doc().DB[1]->show);
  EXPECT_EQ(m().selection(), (std::set<int>{0, 2}));  // the selection survives the refresh
  EXPECT_TRUE(list->selectionModel()->isRowSelected(2, {}));

  // A double click in the first column makes the buffer current; the data table follows.
  click(list, 1, bl::Current);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell(list, 1, bl::Current));
  settle();
  EXPECT_EQ(doc().current, 1);
  EXPECT_EQ(list->model()->index(1, 0).data().toString(), "\u27BD");
  EXPECT_EQ(panel->dataView()->model()->rowCount(), 6);
  EXPECT_EQ(panel->dataView()->model()->index(4, bl::YValue).data().toString(), "14");

  press("bSelectAll");
  press("bDelete");
  settle();
  EXPECT_EQ(doc().bufferCount(), 0);
  EXPECT_EQ(list->model()->rowCount(), 0);
  EXPECT_EQ(panel->dataView()->model()->rowCount(), 0);
  doc().undoStack.undo();
  settle();
  EXPECT_EQ(list->model()->rowCount(), 3);
}

TEST_F(Panels, TypingIntoTheDataTableAddsAndChangesPointsWithUndo) {
  QTableView* data = panel->dataView();
  const int entry = data->model()->rowCount() - 1;
  ASSERT_EQ(entry, 11);
  click(data, entry, bl::XValue);
  QTest::keyClicks(data, "5");  // typing starts the editor
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  settle();
  EXPECT_EQ(doc().DB[0]->count(), 12);
  EXPECT_EQ(doc().DB[0]->xDoubleValueAt(11), 5.0);
  EXPECT_EQ(data->model()->rowCount(), 13);

  click(data, 2, bl::YValue);
  type(data, "oops");
  settle();
  EXPECT_EQ(doc().DB[0]->yDoubleValueAt(2), 2.0);  // not a number: nothing changes

  click(data, 2, bl::YValue);
  type(data, "42.5");
  settle();
  EXPECT_EQ(doc().DB[0]->yDoubleValueAt(2), 42.5);
  EXPECT_EQ(data->model()->index(2, bl::YValue).data().toString(), "42.5");

  // The Delete key removes the selected rows' points.
  click(data, 0, bl::PointNo);
  click(data, 1, bl::PointNo, Qt::ShiftModifier);
  QTest::keyClick(data, Qt::Key_Delete);
  settle();
  EXPECT_EQ(doc().DB[0]->count(), 10);
  EXPECT_EQ(data->model()->rowCount(), 11);

  while (doc().undoStack.canUndo()) doc().undoStack.undo();
  settle();
  EXPECT_EQ(doc().DB[0]->count(), 11);
  EXPECT_EQ(doc().DB[0]->yDoubleValueAt(2), 2.0);
  EXPECT_EQ(data->model()->rowCount(), 12);

  // A double click on a value header switches it to dates.
  QHeaderView* header = data->horizontalHeader();
  QTest::mouseDClick(header->viewport(), Qt::LeftButton, {},
                     QPoint(header->sectionViewportPosition(bl::XValue) + 5, header->height() / 2));
  EXPECT_EQ(panel->dataModel().formats.x, 1);
  EXPECT_EQ(data->model()->index(0, bl::XValue).data().toString().left(4), "2001");
}

TEST_F(Panels, ReportWindowPastesEntriesPrintsAndRemembersItsVisibility) {
  gui.showPanel("ReportVisible", true);
  gui::ReportPanel& report = gui.reportPanel();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&report));
  report.entries()->setCurrentText("Buffer");
  QTest::mouseClick(report.findChild<QPushButton*>("ReportPaste"), Qt::LeftButton);
  QTest::keyClicks(report.line(), "typed by hand");
  QTest::keyClick(report.line(), Qt::Key_Return);
  settle();
  const QString shown = report.text()->toPlainText();
  EXPECT_TRUE(shown.contains("Data Buffer Information")) << shown.toStdString();
  EXPECT_TRUE(shown.contains(" 2 1 1      5 ")) << shown.toStdString();
  EXPECT_TRUE(shown.endsWith("typed by hand\n")) << shown.toStdString();

  // A macro fills the same report; the window follows once the event loop runs.
  app.macros().store().MA.clear();
  addMacro("rep", "reppaste figure");
  gui.run([&] { app.macros().macroByMenu(0); });
  settle();
  EXPECT_EQ(report.text()->document()->toHtml().count("<img"), 1);

  QTemporaryDir dir;
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(dir.filePath("report.pdf"));
  EXPECT_TRUE(report.print(&printer));
  EXPECT_EQ(readFile(dir.filePath("report.pdf").toStdString()).substr(0, 5), "%PDF-");

  ui.answerSave(dir.filePath("report.rtf").toStdString());
  EXPECT_TRUE(report.save());
  QTest::mouseClick(report.findChild<QPushButton*>("ReportClear"), Qt::LeftButton);
  settle();
  EXPECT_TRUE(report.text()->toPlainText().isEmpty());
  ui.answerOpen({dir.filePath("report.rtf").toStdString()});
  EXPECT_TRUE(report.open());
  settle();
  EXPECT_TRUE(report.text()->toPlainText().contains("typed by hand"));

  EXPECT_TRUE(gui.panelVisible("ReportVisible"));
  gui.showPanel("DataViewVisible", false);
  EXPECT_FALSE(gui.panelVisible("DataViewVisible"));
}

TEST_F(Panels, BuffersCopiedInTheInspectorPasteIntoAnotherDocument) {
  click(panel->bufferView(), 1, bl::Points);
  click(panel->bufferView(), 2, bl::Points, Qt::ControlModifier);
  panel->activateWindow();
  QApplication::setActiveWindow(panel);
  ASSERT_TRUE(QTest::qWaitForWindowActive(panel));
  QTest::keyClick(panel->bufferView(), Qt::Key_C, Qt::ControlModifier);
  const QMimeData* data = QApplication::clipboard()->mimeData();
  ASSERT_TRUE(data->hasFormat("XylaBuffer"));
  EXPECT_TRUE(data->text().startsWith("0\t10\n1\t11\n"));

  XylaDocument& other = gui.newDocument().document();
  m().setCurrentDocument(&other);
  gui::pasteAction(gui);
  ASSERT_EQ(other.bufferCount(), 2);
  EXPECT_EQ(other.DB[1]->Y, doc().DB[2]->Y);

  // Text from another program is imported as data.
  QApplication::clipboard()->setText("1\t5\n2\t6\n3\t7\n");
  gui::pasteAction(gui);
  ASSERT_EQ(other.bufferCount(), 3);
  EXPECT_EQ(other.DB[2]->source, "Pasteboard");
  EXPECT_EQ(other.DB[2]->count(), 3);
}

TEST_F(Panels, MacroPanelEditsStoresAndRunsMacros) {
  app.macros().store().MA.clear();
  addMacro("first", "print 'one'");
  app.macros().store().updateMacro(0);
  gui.showPanel("MacroInspectorVisible", true);
  gui::MacroPanel& mp = gui.macroPanel();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&mp));
  EXPECT_EQ(mp.source()->toPlainText(), "print 'one'");

  QTest::mouseClick(mp.findChild<QPushButton*>("MacroAdd"), Qt::LeftButton);
  ASSERT_EQ(mp.table()->rowCount(), 2);
  EXPECT_EQ(mp.table()->item(1, 0)->text(), "New Macro");
  mp.source()->setFocus();
  QTest::keyClicks(mp.source(), "input 'How many?'");
  QTest::keyClick(mp.source(), Qt::Key_Return);
  QTest::keyClicks(mp.source(), "print $input");
  mp.shortcut()->setCurrentIndex(mp.shortcut()->findText("q"));
  const Macro& stored = *app.macros().store().MA[1];
  EXPECT_EQ(stored.src, "input 'How many?'\nprint $input");
  EXPECT_EQ(stored.shortcut, 'q');

  // Run: the input panel asks, and its answer reaches the macro and its console.
  ui.answerInput("12");
  QTest::mouseClick(mp.findChild<QPushButton*>("MacroRun"), Qt::LeftButton);
  EXPECT_EQ(ui.panelTitles.back(), "How many?");
  EXPECT_EQ(m().SV["input"], "12");
  EXPECT_TRUE(mp.console()->toPlainText().endsWith("12"));

  // Renaming in the table renames the macro and its menu entry.
  mp.table()->item(0, 0)->setText("renamed");
  EXPECT_EQ(app.macros().store().MA[0]->name, "renamed");
  EXPECT_EQ(window->macroMenu()->actions().front()->text(), "renamed");

  // A "maxyla" file opened as a document replaces the list and shows the panel.
  QTemporaryDir dir;
  std::vector<std::unique_ptr<Macro>> list;
  list.push_back(std::make_unique<Macro>("from file", "print 'f'", 0, 0));
  writeFile(dir.filePath("set.maxyla").toStdString(), encodeMacroList(list));
  gui.openPath(dir.filePath("set.maxyla").toStdString());
  ASSERT_EQ(mp.table()->rowCount(), 1);
  EXPECT_EQ(mp.table()->item(0, 0)->text(), "from file");
  EXPECT_EQ(gui.windows().size(), 1u);  // no document window for it
}

// Control+Z and Control+Shift+Z undo and redo the document wherever the focus is: the
// data inspector, the fit panel, the inspector; a field with typing to undo keeps them.
TEST_F(Panels, UndoKeysWorkWhileAPanelHasTheFocus) {
  m().setCurrentDocument(&doc());
  gui.showPanel("FitInspectorVisible", true);
  window->showInspector("General");
  auto* margin = qobject_cast<QLineEdit*>(window->inspector().control(inspector::Record::Document, "marginleft"));
  ASSERT_TRUE(margin);
  QWidget* fit = &gui.fitPanel();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(fit));
  QWidget* fitFocus = fit->findChild<QTableView*>();
  ASSERT_TRUE(fitFocus);
  const QList<QWidget*> places = {panel->bufferView(), panel->dataView(), fitFocus, margin};
  for (QWidget* w : places) {
    SCOPED_TRACE(w->metaObject()->className());
    doc().scale(1, 0, 10, 0, 10, false, false);
    doc().undoStack.clear();
    doc().scale(1, 2, 3, 4, 5, true, false);
    w->activateWindow();
    w->setFocus();
    QTest::keyClick(w, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(doc().xmax1, 10);
    QTest::keyClick(w, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(doc().xmax1, 3);
  }
  // Typing in a field: its own undo takes back the typing, the document stays.
  doc().undoStack.clear();
  doc().scale(1, 0, 10, 0, 10, true, false);
  margin->setFocus();
  QTest::keyClicks(margin, "5");
  const QString typed = margin->text();
  QTest::keyClick(margin, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_NE(margin->text(), typed);
  EXPECT_TRUE(doc().undoStack.canUndo());
}

TEST_F(Panels, InsertStyleWritesTheDocumentsLookAtTheCursor) {
  app.macros().store().MA.clear();
  addMacro("look", "print 'a'\nprint 'b'");
  app.macros().store().updateMacro(0);
  m().setCurrentDocument(&doc());
  doc().DB[0]->linewidth = 3.5;
  gui.showPanel("MacroInspectorVisible", true);
  gui::MacroPanel& mp = gui.macroPanel();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&mp));
  mp.source()->setFocus();
  QTest::keyClick(mp.source(), Qt::Key_Home, Qt::ControlModifier);
  QTest::keyClick(mp.source(), Qt::Key_Down);
  QTest::mouseClick(mp.findChild<QPushButton*>("MacroInsertStyle"), Qt::LeftButton);
  const std::string expected = "print 'a'\n" + styleScript(doc()) + "print 'b'";
  EXPECT_EQ(app.macros().store().MA[0]->src, expected);
  EXPECT_EQ(mp.source()->toPlainText().toStdString(), expected);
  EXPECT_NE(expected.find("3.5"), std::string::npos);
}

TEST_F(Panels, FitPanelRunsAFitThatCancelEnds) {
  DataBuffer& b = *doc().DB[0];
  b.X.clear();
  b.Y.clear();
  for (int i = 0; i <= 200; ++i) b.addDoubleValue(i * 0.05, 3 + 60 * std::exp(-std::pow((i * 0.05 - 5.2) / 1.1, 2)));
  gui.showPanel("FitInspectorVisible", true);
  gui::FitPanel& fp = gui.fitPanel();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&fp));
  QTableWidget* t = fp.table();
  const std::pair<int, const char*> cells[] = {{0, "GL"}, {1, "4.5~"}, {2, "40~"}, {3, "2~"}, {4, "0.3"}, {6, "1"}};
  for (auto [column, text] : cells) {
    // The row switches itself on as the width completes it.
    EXPECT_EQ(doc().F[0].active(), column > 3) << column;
    t->item(0, column)->setText(text);
  }
  EXPECT_EQ(doc().F[0].get(FitCell::B), "40~");
  EXPECT_TRUE(doc().F[0].active());
  settle();
  EXPECT_EQ(t->item(0, 8)->checkState(), Qt::Checked);
  // Each typed cell is an undo step; the panel follows the table back.
  EXPECT_EQ(doc().undoStack.undoCount(), 6u);
  for (int i = 0; i < 3; ++i) doc().undoStack.undo();
  settle();
  EXPECT_FALSE(doc().F[0].active());
  EXPECT_EQ(t->item(0, 3)->text(), "");
  EXPECT_EQ(t->item(0, 8)->checkState(), Qt::Unchecked);
  doc().undoStack.redo();
  settle();
  EXPECT_EQ(t->item(0, 8)->checkState(), Qt::Checked);
  for (int i = 0; i < 2; ++i) doc().undoStack.redo();
  settle();

  // Cancel, asked at the second pass over the points in the second iteration, ends the
  // fit after one iteration.
  ui.cancelAtProgress = 3;
  QTest::mouseClick(fp.findChild<QPushButton*>("FitStart"), Qt::LeftButton);
  ui.cancelAtProgress = 0;
  EXPECT_FALSE(fp.running());
  EXPECT_EQ(ui.openProgress, 0);
  EXPECT_TRUE(fp.messages()->text().startsWith("Fit canceled, Iterations: 1")) << fp.messages()->text().toStdString();

  QTest::mouseClick(fp.findChild<QPushButton*>("FitStart"), Qt::LeftButton);
  EXPECT_TRUE(fp.messages()->text().startsWith("Fit succeeded")) << fp.messages()->text().toStdString();
  EXPECT_NEAR(std::stod(t->item(0, 1)->text().toStdString()), 5.2, 0.01);  // the table shows the fitted values
  EXPECT_EQ(t->item(0, 7)->text(), "100");                                 // and the percentage
  // Beside the table: the errors, the true area, the FWHM and the share from the fit's
  // own numbers, and a line on how to keep the curves, until the table changes.
  const auto& measured = app.macros().fitController().result().measures.peaks;
  ASSERT_EQ(measured.size(), 1u);
  auto resultCell = [&](int i) { return t->item(0, 9 + i)->text(); };
  EXPECT_GT(resultCell(0).toDouble(), 0);
  EXPECT_NEAR(resultCell(7).toDouble(), measured[0].fwhm, 1e-4);
  EXPECT_EQ(resultCell(8), "100");
  EXPECT_TRUE(fp.hint()->text().contains("Export All"));
  EXPECT_TRUE(t->horizontalHeaderItem(1)->text().endsWith("Position"));
  // The residual box shows the fit's residual under the plot, follows each fit from any
  // door (the panel's Start, the Data menu, a macro run from the window; each after a
  // change of the data, so a stale residual shows) and gives the plot its place back
  // when switched off.
  const double margin = doc().marginbottom;
  auto* residual = fp.findChild<QCheckBox*>("FitResidual");
  ASSERT_NE(residual, nullptr);
  auto residualMatchesFit = [&] {
    ASSERT_EQ(doc().subplots.size(), 1u);
    const auto& r = doc().subplots[0]->DB[0]->Y;
    ASSERT_EQ(r.size(), doc().DB[0]->Y.size());
    double sum = 0;
    for (double v : r) sum += v * v;
    EXPECT_NEAR(std::sqrt(sum / r.size()), app.macros().fitController().rmsd, 1e-3);
  };
  addMacro("refit", "fit");
  const std::pair<const char*, std::function<void()>> doors[] = {
      {"panel", [&] { QTest::mouseClick(fp.findChild<QPushButton*>("FitStart"), Qt::LeftButton); }},
      {"menu",
       [&] {
         for (const gui::DataAction& a : gui::dataActions())
           if (a.title == "Fit: Start") gui.run([&] { a.run(gui); });
       }},
      {"macro",
       [&] { gui.run([&] { app.macros().macroByMenu(static_cast<int>(app.macros().store().MA.size()) - 1); }); }},
  };
  for (const auto& [door, refit] : doors) {
    SCOPED_TRACE(door);
    QTest::mouseClick(residual, Qt::LeftButton);
    EXPECT_GT(doc().marginbottom, margin);
    residualMatchesFit();
    doc().DB[0]->Y[100] += 20;
    refit();
    settle();
    residualMatchesFit();
    QTest::mouseClick(residual, Qt::LeftButton);
    EXPECT_TRUE(doc().subplots.empty());
    EXPECT_EQ(doc().marginbottom, margin);
  }
  // A macro that changes the table after its fit leaves no results beside the changed
  // table.
  addMacro("fit, then change", "fit\nfitrow 1 GL 4.4~ 40~ 2~ 0.3 '' 1");
  gui.run([&] { app.macros().macroByMenu(static_cast<int>(app.macros().store().MA.size()) - 1); });
  settle();
  EXPECT_EQ(t->item(0, 1)->text(), "4.4~");
  EXPECT_EQ(resultCell(7), "");
  EXPECT_EQ(fp.hint()->text(), "");
  // The function chooser offers the shapes; choosing one names its parameters.
  t->setCurrentCell(0, 0);
  t->editItem(t->item(0, 0));
  auto* chooser = t->findChild<QComboBox*>("FitFunctionChooser");
  ASSERT_NE(chooser, nullptr);
  const int ds = chooser->findData("DS");
  ASSERT_GE(ds, 0);
  EXPECT_TRUE(chooser->itemText(ds).startsWith("DS "));
  chooser->setCurrentIndex(ds);
  emit chooser->activated(ds);
  settle();
  EXPECT_EQ(doc().F[0].get(FitCell::Function), "DS");
  EXPECT_TRUE(t->horizontalHeaderItem(4)->text().endsWith("Asymmetry"));
  EXPECT_EQ(resultCell(7), "");
  EXPECT_EQ(fp.hint()->text(), "");
  doc().undoStack.undo();
  // Back past the fits of the residual rounds, the successful one and the stopped one.
  for (std::size_t i = 0; i < std::size(doors) + 3; ++i)
    QTest::mouseClick(fp.findChild<QPushButton*>("FitBack"), Qt::LeftButton);
  EXPECT_EQ(t->item(0, 1)->text(), "4.5~");
}

TEST_F(Panels, CalculatorRunsLinesAndWalksItsHistory) {
  gui.showPanel("CalculatorVisible", true);
  gui::CalculatorPanel& calc = gui.calculatorPanel();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&calc));
  calc.input()->clear();
  QTest::keyClicks(calc.input(), "1+2");
  QTest::keyClick(calc.input(), Qt::Key_Return);
  EXPECT_EQ(calc.input()->text(), "3");
  EXPECT_TRUE(calc.output()->toPlainText().endsWith("1+2\n    r0 = 3\n")) << calc.output()->toPlainText().toStdString();
  calc.input()->clear();
  QTest::keyClicks(calc.input(), "a = r0*2");
  QTest::keyClick(calc.input(), Qt::Key_Return);
  EXPECT_EQ(m().GV["a"], 6);
  QTest::keyClick(calc.input(), Qt::Key_Up);
  QTest::keyClick(calc.input(), Qt::Key_Up);
  EXPECT_EQ(calc.input()->text(), "1+2");
}

TEST_F(Panels, QueryPanelStoresEveryEditAndMasksThePassword) {
  QueryStore& queries = app.queries();
  queries.MYQ = {MySQLQuery{"spectra", "localhost", "xps", "me", "secret", "select x, y from c1s"}};
  queries.selected = 0;
  gui.showPanel("MySQLImport", true);
  gui::QueryPanel& qp = gui.queryPanel();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&qp));
  EXPECT_EQ(qp.field("passwd")->echoMode(), QLineEdit::Password);
  EXPECT_EQ(qp.field("passwd")->text(), "secret");
  qp.field("host")->selectAll();
  QTest::keyClicks(qp.field("host"), "db.lab");
  qp.sql()->moveCursor(QTextCursor::End);
  QTest::keyClicks(qp.sql(), " where x > 280");
  EXPECT_EQ(queries.MYQ[0].host, "db.lab");
  EXPECT_EQ(queries.MYQ[0].sql, "select x, y from c1s where x > 280");
  QTest::mouseClick(qp.findChild<QPushButton*>("QueryAdd"), Qt::LeftButton);
  ASSERT_EQ(qp.table()->rowCount(), 2);
  EXPECT_EQ(qp.field("name")->text(), "New Query");
}

}  // namespace
}  // namespace xyla::test
