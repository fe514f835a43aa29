#include "app/buffer_list.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/text_scan.h"
#include "model/time_format.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla::bufferlist {

namespace {

using Buffers = std::vector<std::unique_ptr<DataBuffer>>;
using Spare = std::shared_ptr<Buffers>;

bool holds(const XylaDocument& d, const DataBuffer* b) {
  return std::any_of(d.DB.begin(), d.DB.end(), [b](const auto& e) { return e.get() == b; });
}

// One undo step: everything registered while it lives, undone together, then a redraw.
class Step {
 public:
  explicit Step(XylaDocument& d) : d_(d) {
    d_.undoStack.beginGroup();
    d_.undoStack.registerUndo([&d] { d.replot(); });
  }
  ~Step() { d_.undoStack.endGroup(); }
  Step(const Step&) = delete;
  Step& operator=(const Step&) = delete;

 private:
  XylaDocument& d_;
};

// Sets one field of a buffer and registers the way back; nothing once the buffer is gone.
template <typename T>
void setField(XylaDocument& d, DataBuffer* b, T DataBuffer::*field, T value) {
  if (!holds(d, b)) return;
  Step step(d);
  T old = std::move(b->*field);
  b->*field = std::move(value);
  d.undoStack.registerUndo([&d, b, field, old] { setField(d, b, field, old); });
}

// Puts the buffers in `order` (taken from the document and from `spare`); buffers left
// over wait in a new spare list for the way back, which this registers.
void reorder(XylaDocument& d, const std::vector<DataBuffer*>& order, const Spare& spare, int current) {
  std::vector<DataBuffer*> before;
  for (const auto& b : d.DB) before.push_back(b.get());
  Buffers pool = std::move(d.DB);
  if (spare)
    for (auto& b : *spare) pool.push_back(std::move(b));
  Buffers next;
  for (DataBuffer* p : order) {
    auto it = std::find_if(pool.begin(), pool.end(), [p](const auto& e) { return e.get() == p; });
    if (it != pool.end()) next.push_back(std::move(*it));
  }
  auto out = std::make_shared<Buffers>();
  for (auto& b : pool)
    if (b) out->push_back(std::move(b));
  const int oldCurrent = d.current;
  d.DB = std::move(next);
  d.current = current;
  Step step(d);
  d.undoStack.registerUndo([&d, before, out, oldCurrent] { reorder(d, before, out, oldCurrent); });
}

std::vector<DataBuffer*> order(const XylaDocument& d) {
  std::vector<DataBuffer*> out;
  for (const auto& b : d.DB) out.push_back(b.get());
  return out;
}

// The columns of a buffer, replaced as a whole with the way back registered.
struct Columns {
  std::vector<double> X, Y, EX, EY;
};

void setColumns(XylaDocument& d, DataBuffer* b, Columns c) {
  if (!holds(d, b)) return;
  Step step(d);
  Columns old{std::move(b->X), std::move(b->Y), std::move(b->EX), std::move(b->EY)};
  b->X = std::move(c.X);
  b->Y = std::move(c.Y);
  b->EX = std::move(c.EX);
  b->EY = std::move(c.EY);
  b->rescale();
  d.undoStack.registerUndo([&d, b, old = std::move(old)]() mutable { setColumns(d, b, std::move(old)); });
}

Columns columnsOf(const DataBuffer& b) { return {b.X, b.Y, b.EX, b.EY}; }

// One value of a column: 0 X, 1 Y, 2 X error, 3 Y error.
void setValue(XylaDocument& d, DataBuffer* b, int column, int i, double v) {
  if (!holds(d, b) || i < 0 || i >= b->count()) return;
  Step step(d);
  double old = 0;
  switch (column) {
    case 0:
      old = b->xDoubleValueAt(i), b->setXDoubleValueAt(i, v);
      break;
    case 1:
      old = b->yDoubleValueAt(i), b->setYDoubleValueAt(i, v);
      break;
    case 2:
      old = b->xDoubleErrorAt(i), b->setXDoubleErrorAt(i, v);
      break;
    default:
      old = b->yDoubleErrorAt(i), b->setYDoubleErrorAt(i, v);
      break;
  }
  d.undoStack.registerUndo([&d, b, column, i, old] { setValue(d, b, column, i, old); });
}

void removeLastPoint(XylaDocument& d, DataBuffer* b);

void addPoint(XylaDocument& d, DataBuffer* b, double x, double y) {
  if (!holds(d, b)) return;
  Step step(d);
  b->addDoubleValue(x, y);
  d.undoStack.registerUndo([&d, b] { removeLastPoint(d, b); });
}

void removeLastPoint(XylaDocument& d, DataBuffer* b) {
  if (!holds(d, b) || b->count() == 0) return;
  Step step(d);
  const int last = b->count() - 1;
  const double x = b->xDoubleValueAt(last), y = b->yDoubleValueAt(last);
  b->deletePoint(last);
  d.undoStack.registerUndo([&d, b, x, y] { addPoint(d, b, x, y); });
}

std::string number(double v) {
  char s[40];
  std::snprintf(s, sizeof s, "%.10g", v);
  return s;
}

std::string valueText(double v, int format) { return format == 1 ? formatTime(v, timeDisplayFormat()) : number(v); }

// The buffers of the selection, in ascending order.
std::vector<DataBuffer*> selected(Manager& m) {
  std::vector<DataBuffer*> out;
  for (int i : m.selection())
    if (DataBuffer* b = m.PD->buffer(i)) out.push_back(b);
  return out;
}

void setShown(Manager& m, const std::vector<DataBuffer*>& buffers, bool on) {
  for (DataBuffer* b : buffers) setField(*m.PD, b, &DataBuffer::show, on);
}

std::vector<DataBuffer*> allBuffers(Manager& m) { return order(*m.PD); }

void moveCurrent(Manager& m, int by) {
  XylaDocument& d = *m.PD;
  if (!d.getCurrentDataBuffer()) return;
  const int from = d.current, to = from + by;
  if (to < 0 || to >= d.bufferCount()) return;
  std::vector<DataBuffer*> o = order(d);
  std::swap(o[from], o[to]);
  reorder(d, o, nullptr, to);
}

}  // namespace

const char* header(Column c) {
  static const char* const names[] = {"", "X", "Y", "U", "L", "E", "No", "Points", "Source", "Comment"};
  return c >= 0 && c < ColumnCount ? names[c] : "";
}

const char* header(DataColumn c) {
  static const char* const names[] = {"No", "X Value", "Y Value", "X Error", "Y Error"};
  return c >= 0 && c < DataColumnCount ? names[c] : "";
}

std::string cellText(const XylaDocument& doc, int row, Column c) {
  const DataBuffer* b = doc.buffer(row);
  if (!b) return "";
  const char* const check = "\u2714";
  switch (c) {
    case Current:
      return row == doc.current ? "\u27BD" : "";
    case BelongX:
      return std::to_string(b->belongx);
    case BelongY:
      return std::to_string(b->belongy);
    case AutoUpdate:
      return b->my_autoupdate ? check : "";
    case Legend:
      return b->plotlegend ? check : "";
    case Errors:
      return b->haserror() ? check : "";
    case Number:
      return std::to_string(row);
    case Points:
      return std::to_string(b->count());
    case Source: {
      const std::size_t slash = b->source.rfind('/');
      return slash == std::string::npos ? b->source : b->source.substr(slash + 1);
    }
    case Comment:
      return b->comment;
    default:
      return "";
  }
}

void setCurrentBuffer(Manager& m, int row) {
  if (!m.PD) return m.ui().beep();
  XylaDocument& d = *m.PD;
  d.current = row >= 0 && row < d.bufferCount() ? row : 0;
  m.tableSelection.clear();
  m.reloadBufferTable();
  d.replot();
}

void doubleClick(Manager& m, int row, Column c) {
  if (!m.PD) return m.ui().beep();
  XylaDocument& d = *m.PD;
  DataBuffer* b = d.buffer(row);
  if (c == Current) return setCurrentBuffer(m, row);
  if (!b) return;
  switch (c) {
    case BelongX:
      setField(d, b, &DataBuffer::belongx, b->belongx == 1 ? 2 : 1);
      break;
    case BelongY:
      setField(d, b, &DataBuffer::belongy, b->belongy == 1 ? 2 : 1);
      break;
    case AutoUpdate:
      if (!b->hassource) return;
      setField(d, b, &DataBuffer::my_autoupdate, !b->my_autoupdate);
      break;
    case Legend:
      setField(d, b, &DataBuffer::plotlegend, !b->plotlegend);
      break;
    default:
      setField(d, b, &DataBuffer::show, !b->show);
      break;
  }
  d.replot();
}

void setText(Manager& m, int row, Column c, const std::string& text) {
  if (!m.PD) return m.ui().beep();
  DataBuffer* b = m.PD->buffer(row);
  if (!b || (c != Source && c != Comment)) return;
  setField(*m.PD, b, c == Source ? &DataBuffer::source : &DataBuffer::comment, text);
  m.PD->replot();
}

bool command(Manager& m, const std::string& name) {
  static const char* const known[] = {"bShow",         "bHide",        "bShowSel",   "bHideSel",
                                      "bDelete",       "bDuplicte",    "bSelectAll", "bSelectNone",
                                      "bSelectInvert", "bRemoveError", "bMoveUp",    "bMoveDown"};
  if (std::none_of(std::begin(known), std::end(known), [&](const char* k) { return name == k; })) return false;
  if (!m.PD) {
    m.ui().beep();
    return true;
  }
  XylaDocument& d = *m.PD;
  if (name == "bSelectAll")
    m.selectAll();
  else if (name == "bSelectNone")
    m.clearSelection();
  else if (name == "bSelectInvert") {
    std::set<int> inverted;
    for (int i = 0; i < d.bufferCount(); ++i)
      if (!m.isSelected(i)) inverted.insert(i);
    m.setSelection(std::move(inverted));
  } else {
    Step step(d);
    if (name == "bShow" || name == "bHide")
      setShown(m, selected(m), name == "bShow");
    else if (name == "bShowSel" || name == "bHideSel") {
      setShown(m, allBuffers(m), name == "bHideSel");
      setShown(m, selected(m), name == "bShowSel");
    } else if (name == "bDelete") {
      std::vector<DataBuffer*> keep;
      for (int i = 0; i < d.bufferCount(); ++i)
        if (!m.isSelected(i)) keep.push_back(d.buffer(i));
      reorder(d, keep, nullptr, d.current < static_cast<int>(keep.size()) ? d.current : 0);
      m.clearSelection();
    } else if (name == "bDuplicte") {
      const std::vector<DataBuffer*> before = order(d);
      const int current = d.current;
      for (int i : m.selection()) d.duplicateBuffer(i);
      d.undoStack.registerUndo([&d, before, current] { reorder(d, before, nullptr, current); });
    } else if (name == "bRemoveError") {
      for (DataBuffer* b : selected(m)) {
        if (!b->haserror()) continue;
        Columns c = columnsOf(*b);
        c.EX.clear();
        c.EY.clear();
        setColumns(d, b, std::move(c));
      }
    } else if (name == "bMoveUp" || name == "bMoveDown") {
      moveCurrent(m, name == "bMoveUp" ? -1 : 1);
    }
  }
  m.reloadBufferTable();
  d.replot();
  return true;
}

int dataRowCount(Manager& m) {
  const DataBuffer* b = m.PD ? m.PD->getCurrentDataBuffer() : nullptr;
  return b ? b->count() + 1 : 0;
}

std::string dataText(Manager& m, int row, DataColumn c, const Formats& f) {
  const DataBuffer* b = m.PD ? m.PD->getCurrentDataBuffer() : nullptr;
  if (!b || row < 0 || row > b->count()) return "";
  if (row == b->count()) return c == PointNo ? "add" : "";
  switch (c) {
    case PointNo:
      return std::to_string(row);
    case XValue:
      return valueText(b->X[static_cast<std::size_t>(row)], f.x);
    case YValue:
      return valueText(b->Y[static_cast<std::size_t>(row)], f.y);
    case XError:
      return b->haserror() ? number(b->xDoubleErrorAt(row)) : "";
    case YError:
      return b->haserror() ? number(b->yDoubleErrorAt(row)) : "";
    default:
      return "";
  }
}

std::optional<double> readValue(const std::string& text, bool asDate) {
  if (asDate) return parseTimeExact(text, timeDisplayFormat());
  std::string t = textscan::trim(text);
  // A lone comma is the decimal separator; with both, the comma groups thousands.
  if (t.find('.') == std::string::npos)
    std::replace(t.begin(), t.end(), ',', '.');
  else
    std::erase(t, ',');
  if (t.empty()) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(t.c_str(), &end);
  if (end != t.c_str() + t.size() || errno == ERANGE) return std::nullopt;
  return v;
}

bool setData(Manager& m, int row, DataColumn c, const std::string& text, const Formats& f) {
  DataBuffer* b = m.PD ? m.PD->getCurrentDataBuffer() : nullptr;
  if (!b || row < 0 || row > b->count() || c == PointNo) return false;
  const bool entryRow = row == b->count();
  if (entryRow && c != XValue && c != YValue) return false;
  const auto v = readValue(text, (c == XValue && f.x == 1) || (c == YValue && f.y == 1));
  if (!v) return false;
  XylaDocument& d = *m.PD;
  {
    Step step(d);
    if (entryRow) {
      addPoint(d, b, c == XValue ? *v : 0.0, c == YValue ? *v : 0.0);
    } else if (c == XValue || c == YValue) {
      setValue(d, b, c == XValue ? 0 : 1, row, *v);
    } else {
      if (!b->haserror()) {
        Columns withErrors = columnsOf(*b);
        withErrors.EX.assign(withErrors.X.size(), 0.0);
        withErrors.EY.assign(withErrors.X.size(), 0.0);
        setColumns(d, b, std::move(withErrors));
      }
      setValue(d, b, c == XError ? 2 : 3, row, *v);
    }
  }
  d.replot();
  return true;
}

void toggleFormat(Formats& f, DataColumn c) {
  if (c == XValue) f.x = 1 - f.x;
  if (c == YValue) f.y = 1 - f.y;
}

void deleteSelectedPoints(Manager& m) {
  DataBuffer* b = m.PD ? m.PD->getCurrentDataBuffer() : nullptr;
  if (!b) return m.ui().beep();
  std::set<int> points;
  for (int i : m.tableSelection)
    if (i >= 0 && i < b->count()) points.insert(i);
  m.tableSelection.clear();
  if (!points.empty()) {
    Columns before = columnsOf(*b);
    b->deletePoints(points);
    Columns after = columnsOf(*b);
    // Back to the old columns first, so the step records them; then the new ones.
    b->X = std::move(before.X), b->Y = std::move(before.Y), b->EX = std::move(before.EX), b->EY = std::move(before.EY);
    setColumns(*m.PD, b, std::move(after));
  }
  m.refreshPanels();
  m.PD->replot();
}

void appendAsOneStep(XylaDocument& d, const std::function<void()>& add) {
  const std::vector<DataBuffer*> before = order(d);
  const int current = d.current;
  const std::array<double, 8> r = {d.xmin1, d.xmax1, d.ymin1, d.ymax1, d.xmin2, d.xmax2, d.ymin2, d.ymax2};
  Step step(d);
  d.undoStack.registerUndo([&d, r] {
    d.scale(1, r[0], r[1], r[2], r[3], true, false);
    d.scale(2, r[4], r[5], r[6], r[7], true, false);
  });
  add();
  d.undoStack.registerUndo([&d, before, current] { reorder(d, before, nullptr, current); });
}

}  // namespace xyla::bufferlist
