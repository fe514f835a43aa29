#pragma once

#include <string>

namespace xyla::xps {

// Photo-ionisation cross section of a named line at photon energy `hv` (eV), in barns per
// atom: one sub-shell ("W 4f7/2") or every sub-shell of a level ("W 4f", "C 1s"), each
// sub-shell's cross section per electron (Scofield's Hartree-Slater values as xraylib
// gives them at any energy) times its occupancy in the ground state. False with a
// reason in `error` when the line is not a level of the element, the photons cannot
// ionise it, or the level holds no electron.
bool photoCrossSection(const std::string& line, double hv, double& barns, std::string& error);

// The cross section of a line relative to C 1s at the same photon energy (relative to
// C 1s at Al Ka, 1486.6 eV, where the photons cannot ionise C 1s).
bool relativeCrossSection(const std::string& line, double hv, double& factor, std::string& error);

}  // namespace xyla::xps
