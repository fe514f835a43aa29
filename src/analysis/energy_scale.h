#pragma once

#include <string>

namespace xyla {

class DataBuffer;

// Photon energies of the usual laboratory anodes (eV).
inline constexpr double kAlKalpha = 1486.6;
inline constexpr double kMgKalpha = 1253.6;
// Reference binding energy of adventitious carbon (C-C, C-H) for charge correction.
inline constexpr double kCarbonReference = 284.8;

// The photon energy named by `word` ("al", "mg", ignoring case, or "alka"/"mgka"), or 0.
double anodeEnergy(const std::string& word);

// Where buffer `b` is largest between x1 and x2 (either order): the X of the largest Y,
// moved to the top of the parabola through it and its two neighbours when they lie in
// the window too. False when no point lies in the window.
bool maximumInWindow(const DataBuffer& b, double x1, double x2, double& position);

// Converts X between kinetic and binding energy in place: x := hv - phi - x (the same
// formula both ways), keeping the order of the points; appends ", BE(hv=..)" to the
// comment. Errors of X keep their size.
void convertEnergyScale(DataBuffer& b, double hv, double phi);

}  // namespace xyla
