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
void startLoop(Macro& m, LoopValues values, int mode) {
  if (values.empty()) return;
  m.LOOPSTART = m.currentCommand;
  m.LOOPVAL = values.front();
  values.pop_front();
  m.LOOP = std::move(values);
  m.LOOPMODE = mode;
}

// Loop values are "%g" texts: six significant digits.
void loop(Macro& m) { startLoop(m, m.R.asText(), 1); }

void bufferloop(Macro& m) {
  startLoop(m, LoopValues::listed(std::vector<double>(m.B.begin(), m.B.end())), 3);
}

void dataloop(Macro& m) {
  const DataBuffer* b = m.PD->buffer(m.I[0]);
  if (!b || b->count() == 0) return;
  m.LOOPBUFFER = m.I[0];
  startLoop(m, LoopValues::progression(0.0, 1.0, b->count()), 3);
}

void endloop(Macro& m) { m.LOOPNEXT = true; }

}  // namespace

void registerControlCommands(CommandTable& t) {
  t.add(G::ControlFlow, "if", "usu", 3, ifCommand,
        {"value operator value", "Runs the following commands up to else or endif when the comparison holds (== != > >= < <= on numbers, eq ne on texts)."});
  t.add(G::ControlFlow, "endif", "", 0, endifCommand,
        {"", "Ends an if block."});
  t.add(G::ControlFlow, "else", "", 0, elseCommand,
        {"", "Switches to the other branch of an if block."});
  t.add(G::ControlFlow, "loop", "r", 1, loop,
        {"range", "Runs the commands up to endloop once per value of the range (n, a..b, start:end:step or v1,v2,...), with the value in l."});
  t.add(G::ControlFlow, "bufferloop", "b", 1, bufferloop,
        {"buffers", "Runs the commands up to endloop once per buffer, with its index in l."});
  t.add(G::ControlFlow, "dataloop", "i", 1, dataloop,
        {"buffer", "Runs the commands up to endloop once per point of the buffer: l is the index, lx, ly, lxe, lye the point."});
  t.add(G::ControlFlow, "endloop", "", 0, endloop,
        {"", "Ends the body of a loop; goes back while values remain."});
}

}  // namespace xyla
