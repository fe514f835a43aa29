#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace xyla {

class DataBuffer;

// Atomic concentrations from photo-electron line areas: each area is divided by the
// line's relative sensitivity factor and by KE^(t + l), where KE = hv - BE is the
// kinetic energy of the line, t the analyser transmission exponent and l the inelastic
// mean free path exponent; the results are normalised to 100 %. Errors are propagated
// from the areas, with the covariance of areas that came from one fit.
namespace xps {

// Areas that came out of one fit, and their covariance (n x n, row-major).
struct AreaCovariance {
  int n = 0;
  std::vector<double> cov;
};

struct QuantEntry {
  std::string line;       // "C 1s", as the user named it
  double area = 0.0;
  double areaError = 0.0;
  double be = 0.0;        // binding energy of the line (for the kinetic energy)
  bool haveBe = false;    // false: the table's energy of the line is used
  std::shared_ptr<const AreaCovariance> group;  // shared by the entries of one fit
  int indexInGroup = -1;
};

struct QuantOptions {
  double hv = 1486.6;           // photon energy (eV)
  bool magnesium = false;       // use the Mg Ka column of the factors
  double transmission = 0.0;    // exponent t
  double imfp = 0.0;            // exponent l
  std::map<std::string, double> sensitivity;  // by line key (see lineKey): the user's factors
};

struct QuantRow {
  std::string line;
  double area = 0.0, areaError = 0.0;
  double rsf = 0.0, ke = 0.0;
  double atomic = 0.0, atomicError = 0.0;  // %
};

struct QuantOutcome {
  bool ok = false;
  std::string error;
  std::vector<QuantRow> rows;
};

// What the quantification commands collect between runs: the lines and the user's
// sensitivity factors (by line key).
struct QuantSession {
  std::vector<QuantEntry> entries;
  std::map<std::string, double> sensitivity;
};

QuantOutcome quantify(const std::vector<QuantEntry>& entries, const QuantOptions& options);

// The table printed for the user: one line per row with area, factor, kinetic energy and
// atomic percentage with its error.
std::string quantTable(const QuantOutcome& q);

// Area of a background-free buffer by the trapezoid rule over its X (positive for a
// positive spectrum in either X order), and its counting error: the points' variances
// are their counts, Y plus the background buffer `bg` at the same X when given.
// False for fewer than 2 points or values that are not numbers.
bool bufferArea(const DataBuffer& b, const DataBuffer* bg, double& area, double& error);

}  // namespace xps
}  // namespace xyla
