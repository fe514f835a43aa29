#pragma once

namespace xyla::xps {

// What the TPP-2M formula needs to know of the sample's material.
struct Tpp2mMaterial {
  double density = 0.0;    // g/cm3
  double molarMass = 0.0;  // g/mol, of one atom or molecule
  double valence = 0.0;    // valence electrons per atom or molecule
  double gap = 0.0;        // band gap, eV (0 for metals)
};

// Free-electron plasmon energy of the material, 28.8 sqrt(Nv rho / M) eV.
double plasmonEnergy(const Tpp2mMaterial& m);

// Inelastic mean free path (nm) of electrons of kinetic energy `ke` (eV) in the material
// by the TPP-2M formula of S. Tanuma, C. J. Powell and D. R. Penn, Surf. Interface Anal.
// 21 (1994) 165: lambda = E / (Ep^2 (beta ln(gamma E) - C/E + D/E^2)) Angstrom. NaN when
// the material is not physical (no density, mass or valence electrons) or ke <= 0.
double tpp2mImfp(double ke, const Tpp2mMaterial& m);

}  // namespace xyla::xps
