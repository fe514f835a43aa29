#include "fit/fit_controller.h"

#include <utility>

#include "expr/expression.h"
#include "fit/fit_data.h"
#include "fit/table_door.h"
#include "model/document_file.h"
#include "model/manager.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla::fit {

namespace {

constexpr const char* kVariables[6] = {"x", "A", "B", "C", "D", "E"};

}  // namespace

Fit::Fit() : ep_(kMaxPeaks + 1), epSlots_(kMaxPeaks + 1) {}

Fit::~Fit() { shapes::setTheFit(nullptr); }

Ui* Fit::ui() const { return M_ ? &M_->ui() : nullptr; }

void Fit::setupFit(Manager* manager, XylaDocument* document) {
  if (running_) return;  // a running fit keeps its document
  M_ = manager;
  // The weighting is the document's: a newly bound document brings its own.
  if (document && document != doc_) {
    panel.poisson = document->f_weight;
    panel.poissonBackground = document->f_weightbuffer;
  }
  doc_ = document;
  haveResult = false;
}

bool Fit::parseFunction(const std::string& text, expr::Expression& e, int /*line*/) {
  for (const char* name : kVariables) e.setVar(name, 1.0);
  return e.parse(text);
}

double Fit::calcVal(double x, double A, double B, double C, double D, double E, int k) {
  if (k < 1 || k >= static_cast<int>(ep_.size()) || !ep_[k]) return 0.0;
  expr::Expression& e = *ep_[k];
  const double values[6] = {x, A, B, C, D, E};
  for (int i = 0; i < 6; ++i) e.setSlot(epSlots_[k][i], values[i]);
  return e.resultValue();
}

bool Fit::readtab() {
  if (refusedWhileRunning()) return false;
  shapes::setTheFit(this);
  if (!doc_) return false;
  const ReadOutcome outcome = parseTable();
  switch (outcome.status) {
    case ReadOutcome::Ok: return true;
    case ReadOutcome::CellError:
      if (Ui* u = ui()) u->alert("Alert", outcome.message, {"OK"});
      return false;
    case ReadOutcome::NothingToFit:
      if (Ui* u = ui())
        u->alert("There is nothing to fit", "Please apply at least one '~' to a parameter of a function", {"OK"});
      return false;
    case ReadOutcome::FunctionError: return false;
  }
  return false;
}

ReadOutcome Fit::parseTable() {
  for (auto& e : ep_) e.reset();
  auto userFunction = [this](int k, const std::string& text) {
    auto e = std::make_unique<expr::Expression>();
    if (M_) {
      e->setVars(M_->GV);
      e->setGlobalVars(M_->CV);
    }
    if (!parseFunction(text, *e, k)) return false;
    for (int i = 0; i < 6; ++i) epSlots_[k][i] = e->slot(kVariables[i]);
    ep_[k] = std::move(e);
    return true;
  };
  return readTable(doc_->F, model_, userFunction);
}

void Fit::showModel() {
  if (!doc_ || running_) return;
  shapes::setTheFit(this);
  const ReadOutcome outcome = parseTable();
  const bool drawable = outcome.status == ReadOutcome::Ok || outcome.status == ReadOutcome::NothingToFit;
  if (drawable && model_.npix > 0) return prevexp(false, false);
  // A table without a drawable peak takes the old curves off the screen.
  doc_->FP.clear();
  doc_->haveFitPreview = false;
  doc_->replot();
}

void Fit::writeTable() {
  if (!doc_) return;
  setRows(*doc_, writtenRows(model_, haveInt, doc_->F), TableChange::FitResult);
}

// While a fit runs its progress lets the person's events in; what would read the table
// afresh or replace it under the running fit is refused with a beep meanwhile.
bool Fit::refusedWhileRunning() const {
  if (!running_) return false;
  if (Ui* u = ui()) u->beep();
  return true;
}

void Fit::start() {
  if (!doc_ || refusedWhileRunning()) return;
  doc_->OF.push_back(doc_->F);
  haveInt = false;
  haveResult = false;
  fit();
}

void Fit::back() {
  if (refusedWhileRunning()) return;
  if (!doc_ || doc_->OF.empty()) {
    if (Ui* u = ui()) u->beep();
    return;
  }
  const FitTable previous = std::move(doc_->OF.back());
  doc_->OF.pop_back();
  setTable(*doc_, previous, TableChange::FitResult);
  readtab();
  haveInt = false;
  haveResult = false;
  msgOut(1, "");
  msgOut(2, "");
  prevexp(false, false);
}

void Fit::preview() {
  if (refusedWhileRunning()) return;
  readtab();
  prevexp(false, false);
}

void Fit::exportSum() {
  if (refusedWhileRunning()) return;
  readtab();
  prevexp(true, true);
  if (doc_) doc_->replot();
}

void Fit::exportAll() {
  if (refusedWhileRunning()) return;
  readtab();
  prevexp(false, true);
  if (doc_) doc_->replot();
}

void Fit::load() {
  Ui* u = ui();
  if (!doc_ || !u || refusedWhileRunning()) return;
  const std::vector<std::string> files = u->openPanel("Load Fit", "", false);
  if (files.empty()) return;
  constexpr int kFitGroup = 5;
  FitTable before = doc_->F;
  if (!loadPartialFile(*doc_, files.front(), kFitGroup, *u)) return;
  // The file's table comes in through the door like any edit, so it can be undone.
  const FitTable loaded = std::exchange(doc_->F, std::move(before));
  setTable(*doc_, loaded);
  haveInt = false;
  haveResult = false;
  msgOut(1, "");
  msgOut(2, "");
}

void Fit::setParam(double A, double B) {
  if (!panel.pointer || !doc_) return;
  const int row = panel.selectedRow;
  if (row < 0 || row >= static_cast<int>(doc_->F.size())) return;
  FitRow filled = doc_->F[row];
  filled.set(FitCell::A, formatG(A) + "~");
  filled.set(FitCell::B, formatG(B) + "~");
  if (row + 1 < kMaxPeaks) panel.selectedRow = row + 1;
  haveResult = false;
  setRow(*doc_, row, std::move(filled));
}

void Fit::update() {
  if (!doc_) return;
  panel.limitTag = doc_->f_limit;
  panel.points = doc_->f_points;
  panel.min = doc_->f_min;
  panel.max = doc_->f_max;
  panel.preview = doc_->f_preview;
  panel.poisson = doc_->f_weight;
  panel.poissonBackground = doc_->f_weightbuffer;
}

void Fit::fitDidCanhe() {
  if (!doc_) return;
  doc_->f_limit = panel.limitTag;
  doc_->f_points = panel.points;
  doc_->f_min = panel.min;
  doc_->f_max = panel.max;
  doc_->f_preview = panel.preview;
  doc_->f_weight = panel.poisson;
  doc_->f_weightbuffer = panel.poissonBackground;
}

void Fit::msgOut(int line, const std::string& text) {
  (line == 1 ? msg1_ : msg2_) = text;
  if (M_) M_->refreshPanels();
}

}  // namespace xyla::fit
