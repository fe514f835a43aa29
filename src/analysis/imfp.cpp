#include "analysis/imfp.h"

#include <cmath>

namespace xyla::xps {

double plasmonEnergy(const Tpp2mMaterial& m) {
  if (!(m.density > 0.0) || !(m.molarMass > 0.0) || !(m.valence > 0.0)) return NAN;
  return 28.8 * std::sqrt(m.valence * m.density / m.molarMass);
}

double tpp2mImfp(double ke, const Tpp2mMaterial& m) {
  const double ep = plasmonEnergy(m);
  if (!std::isfinite(ep) || !(ke > 0.0) || !std::isfinite(ke) || !(m.gap >= 0.0)) return NAN;
  const double u = m.valence * m.density / m.molarMass;  // = Ep^2 / 829.4
  const double beta = -0.10 + 0.944 / std::sqrt(ep * ep + m.gap * m.gap) + 0.069 * std::pow(m.density, 0.1);
  const double gamma = 0.191 / std::sqrt(m.density);
  const double c = 1.97 - 0.91 * u;
  const double d = 53.4 - 20.8 * u;
  const double angstrom = ke / (ep * ep * (beta * std::log(gamma * ke) - c / ke + d / (ke * ke)));
  return angstrom > 0.0 && std::isfinite(angstrom) ? angstrom / 10.0 : NAN;
}

}  // namespace xyla::xps
