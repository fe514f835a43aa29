#pragma once

namespace xyla {

class DataBuffer;
class Ui;
class XylaDocument;

// Removes the X-ray satellites of a non-monochromatic anode (0 = magnesium, any other
// value = aluminium) from `src`, whose X values are taken as equidistant: each point
// loses the satellite replicas of the points at higher indexes. `p` mixes in the second
// line set of the anode (p <= 1 as a fraction, above that in percent). `result` receives
// the corrected points (and the source's errors) with a fresh extent.
// Status: 0 success, -1 more than 50 passes since the last relaxation, -2 relaxation
// factor below 0.1, -3 unusable data: fewer than two points, no spacing (first and last
// X equal or not finite) or a Y value that is not finite. `result` holds the copy as far
// as the calculation got.
int satsub(const DataBuffer& src, DataBuffer& result, double p, int anode);

// Appends buffer `index` without its satellites (comment " SatSub(Mg)" for anode 0,
// " SatSub(Al)" otherwise); on a failed calculation shows the alert "Satsub failed".
// Does nothing on a bad index or a refused sort.
XylaDocument& doSatSub(XylaDocument& doc, int index, int anode, Ui& ui);

}  // namespace xyla
