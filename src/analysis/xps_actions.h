#pragma once

#include "model/colour.h"

namespace xyla {

class Manager;

// Shirley background (shirx1, shiry1, shirx2, shiry2 of the controller) for every
// selected buffer in ascending order, then refreshes the panels and redraws; beeps when
// the selection guard stops it.
void doShirleyAction(Manager& m);
// doShirleyAction as the window runs it: each background it appends is drawn in a
// colour of its own, the first net spectrum becomes the current buffer, and the ranges
// are rescaled so the net spectra come into view.
void doShirleyActionShown(Manager& m);
// The colour of backgrounds the window computes (a muted orange, apart from the data's
// black).
Colour backgroundColour();
// Satellite subtraction with the anode satSubAnode for every selected buffer, like
// doShirleyAction.
void doSatSubAction(Manager& m);
// Sets shiry1 and shiry2 to the current buffer's Y at shirx1 and shirx2, interpolated
// as the expression built-in findy does; beeps without a document.
void doShirleyFindY(Manager& m);

}  // namespace xyla
