#pragma once

#include <string>
#include <vector>

#include "fit/fit_report.h"
#include "fit/monte_carlo.h"
#include "fit/peak_errors.h"

// One fit table applied to many spectra: each spectrum (its background made again by the
// same rule when one is given) is fitted from the table's values on its own problem, the
// spectra spread over the processors, and the results form one table, a row per
// spectrum.
namespace xyla::fit {

// A measured spectrum of the batch.
struct BatchSpectrum {
  std::string name;
  std::vector<double> x, y;
};

struct BatchSetup {
  BackgroundRule rule;  // empty: the spectra are fitted as they are
  double x1 = 0.0, x2 = 0.0;
  bool counting = false;  // counting weights, as fitweight 1
  int threads = 0;        // 0: one per processor
  int maxIterations = 1000;
};

// The outcome of one spectrum.
struct BatchRow {
  std::string name;
  bool ok = false;
  std::string error;  // why not
  int points = 0, iterations = 0;
  double chisq = 0.0, reducedChisq = 0.0, rms = 0.0;
  PeakTable measures;
};

// Fits `model` (its values the start) to every spectrum; rows in the spectra's order.
std::vector<BatchRow> fitBatch(const FitModel& model, const std::vector<BatchSpectrum>& spectra,
                               const BatchSetup& setup);

// The rows as comma-separated values: spectrum, status, points, iterations, chi-square,
// reduced chi-square, rms, then for every peak (by table row) position, FWHM, height,
// true area and percentage, each with its standard error; units in the header.
std::string batchCsv(const FitModel& model, const std::vector<BatchRow>& rows, const CsvUnits& units = {});

}  // namespace xyla::fit
