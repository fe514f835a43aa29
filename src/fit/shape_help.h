#pragma once

#include <array>
#include <string>
#include <vector>

#include "model/fit_row.h"

// What the fit table tells a person about its line shapes: the functions it offers with a
// short description, and the meaning of the parameters A to E for a row's function.
namespace xyla::fit {

// One parameter column: a short name for the header and a tooltip with its meaning and
// unit.
struct ParameterHelp {
  std::string name;
  std::string tip;
};

// One function of the function column's chooser.
struct ShapeHelp {
  std::string name;         // as typed in the table ("GL", "DS*")
  std::string description;  // one short line
};

// Every registered fittable shape, plain and (where offered) convolved with a Gaussian,
// in the registry's order.
std::vector<ShapeHelp> offeredShapes();

// The meaning of A..E for the function text of a row: a known shape's parameters, the
// variables of a user function, or the bare letters for an empty row.
std::array<ParameterHelp, 5> parameterHelp(const std::string& function);

// True when a row that was not complete becomes complete (a function and A, B and C
// filled) by an edit while it is switched off: such a row is switched on.
bool completesRow(const FitRow& before, const FitRow& after);

}  // namespace xyla::fit
