#pragma once

#include <string>
#include <vector>

namespace xyla {

class Ui;
class XylaDocument;

// The Tougaard background with the universal cross-section K(T) = B T / (C + T^2)^2 (T
// the energy loss in eV, C = 1643 eV^2 for most metals): the background at binding
// energy E is the level at the low-binding-energy end plus B times the integral, over the
// spectrum at lower binding energy E', of K(E - E') times the spectrum above that level.
// The spectrum is taken as constant over each point's bin, and K is integrated exactly
// over the bins, so the losses of every bin add up to the cross-section's total.
inline constexpr double kTougaardC = 1643.0;

struct TougaardResult {
  bool ok = false;
  std::string error;
  std::vector<double> background;  // from the low-binding-energy end
  double B = 0.0;                  // the B used (given, or fitted)
  double offset = 0.0;             // level at the low-binding-energy end
  bool fourier = false;            // the sum went through the Fourier transform
};

// x, y from the low-binding-energy end to the high one. B > 0 is used as given; otherwise
// B is chosen so that the background meets the mean of the last `endPoints` points at the
// high-binding-energy end. `endPoints` points at the low end give the offset. Equidistant
// X go through a Fourier-transform correlation (O(n log n)); other X are summed directly.
TougaardResult tougaardBackground(const std::vector<double>& x, const std::vector<double>& y, double B, double C,
                                  int endPoints);

// The loss sum for B = 1 and offset 0 summed literally over every pair of points, with
// the bin edges halfway between points (O(n^2)); for checking the fast route and for
// unevenly spaced X.
std::vector<double> tougaardLossSum(const std::vector<double>& x, const std::vector<double>& j, double C);

// Appends the spectrum minus the Tougaard background (" Tougaard") and the background
// (" TougaardBg") of buffer `index` between x1 and x2. On bad input shows why and
// changes nothing; answers the result.
TougaardResult doTougaard(XylaDocument& doc, int index, double x1, double x2, double B, double C, int endPoints,
                          bool highAtLargerX, Ui& ui);

}  // namespace xyla
