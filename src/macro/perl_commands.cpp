// The Perl commands: perlimport and perlfilter run the inline Perl of the macro
// (between <perl> and </perl>) or stored Perl-type macros of a given name.
#include <fstream>
#include <sstream>

#include "macro/command_families.h"
#include "macro/command_helpers.h"
#include "macro/command_table.h"
#include "macro/macro_controller.h"

namespace xyla {

namespace {

using G = CommandGroup;

// A fresh Perl macro of `type` holding this run's inline Perl; null when there is none.
std::unique_ptr<Macro> inlineMacro(const Macro& m, int type) {
  if (m.inlineperl.empty()) return nullptr;
  std::ifstream in(m.inlineperl, std::ios::binary);
  if (!in) return nullptr;
  std::ostringstream text;
  text << in.rdbuf();
  return std::make_unique<Macro>("inline", text.str(), 0, type);
}

// Every stored macro named `name` (ignoring case) of `type`, in list order.
template <typename F>
void eachStored(Macro& m, const std::string& name, int type, F f) {
  if (!m.MC) return;
  std::vector<Macro*> found;
  for (const auto& stored : m.MC->store().MA)
    if (stored->type == type && equalsIgnoringCase(stored->name, name)) found.push_back(stored.get());
  for (Macro* p : found) f(*p);
}

void perlimport(Macro& m) {
  const std::string path = m.S[0];
  if (!m.O[1]) {
    if (auto p = inlineMacro(m, 1)) p->perlImportFromMacro(*m.M, m.MC, path);
  } else {
    eachStored(m, m.S[1], 1, [&](Macro& p) { p.perlImportFromMacro(*m.M, m.MC, path); });
  }
}

void perlfilter(Macro& m) {
  const std::vector<int> indexes = m.B;
  if (!m.O[1]) {
    if (auto p = inlineMacro(m, 2)) p->perlFilterFromMacro(*m.M, m.MC, indexes);
  } else {
    eachStored(m, m.S[1], 2, [&](Macro& p) { p.perlFilterFromMacro(*m.M, m.MC, indexes); });
  }
}

}  // namespace

void registerPerlCommands(CommandTable& t) {
  t.add(G::Files, "perlimport", "ss", 1, perlimport,
        {"file [macro]", "Imports the file through the macro's inline Perl, or through the stored Perl import macros of that name."});
  t.add(G::Files, "perlfilter", "bs", 1, perlfilter,
        {"buffers [macro]", "Runs the buffers through the macro's inline Perl, or through the stored Perl filter macros of that name."});
}

}  // namespace xyla
