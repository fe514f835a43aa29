// Conditions and loops. If blocks and loops do not nest: a skipped branch skips every
// command up to the next else or endif, and a loop command inside a body replaces the
// values still pending.
#include <cmath>
#include <cstdlib>

#include "macro/command_families.h"
#include "macro/command_helpers.h"
#include "macro/command_table.h"
#include "macro/macro_text.h"

namespace xyla {

namespace {

using G = CommandGroup;

bool compare(const Macro& m) {
  const std::string op = lowerAscii(m.S[1]);
  const double a = m.D[0], b = m.D[2];
  if (op == "==") return a == b;
  if (op == "!=") return !(a == b);
  if (op == ">") return a > b;
  if (op == ">=") return a >= b;
  if (op == "<") return a < b;
  if (op == "<=") return a <= b;
  if (op == "eq") return equalsIgnoringCase(m.S[0], m.S[2]);
  if (op == "ne") return !equalsIgnoringCase(m.S[0], m.S[2]);
  return false;
}

void ifCommand(Macro& m) {
  m.IFMODE = true;
  m.IFCOND = compare(m);
}

void endifCommand(Macro& m) { m.IFMODE = false; }

void elseCommand(Macro& m) { m.IFCOND = !m.IFCOND; }

// Starts a loop at the current command over `values` (the first becomes l at once).
void startLoop(Macro& m, std::deque<double> values, int mode) {
  if (values.empty()) return;
  m.LOOPSTART = m.currentCommand;
  m.LOOPVAL = values.front();
  values.pop_front();
  m.LOOP = std::move(values);
  m.LOOPMODE = mode;
}

void loop(Macro& m) {
  std::deque<double> values;
  // Each value goes through "%g", as loop values are texts of six significant digits.
  for (const std::string& r : m.R) values.push_back(std::atof(formatG(std::atof(r.c_str())).c_str()));
  startLoop(m, std::move(values), 1);
}

void bufferloop(Macro& m) { startLoop(m, std::deque<double>(m.B.begin(), m.B.end()), 3); }

void dataloop(Macro& m) {
  const DataBuffer* b = m.PD->buffer(m.I[0]);
  if (!b || b->count() == 0) return;
  std::deque<double> values;
  for (int i = 0; i < b->count(); ++i) values.push_back(i);
  m.LOOPBUFFER = m.I[0];
  startLoop(m, std::move(values), 3);
}

void endloop(Macro& m) { m.LOOPNEXT = true; }

}  // namespace

void registerControlCommands(CommandTable& t) {
  t.add(G::ControlFlow, "if", "usu", 3, ifCommand);
  t.add(G::ControlFlow, "endif", "", 0, endifCommand);
  t.add(G::ControlFlow, "else", "", 0, elseCommand);
  t.add(G::ControlFlow, "loop", "r", 1, loop);
  t.add(G::ControlFlow, "bufferloop", "b", 1, bufferloop);
  t.add(G::ControlFlow, "dataloop", "i", 1, dataloop);
  t.add(G::ControlFlow, "endloop", "", 0, endloop);
}

}  // namespace xyla
