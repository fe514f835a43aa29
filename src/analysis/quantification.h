#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/imfp.h"

namespace xyla {

class DataBuffer;

// Atomic concentrations from photo-electron line areas. Each area is divided by the
// line's intensity factor
//   f = sigma(hv) L(gamma, beta) lambda(KE) T(KE),
// sigma the photo-ionisation cross section at the photon energy relative to C 1s (the
// built-in table at Al and Mg Ka, else computed; or the user's factor), L the angular
// asymmetry for the analyser angle, lambda the inelastic mean free path (TPP-2M in the
// sample's material, else KE^l) and T the analyser transmission (the instrument's curve,
// else KE^t), KE = hv - BE. The results are normalised to 100 %. Statistical errors come
// from the areas (with the covariance of areas from one fit), systematic ones from the
// relative uncertainties of the factors; both are given apart.
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
  bool limit = false;  // a line not seen: `area` is its detection limit
};

// An instrument's transmission against binding energy (as a VAMAS block carries it).
struct TransmissionCurve {
  std::vector<double> be, t;
};

// Relative uncertainties of the factors (0.05 = 5 %), for the systematic errors. Each
// counts only where its factor is applied.
struct SystematicShares {
  double crossSection = 0.05;
  double imfp = 0.10;
  double transmission = 0.05;
};

struct QuantOptions {
  double hv = 1486.6;           // photon energy (eV)
  double transmission = 0.0;    // exponent t, for lines without a transmission curve
  double imfp = 0.0;            // exponent l, without a material
  std::map<std::string, double> sensitivity;  // by line key (see lineKey): the user's factors
  double angle = 0.0;                         // between source and analyser (degrees); 0: no correction
  std::map<std::string, double> beta;         // by line key: asymmetry parameters
  std::optional<Tpp2mMaterial> material;      // TPP-2M mean free paths in it
  std::map<std::string, TransmissionCurve> curves;  // by line key
  SystematicShares systematic;
};

struct QuantRow {
  std::string line;
  double area = 0.0, areaError = 0.0;
  double rsf = 0.0, ke = 0.0;
  double asymmetry = 1.0;  // L
  double imfp = 0.0;       // nm (TPP-2M), or KE^l
  double transmission = 1.0;
  double atomic = 0.0;                              // %; for a limit, the most the line can hold
  double atomicError = 0.0, systematicError = 0.0;  // %
  bool limit = false;
};

// The atomic percentage of an element: the sum of its lines' rows.
struct ElementTotal {
  std::string element;
  double atomic = 0.0, atomicError = 0.0, systematicError = 0.0;
};

struct QuantOutcome {
  bool ok = false;
  std::string error;
  std::vector<QuantRow> rows;
  std::vector<ElementTotal> elements;
};

// What the quantification commands collect between runs.
struct QuantSession {
  std::vector<QuantEntry> entries;
  std::map<std::string, double> sensitivity;
  std::map<std::string, double> beta;
  std::map<std::string, TransmissionCurve> curves;
  std::optional<Tpp2mMaterial> material;
  double angle = 0.0;
  SystematicShares systematic;
  // The photon energy and exponents of the last `quant` (hv 0: none ran yet).
  double hv = 0.0, transmission = 0.0, imfp = 0.0;
};

// The options the session's settings and its last photon energy and exponents make.
QuantOptions optionsOf(const QuantSession& s);

QuantOutcome quantify(const std::vector<QuantEntry>& entries, const QuantOptions& options);

// The angular asymmetry factor 1 + beta/2 (3/2 sin^2 gamma - 1) of a line whose
// asymmetry parameter is beta, for an angle gamma (degrees) between source and analyser;
// 1 at the magic angle 54.7 degrees.
double asymmetryFactor(double beta, double angleDegrees);

// The table printed for the user: per line the area, the factors, the kinetic energy and
// the atomic percentage with its statistical and systematic errors, "<" before a
// detection limit; then the totals per element.
std::string quantTable(const QuantOutcome& q);

// Area of a background-free buffer by the trapezoid rule over its X (positive for a
// positive spectrum in either X order), and its counting error: the points' variances
// are their counts, Y plus the background buffer `bg` at the same X when given.
// False for fewer than 2 points or values that are not numbers.
bool bufferArea(const DataBuffer& b, const DataBuffer* bg, double& area, double& error);

// The smallest area a line of FWHM `width` at `be` could have and still be seen in the
// spectrum `b`: three standard deviations of the area of `width` worth of points, the
// noise of one point measured from the scatter of the points within 5 widths of `be`
// (robustly, from second differences, so a slope or a weak peak does not count as
// noise). False with a reason when the spectrum does not cover the place.
bool detectionLimitArea(const DataBuffer& b, double be, double width, double& area, std::string& error);

}  // namespace xps
}  // namespace xyla
