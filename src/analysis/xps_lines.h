#pragma once

#include <span>
#include <string>

// The built-in tables of photo-electron lines: core-level binding energies of the
// elements, the main Auger lines and relative sensitivity factors for Al Ka and Mg Ka.
// The data and their sources are in xps_line_data.cpp.
namespace xyla::xps {

struct CoreLevel {
  int Z;
  const char* element;  // symbol, "W"
  const char* level;    // "4f7/2"
  double be;            // binding energy (eV, Fermi level)
  int rank;             // 1 the line analysts use, 2 strong, 3 weak
};

struct AugerLine {
  int Z;
  const char* element;
  const char* name;  // "KLL", "LMM", "MNN"
  double ke;         // kinetic energy of the strongest transition (eV)
  const char* hole;  // the level whose ionisation starts it ("1s", "2p3/2", "3d5/2")
  int rank;
};

struct SensitivityFactor {
  const char* line;  // "C 1s", "Ni 2p" (both components), "Ni 2p3/2"
  double al, mg;     // relative to C 1s = 1 for Al Ka and Mg Ka; 0 where not tabulated
};

std::span<const CoreLevel> coreLevels();
std::span<const AugerLine> augerLines();
std::span<const SensitivityFactor> sensitivityFactors();

// A line name in one spelling: element symbol as written in the tables, level in lower
// case, no blanks ("c 1s" -> "C1s", "ni2P3/2" -> "Ni2p3/2"); "" when the element is not
// known.
std::string lineKey(const std::string& name);
// Atomic number of an element symbol (any case), 0 when unknown.
int elementNumber(const std::string& symbol);
// The tabulated sensitivity factor of a line for Al Ka (magnesium false) or Mg Ka; 0
// when the table has none.
double tableSensitivity(const std::string& line, bool magnesium);
// Binding energy of a named line: one level ("W 4f7/2"), or both components of a
// doublet ("W 4f") averaged by their occupancy (2j + 1). False when not tabulated.
bool lineEnergy(const std::string& line, double& be);
// The spin-orbit doublet of a level ("W 4f"): the splitting (binding energy of the
// smaller-j component minus that of the larger-j one, eV) and the area ratio of the
// smaller-j component to the larger-j one from the occupancies 2j + 1 (0.5 for p, 2/3
// for d, 0.75 for f). False when the table has not exactly two components.
bool doubletOf(const std::string& line, double& splitting, double& ratio);

}  // namespace xyla::xps
