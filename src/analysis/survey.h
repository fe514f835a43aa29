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

// Labels every peak with at most two lines. An element counts as present only when its
// strongest photoline inside the data matches a peak within tolerance + maxShift eV (a
// charging sample and its chemical state move all of its lines together) and, moved
// by the same shift, at least half of its other strong photolines inside the data match
// peaks within `tolerance` eV. Then each of its lines, weak ones and Auger lines (within
// twice the tolerance) included, is a candidate for the nearest peak; a candidate
// scores by its rank, distance and the element's share of strong lines found, and less
// for elements seldom met. Answers the median of the present elements' shifts.
double assignLines(std::vector<SurveyPeak>& peaks, const std::vector<SurveyLine>& lines, double tolerance,
                   double xmin, double xmax, double maxShift = 5.0);

// The lines of rank 1 and 2 of the elements (symbols, any case) between xmin and xmax;
// `unknown` collects symbols the tables do not know.
std::vector<SurveyLine> elementLines(const std::vector<std::string>& elements, double hv, double xmin, double xmax,
                                     std::vector<std::string>& unknown);

// Splits "W, O,C ni" at commas and blanks.
std::vector<std::string> splitElements(const std::string& text);

}  // namespace xyla::xps
