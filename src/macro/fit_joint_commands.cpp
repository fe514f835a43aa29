// Several buffers fitted together: the rows of the fit table are shared out among the
// buffers, ties of the table join them, and the results are published per row.
#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "fit/background_terms.h"
#include "fit/fit_controller.h"
#include "fit/joint_fit.h"
#include "fit/table_door.h"
#include "macro/command_helpers.h"
#include "macro/command_table.h"
#include "macro/fit_binding.h"
#include "macro/macro.h"
#include "macro/xps_family.h"
#include "model/manager.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla {

namespace {

void jointAlert(Macro& m, const std::string& message) { m.M->ui().alert("Joint Fit", message, {"OK"}); }

// "1-3;4 5": the table rows (1-based) of each buffer, groups apart by ';', rows by blanks,
// ranges with '-'. False with a reason for anything else.
bool parseRowGroups(const std::string& text, std::vector<std::vector<int>>& groups, std::string& error) {
  std::istringstream all(text);
  for (std::string group; std::getline(all, group, ';');) {
    std::vector<int> rows;
    std::istringstream items(group);
    for (std::string item; items >> item;) {
      int a = 0, b = 0;
      char dash = 0, rest = 0;
      std::istringstream one(item);
      if (!(one >> a) || (one >> dash && (dash != '-' || !(one >> b) || one >> rest)) || a < 1 || (dash && b < a)) {
        error = "Rows must be written as 1-3;4 5 (one group per buffer), not " + text;
        return false;
      }
      for (int r = a; r <= (dash ? b : a); ++r) rows.push_back(r);
    }
    groups.push_back(rows);
  }
  if (groups.empty()) error = "No rows given";
  return !groups.empty();
}

// The groups of peaks of the buffers; false with a reason.
bool jointGroups(Macro& m, const fit::Fit& f, const std::vector<int>& buffers,
                 const std::vector<std::vector<int>>& rows, std::vector<fit::JointGroup>& groups, std::string& error) {
  const fit::FitModel& model = f.model();
  std::vector<int> owner(model.npix + 1, -1);
  for (std::size_t g = 0; g < buffers.size(); ++g) {
    fit::JointGroup jg;
    jg.data = fit::fitData(*m.PD->buffer(buffers[g]));
    if (jg.data.n < 2) return error = "Buffer " + std::to_string(buffers[g]) + " has fewer than 2 points", false;
    if (f.panel.poisson) fit::poissonWeights(jg.data, nullptr);
    for (int row : rows[g]) {
      const int k = row <= static_cast<int>(model.ed.size()) ? model.ed[row - 1] + 1 : 0;
      if (k < 1) return error = "Row " + std::to_string(row) + " is no active peak of the table", false;
      // A background's step follows the peaks of its own spectrum, which the joint model
      // does not keep apart: such tables are fitted buffer by buffer.
      if (fit::isBackgroundCode(model.ifunc[k]))
        return error = "Row " + std::to_string(row) + " is a fitted background: fit each buffer on its own", false;
      if (owner[k] >= 0) return error = "Row " + std::to_string(row) + " is given to two buffers", false;
      owner[k] = static_cast<int>(g);
      jg.peaks.push_back(k);
    }
    std::sort(jg.peaks.begin(), jg.peaks.end());
    groups.push_back(jg);
  }
  for (int k = 1; k <= model.npix; ++k)
    if (owner[k] < 0)
      return error = "Row " + std::to_string(model.peaks[k - 1].row + 1) + " belongs to no buffer", false;
  return true;
}

void setVariable(Macro& m, const std::string& name, double value) {
  m.M->GV[name] = std::isfinite(value) ? value : 0.0;
}

// The fitted values, errors and measures of every row, as a single fit publishes them.
void publishRows(Macro& m, fit::FitModel& fitted, const fit::JointResult& r, const std::vector<int>& buffers,
                 const std::vector<fit::JointGroup>& groups) {
  for (std::size_t g = 0; g < groups.size(); ++g) {
    const std::string i = std::to_string(g + 1);
    setVariable(m, "fitjointchisq" + i, r.parts[g].chisq);
    setVariable(m, "fitjointrms" + i, r.parts[g].rms);
    setVariable(m, "fitjointpoints" + i, r.parts[g].points);
    for (int k : groups[g].peaks) {
      const std::string row = std::to_string(fitted.peaks[k - 1].row + 1);
      publishPeakParameters(m, fitted, k, r.errors.standardError, row);
      setVariable(m, "fitjointbuffer" + row, buffers[g]);
      publishPeakNumbers(m, r.measures.peaks[k - 1], row);
    }
  }
}

// fitjoint buffers rows: publishes fitjointok, fitjointiter, fitjointchisq,
// fitjointredchisq, per buffer g fitjointchisq<g>, fitjointrms<g>, fitjointpoints<g>,
// and per row the variables of a single fit.
void fitjoint(Macro& m) {
  fit::Fit& f = fitFor(m);
  std::vector<int> buffers;
  forEachBufferIndex(m, [&buffers](int index) { buffers.push_back(index); });
  std::vector<std::vector<int>> rows;
  std::string error;
  if (!parseRowGroups(m.S[1], rows, error)) return jointAlert(m, error);
  if (rows.size() != buffers.size())
    return jointAlert(m, "Give one group of rows per buffer: " + std::to_string(buffers.size()) + " buffers, " +
                             std::to_string(rows.size()) + " groups");
  f.update();
  if (!f.readtab()) return;
  std::vector<fit::JointGroup> groups;
  if (!jointGroups(m, f, buffers, rows, groups, error)) return jointAlert(m, error);
  const fit::JointResult r =
      fit::fitJoint(f.model(), groups, f.modelThreads, f.iterationTotal > 0 ? f.iterationTotal : 1000);
  setVariable(m, "fitjointok", r.ok ? 1 : 0);
  setVariable(m, "fitjointiter", r.iterations);
  setVariable(m, "fitjointchisq", r.chisq);
  setVariable(m, "fitjointredchisq", r.reducedChisq);
  if (!r.ok) {
    m.M->ui().alert("Fit Failed", r.error, {"OK"});
    return;
  }
  fit::FitModel fitted = f.model();
  for (int j = 1; j <= fitted.nptab; ++j) fitted.ptab[j] = static_cast<float>(r.parameters[j]);
  publishRows(m, fitted, r, buffers, groups);
  // The table shows the joint result, in the notation typed.
  fit::setRows(*m.PD, fit::writtenRows(fitted, false, m.PD->F), fit::TableChange::FitResult);
}

}  // namespace

void registerJointCommands(CommandTable& t) {
  t.add(CommandGroup::Fit, "fitjoint", "bs", 2, fitjoint,
        {"buffers rows",
         "Fits the table to several buffers together: rows '1-3;4 5' give each buffer its rows, ties of the table "
         "join the buffers (one width, one splitting, linked areas); publishes fitA1.. and fittruepct1.. (within each "
         "buffer), fitjointok and fitjointchisq<g>."});
}

}  // namespace xyla
