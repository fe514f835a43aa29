#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "fit/fit_table.h"
#include "fit/levenberg_marquardt.h"
#include "fit/monte_carlo.h"
#include "fit/peak_errors.h"
#include "fit/peak_sum.h"
#include "shapes/peak_model.h"

namespace xyla {
class Manager;
class Ui;
class XylaDocument;
namespace expr {
class Expression;
}
}  // namespace xyla

namespace xyla::fit {

// The controls of the fit panel that the controller reads and writes. The window layer
// binds its widgets to these; batch runs and tests set them directly.
struct FitPanel {
  bool preview = true;    // show the model on the plot while fitting
  bool pointer = false;   // a pointer release fills A and B of the selected row
  int limitTag = 100;     // iterations between "Fit Stopped" questions
  std::string points, min, max;  // exported curves: number of points and X range
  int selectedRow = 0;    // selected table row (0-based)
  // Weighting: off, one common sigma (the default); on, sigma_i = sqrt(max(counts, 1))
  // with the counts of the background buffer `poissonBackground` added (-1: none).
  bool poisson = false;
  int poissonBackground = -1;
};

// The outcome of the last fit, for reports and macros.
struct FitData;

struct FitResult {
  bool success = false;
  int iterations = 0;
  double chisq = 0.0;
  double rms = 0.0;
  double sigma = 0.0;
  int points = 0;
  int freeParameters = 0;
  // Standard error of every parameter (index 1..5 x peaks): for free parameters from the
  // final covariance scaled by the reduced chi-square; tied ones inherit their target's
  // (scaled by the factor of a multiplicative tie); fixed ones 0. Empty when unknown.
  std::vector<double> standardError;
  // Degrees of freedom (points - free parameters) and chi-square divided by them.
  int dof = 0;
  double reducedChisq = 0.0;
  bool poisson = false;  // the points were weighted by their counts
  double xlo = 0.0, xhi = 0.0;  // the fitted X range
  int buffer = -1;              // index of the fitted buffer
  long run = 0;                 // number of the fit in this program run (from 1)
  // Covariance of the parameters ((nptab+1)^2, row-major, scaled by the reduced
  // chi-square like the standard errors); empty when unknown.
  std::vector<double> covariance;
  // Per peak (peak order): position, height, FWHM, true area and percentage with their
  // errors, and the covariance of the true areas. Set after every successful fit.
  PeakTable measures;
  // Energy correction applied to the fit since it ran (its X axis moved by a charge
  // correction), so published positions are on the corrected scale.
  double energyShift = 0.0;
  // The document's table as the fit (or a later energy correction) wrote it back: the
  // results belong to the table while it is unchanged.
  FitTable table;
};

// The curve-fit controller: turns the current document's fit table into a
// Levenberg-Marquardt problem on the current buffer, writes the fitted values back,
// computes areas and percentages, previews the model and exports it as buffers.
class Fit : public shapes::UserFunctions {
 public:
  Fit();
  ~Fit() override;
  Fit(const Fit&) = delete;
  Fit& operator=(const Fit&) = delete;

  // Binds the controller to a document (and the application controller that owns it).
  void setupFit(Manager* manager, XylaDocument* document);
  XylaDocument* document() const { return doc_; }

  // Parses the table; shows the table's alerts and answers whether a fit may run.
  bool readtab();
  // Writes values, percentages and weights back into the table.
  void writeTable();
  // Runs a fit on the current buffer.
  void fit();
  // Keeps the table on the history stack, then fits.
  void start();
  // Takes the table back to the one before the last start (beeps without history).
  void back();
  // Draws the model over the current buffer's range once.
  void preview();
  // Draws the model of the table as it stands, without any alert (the preview that
  // follows edits and pointer drags); a table without a drawable peak clears it.
  void showModel();
  // Appends the model sum as a buffer.
  void exportSum();
  // Appends the model sum and every peak as buffers.
  void exportAll();
  // Asks for a document file and takes its fit table (only that) into the document.
  void load();
  // Pointer release in data coordinates: fills A and B of the selected row when the
  // pointer box is on.
  void setParam(double A, double B);
  // Panel fields from the document / into the document.
  void update();
  void fitDidCanhe();
  // Parses a user function with x and A..E defined.
  bool parseFunction(const std::string& text, expr::Expression& e, int line);
  // Value of peak k's user function.
  double calcVal(double x, double A, double B, double C, double D, double E, int k) override;
  // Replaces message line 1 or 2; the panels show both when they next refresh.
  void msgOut(int line, const std::string& text);
  // The fitted buffer's points minus the model at them (false without a fitted buffer).
  bool residuals(std::vector<double>& x, std::vector<double>& r);
  // The fitted buffer's X moved by `shift`: the table's positions, their typed limits,
  // the result's positions and range and the preview move with it (peaks of user
  // functions are left as they are).
  void shiftEnergy(double shift);
  // Buffers appended for each peak by the last export of all curves (peak order).
  const std::vector<int>& exportedPeakBuffers() const { return exportedPeaks_; }

  FitPanel panel;
  // Most iterations of one fit, 0 for no bound. At this total the fit stops without
  // asking "Fit Stopped" again, as "Cancel" would; batch runs, where the question takes
  // its default answer "Continue", set one so a fit that never converges ends.
  int iterationTotal = 0;
  // Why the last fit did not succeed ("" when it did): the iteration limit, a singular
  // matrix, values that are not numbers.
  std::string failure() const;
  // Threads that evaluate the model in long passes (0: one per processor, 1: always the
  // calling thread). The results do not depend on it.
  int modelThreads = 0;
  // How the model takes the points of a pass: in blocks (the default) or one point at a
  // time, for comparison. The printed results are the same.
  PeakSum::Evaluation modelEvaluation = PeakSum::Evaluation::kBlocks;
  // How the last converged Shirley background was made (its net spectrum may be the
  // buffer the next fit runs on): the Monte-Carlo errors vary its end points.
  BackgroundOrigin backgroundOrigin;
  // True while a fit runs (its progress lets the person's events in meanwhile).
  bool running() const { return running_; }

  const FitModel& model() const { return model_; }
  const FitResult& result() const { return result_; }
  const std::string& msg1() const { return msg1_; }
  const std::string& msg2() const { return msg2_; }
  bool haveResult = false;
  bool haveInt = false;
  bool Break = false;
  int fiterr = 0;
  double chisq = 0.0;
  double rmsd = 0.0;

 private:
  Ui* ui() const;
  bool refusedWhileRunning() const;
  ReadOutcome parseTable();
  std::string failure_;
  void runIterations(const FitData& data);
  MrqProblem problemFor(const FitData& data, ModelFunction& model);
  void takeStep(const std::vector<float>& a, const MrqStatus& s, double sigma, int iterations);
  void concludeRun(const FitData& data, const Matrix1<float>& covar, int iterations);
  bool askToContinue(int iterations, int& limit);
  void cancel(int iterations, const char* why);
  void computeAreas(double sigma);
  void computeStandardErrors(const FitData& data, const Matrix1<float>& covar);
  bool prepareWeights(FitData& data);
  void prevexp(bool summaryOnly, bool exportCurves);
  void appendCurves(const std::vector<double>& xs, bool summaryOnly);
  void showPreview(const std::vector<double>& xs);

  Manager* M_ = nullptr;
  XylaDocument* doc_ = nullptr;
  FitModel model_;
  FitResult result_;
  std::vector<std::unique_ptr<expr::Expression>> ep_;  // user function per peak (index k)
  std::vector<std::array<int, 6>> epSlots_;            // slots of x, A..E per peak
  std::string msg1_, msg2_;
  std::vector<int> exportedPeaks_;
  bool running_ = false;
};

}  // namespace xyla::fit
