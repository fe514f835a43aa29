// Doublet presets: one command ties the spin-orbit partner of a fitted component to it,
// with the splitting and the area ratio of the level from the built-in line table.
#include <cmath>
#include <string>

#include "analysis/xps_lines.h"
#include "fit/fit_table.h"
#include "fit/table_door.h"
#include "macro/command_families.h"
#include "macro/command_table.h"
#include "macro/macro.h"
#include "macro/xps_family.h"
#include "model/manager.h"
#include "model/text_scan.h"
#include "model/ui.h"

namespace xyla {

namespace {

std::string tie(int row, char op, double value) { return std::to_string(row) + op + formatG(value); }

// fitdoublet row line [splitting] [ratio]: row + 1 becomes the partner of row's
// component: the same function, its position `splitting` above (below for a negative
// splitting), its height times `ratio`, width, shape and E tied by a factor 1, the same
// weight. Without the numbers they come from the table for `line` ("W 4f").
void fitdoublet(Macro& m) {
  const int row = m.I[0];
  const int rows = static_cast<int>(m.PD->F.size());
  double splitting = 0.0, ratio = 0.0;
  const bool known = xps::doubletOf(m.S[1], splitting, ratio);
  if (m.O[2]) splitting = m.D[2];
  if (m.O[3]) ratio = m.D[3];
  std::string problem;
  if (row < 1 || row >= rows || row >= fit::kMaxPeaks)
    problem = "The partner of row " + std::to_string(row) + " needs a table row below it";
  else if (!m.PD->F[row - 1].hasFunction())
    problem = "Row " + std::to_string(row) + " has no line shape";
  else if (!known && !(m.O[2] && m.O[3]))
    problem = "No doublet of " + m.S[1] + " in the line table: give the splitting and the ratio";
  else if (!std::isfinite(splitting) || !(ratio > 0.0) || !std::isfinite(ratio))
    problem = "The splitting must be a number and the ratio positive";
  if (!problem.empty()) {
    m.M->ui().alert("Fit Doublet", problem, {"OK"});
    return;
  }
  const FitRow& main = m.PD->F[row - 1];
  FitRow partner;
  partner.setActive(true);
  partner.set(FitCell::Function, main.get(FitCell::Function));
  partner.set(FitCell::A, tie(row, splitting < 0 ? '-' : '+', std::fabs(splitting)));
  partner.set(FitCell::B, tie(row, '*', ratio));
  for (FitCell c : {FitCell::C, FitCell::D, FitCell::E})
    if (!textscan::trim(main.get(c)).empty()) partner.set(c, tie(row, '*', 1.0));
  partner.set(FitCell::Weight, main.get(FitCell::Weight));
  fit::setRow(*m.PD, row, std::move(partner));
  m.M->GV["doubletsplit"] = splitting;
  m.M->GV["doubletratio"] = ratio;
}

}  // namespace

void registerDoubletCommands(CommandTable& t) {
  t.add(CommandGroup::Xps, "fitdoublet", "isdd", 2, fitdoublet,
        {"row line [splitting] [ratio]",
         "Ties the next table row to row `row` as its spin-orbit partner: the splitting and area ratio of `line` "
         "(\"W 4f\") from the line table, or as given."});
}

}  // namespace xyla
