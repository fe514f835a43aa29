// Ranges, points of one buffer, the buffer list, selection and visibility.
#include "macro/command_families.h"
#include "macro/command_helpers.h"
#include "macro/command_table.h"
#include "macro/macro_text.h"
#include "model/manager.h"

namespace xyla {

namespace {

using G = CommandGroup;

// ---- ranges ----

void range(Macro& m) {
  XylaDocument& d = *m.PD;
  const double a = m.D[1], b = m.D[2];
  forEachAxis(m, [&](int k) {
    switch (k) {
      case 0: d.scale(1, a, b, d.ymin1, d.ymax1, false, false); break;
      case 1: d.scale(1, d.xmin1, d.xmax1, a, b, false, false); break;
      case 2: d.scale(2, a, b, d.ymin2, d.ymax2, false, false); break;
      default: d.scale(2, d.xmin2, d.xmax2, a, b, false, false); break;
    }
  });
}

bool validRange(int r) { return r >= 0 && r <= 2; }

void rescale(Macro& m) { m.PD->rescale(false, m.O[0] && validRange(m.I[0]) ? m.I[0] : 0); }

void upscale(Macro& m) {
  if (validRange(m.I[0])) m.PD->upscale(m.O[1] ? m.D[1] : 10.0, 0, m.I[0], false);
}

void downscale(Macro& m) {
  if (validRange(m.I[0])) m.PD->downscale(m.O[1] ? m.D[1] : 10.0, 0, m.I[0], false);
}

void update(Macro& m) { m.PD->updatedata(); }

// ---- points of one buffer ----

DataBuffer* bufferArg(Macro& m) { return m.PD->buffer(m.I[0]); }

void addvalue(Macro& m) {
  DataBuffer* b = bufferArg(m);
  if (!b) return;
  b->addDoubleValue(m.D[1], m.D[2]);
  if (m.O[3] && m.O[4]) {
    b->setXDoubleErrorAt(b->count() - 1, m.D[3]);
    b->setYDoubleErrorAt(b->count() - 1, m.D[4]);
  }
}

// Runs `f` on point I1 of buffer I0 when both exist.
template <typename F>
void onPoint(Macro& m, F f) {
  DataBuffer* b = bufferArg(m);
  if (b && m.I[1] >= 0 && m.I[1] < b->count()) f(*b, m.I[1]);
}

void setxvalue(Macro& m) { onPoint(m, [&](DataBuffer& b, int i) { b.setXDoubleValueAt(i, m.D[2]); }); }
void setxerror(Macro& m) { onPoint(m, [&](DataBuffer& b, int i) { b.setXDoubleErrorAt(i, m.D[2]); }); }
void setyvalue(Macro& m) { onPoint(m, [&](DataBuffer& b, int i) { b.setYDoubleValueAt(i, m.D[2]); }); }
void setyerror(Macro& m) { onPoint(m, [&](DataBuffer& b, int i) { b.setYDoubleErrorAt(i, m.D[2]); }); }
void rmvalue(Macro& m) { onPoint(m, [](DataBuffer& b, int i) { b.deletePoint(i); }); }

// ---- buffer list ----

void setcurrent(Macro& m) {
  if (m.PD->buffer(m.I[0])) m.PD->current = m.I[0];
}

void newbuffer(Macro& m) { m.PD->newBuffer(); }

void deleteBuffers(Macro& m) {
  forEachBuffer(m, [](DataBuffer& b) { b.setRm(); });
  m.PD->deleteBuffer();
}

void duplicate(Macro& m) {
  forEachBufferIndex(m, [&](int i) { m.PD->duplicateBuffer(i); });
}

void setcomment(Macro& m) {
  forEachBuffer(m, [&](DataBuffer& b) { b.setComment(m.S[1]); });
}
void addcomment(Macro& m) {
  forEachBuffer(m, [&](DataBuffer& b) { b.setComment(b.getComment() + " " + m.S[1]); });
}
void setsource(Macro& m) {
  forEachBuffer(m, [&](DataBuffer& b) { b.setSource(m.S[1]); });
}
void addsource(Macro& m) {
  forEachBuffer(m, [&](DataBuffer& b) { b.setSource(b.getSource() + " " + m.S[1]); });
}

void getcomment(Macro& m) {
  if (DataBuffer* b = bufferArg(m)) m.M->SV[variableName(m.SS[1])] = b->getComment();
}
void getsource(Macro& m) {
  if (DataBuffer* b = bufferArg(m)) m.M->SV[variableName(m.SS[1])] = b->getSource();
}

// ---- selection and visibility ----

void select(Macro& m) {
  m.M->clearSelection();
  for (int i : m.B) m.M->select(i);
}

void invertselection(Macro& m) {
  for (int i = 0; i < m.PD->bufferCount(); ++i) {
    if (m.M->isSelected(i)) m.M->deselect(i);
    else m.M->select(i);
  }
}

void show(Macro& m) {
  forEachBuffer(m, [](DataBuffer& b) { b.setShow(true); });
}
void hide(Macro& m) {
  forEachBuffer(m, [](DataBuffer& b) { b.setShow(false); });
}
void belongx(Macro& m) {
  if (m.I[1] == 1 || m.I[1] == 2) forEachBuffer(m, [&](DataBuffer& b) { b.belongx = m.I[1]; });
}
void belongy(Macro& m) {
  if (m.I[1] == 1 || m.I[1] == 2) forEachBuffer(m, [&](DataBuffer& b) { b.belongy = m.I[1]; });
}
void blegend(Macro& m) {
  forEachBuffer(m, [&](DataBuffer& b) { b.plotlegend = m.I[0] != 0; });
}

}  // namespace

void registerBufferCommands(CommandTable& t) {
  t.add(G::Ranges, "range", "add", 3, range,
        {"axes min max", "Sets the range of the given axes to min..max (X axes set X, Y axes set Y)."});
  t.add(G::Ranges, "rescale", "i", 0, rescale,
        {"[range]", "Fits range 1, 2 or both (0, the default) to the shown buffers."});
  t.add(G::Ranges, "upscale", "id", 1, upscale,
        {"range [factor]", "Zooms out range 1, 2 or both (0) by the factor (default 10)."});
  t.add(G::Ranges, "downscale", "id", 1, downscale,
        {"range [factor]", "Zooms in range 1, 2 or both (0) by the factor (default 10)."});
  t.add(G::Ranges, "update", "", 0, update,
        {"", "Re-reads every buffer that has an automatic database source."});

  t.add(G::Points, "addvalue", "idddd", 3, addvalue,
        {"buffer x y [xerror] [yerror]", "Appends the point (x, y) to the buffer; both errors when both are given."});
  t.add(G::Points, "setxvalue", "iid", 3, setxvalue,
        {"buffer point x", "Sets the X value of one point of one buffer."});
  t.add(G::Points, "setxerror", "iid", 3, setxerror,
        {"buffer point error", "Sets the X error of one point of one buffer."});
  t.add(G::Points, "setyvalue", "iid", 3, setyvalue,
        {"buffer point y", "Sets the Y value of one point of one buffer."});
  t.add(G::Points, "setyerror", "iid", 3, setyerror,
        {"buffer point error", "Sets the Y error of one point of one buffer."});
  t.add(G::Points, "rmvalue", "ii", 2, rmvalue,
        {"buffer point", "Removes one point of one buffer."});

  t.add(G::BufferList, "setcurrent", "i", 1, setcurrent,
        {"buffer", "Makes the buffer the current one (the one fits and previews work on)."});
  t.add(G::BufferList, "newbuffer", "", 0, newbuffer,
        {"", "Appends an empty buffer."});
  t.add(G::BufferList, "delete", "b", 1, deleteBuffers,
        {"buffers", "Deletes the buffers."});
  t.add(G::BufferList, "duplicate", "b", 1, duplicate,
        {"buffers", "Appends a copy of each of the buffers."});
  t.add(G::BufferList, "setcomment", "bu", 2, setcomment,
        {"buffers text", "Sets the comment of the buffers."});
  t.add(G::BufferList, "addcomment", "bu", 2, addcomment,
        {"buffers text", "Appends a blank and the text to the comment of the buffers."});
  t.add(G::BufferList, "getcomment", "is", 2, getcomment,
        {"buffer variable", "Copies the comment of the buffer into the string variable."});
  t.add(G::BufferList, "setsource", "bu", 2, setsource,
        {"buffers text", "Sets the source of the buffers."});
  t.add(G::BufferList, "addsource", "bu", 2, addsource,
        {"buffers text", "Appends a blank and the text to the source of the buffers."});
  t.add(G::BufferList, "getsource", "is", 2, getsource,
        {"buffer variable", "Copies the source of the buffer into the string variable."});
  t.add(G::BufferList, "select", "b", 1, select,
        {"buffers", "Selects exactly these buffers in the buffer list."});
  t.add(G::BufferList, "invertselection", "", 0, invertselection,
        {"", "Selects the unselected buffers and deselects the selected ones."});
  t.add(G::BufferList, "show", "b", 1, show,
        {"buffers", "Shows the buffers in the plot."});
  t.add(G::BufferList, "hide", "b", 1, hide,
        {"buffers", "Hides the buffers from the plot."});
  t.add(G::BufferList, "belongx", "bi", 2, belongx,
        {"buffers range", "Draws the buffers against the X range 1 or 2."});
  t.add(G::BufferList, "belongy", "bi", 2, belongy,
        {"buffers range", "Draws the buffers against the Y range 1 or 2."});
  t.add(G::BufferList, "blegend", "ib", 2, blegend,
        {"on buffers", "Lists the buffers in the legend (1) or leaves them out (0)."});
}

}  // namespace xyla
