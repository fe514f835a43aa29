#pragma once

#include <string>
#include <vector>

namespace xyla::xps {

// A line a survey may show at binding energy `be`: a core level (the two components of
// a doublet closer than 3 eV merged, as a survey cannot tell them apart) or an Auger
// line placed on the binding-energy scale of the photon energy.
struct SurveyLine {
  std::string label;    // "W 4f", "Ni 2p3/2", "O KLL"
  std::string element;
  double be = 0.0;
  int rank = 3;
  bool auger = false;
};

// Every line that photons of energy hv excite, between 0 and hv.
std::vector<SurveyLine> surveyLines(double hv);

// A peak found in a survey, with its most likely lines (best first).
struct SurveyPeak {
  double be = 0.0;          // position (refined on the smoothed spectrum)
  double height = 0.0;      // smoothed value at the peak
  double prominence = 0.0;  // above the higher of its two surrounding minima
  std::vector<std::string> labels;
  std::vector<double> scores;
};

// Finds the peaks of a survey (X binding energy in either order): local maxima of the
// spectrum smoothed over about 1.5 eV that stand out by eight times the counting noise
// of the smoothed curve and by 1 % of the spectrum's span.
std::vector<SurveyPeak> findSurveyPeaks(const std::vector<double>& x, const std::vector<double>& y);

// Labels every peak with at most two lines within `tolerance` eV (Auger lines within
// twice that). A line scores by its rank and distance, times the evidence for its
// element (its strong lines inside the data found among the peaks count for it, those
// missing against it) and a smaller prior for elements seldom met. Spectra of charging
// samples sit off the tables' energies: every shift of the lines up to +-maxShift eV in
// steps of 0.1 eV is tried and the best-scoring one is used. Answers that shift (the
// tables' energies plus the shift match the spectrum).
double assignLines(std::vector<SurveyPeak>& peaks, const std::vector<SurveyLine>& lines, double tolerance,
                   double xmin, double xmax, double maxShift = 5.0);

// The lines of rank 1 and 2 of the elements (symbols, any case) between xmin and xmax;
// `unknown` collects symbols the tables do not know.
std::vector<SurveyLine> elementLines(const std::vector<std::string>& elements, double hv, double xmin, double xmax,
                                     std::vector<std::string>& unknown);

// Splits "W, O,C ni" at commas and blanks.
std::vector<std::string> splitElements(const std::string& text);

}  // namespace xyla::xps
