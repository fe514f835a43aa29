#pragma once

#include <cmath>
#include <initializer_list>

#include "macro/macro.h"
#include "model/data_buffer.h"
#include "model/xyla_document.h"

namespace xyla {

// Shared pieces of the command actions.

// Runs `f` on every buffer of the macro's buffer list B, in its order. Looked up by
// index each time, so operations that append buffers keep the list valid.
template <typename F>
void forEachBuffer(Macro& m, F f) {
  for (int index : m.B) {
    if (DataBuffer* b = m.PD->buffer(index)) f(*b);
  }
}

// The same with the index, for document operations that take one.
template <typename F>
void forEachBufferIndex(Macro& m, F f) {
  const std::vector<int> list = m.B;
  for (int index : list) {
    if (m.PD->buffer(index)) f(index);
  }
}

// Runs `f` on every axis index of the macro's axis list A.
template <typename F>
void forEachAxis(Macro& m, F f) {
  for (int k : m.A) f(k);
}

// Argument p as a flag: on when its integer value is not 0.
inline bool flag(const Macro& m, int p) { return m.I[p] != 0; }

// The colour of arguments p, p+1, p+2 with the alpha of argument `alphaSlot` when given.
inline Colour colourArgs(const Macro& m, int p, int alphaSlot) {
  return m.getColor(m.D[p], m.D[p + 1], m.D[p + 2], m.O[alphaSlot] ? m.D[alphaSlot] : 1.0);
}

// True when every argument of `slots` is a finite number. Otherwise the first that is
// not is reported ("Not a finite number: ...") and the run stops: for settings that
// size or place the plot, where an infinite or undefined value cannot be drawn.
inline bool finiteNumbers(Macro& m, std::initializer_list<int> slots) {
  for (int p : slots) {
    if (std::isfinite(m.D[p])) continue;
    m.syntaxError("Not a finite number: %@", {m.SS[static_cast<std::size_t>(p)]});
    return false;
  }
  return true;
}

// The string of argument p, or "" when it was not given.
inline std::string stringArg(const Macro& m, int p) {
  return m.O[p] && static_cast<std::size_t>(p) < m.S.size() ? m.S[p] : std::string();
}

}  // namespace xyla
