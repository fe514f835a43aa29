#pragma once

#include <string>
#include <vector>

namespace xyla {

class DataBuffer;
class Ui;
class XylaDocument;

// The stretch of a spectrum under a background: points first..last (inclusive) of a
// buffer whose X rise or fall steadily, and which end lies at the high binding energy,
// where the inelastic background is high. Backgrounds integrate from the other end.
struct BackgroundRegion {
  int first = 0, last = 0;
  bool highAtLast = true;  // the high-binding-energy end is point `last`
  int size() const { return last - first + 1; }
};

// Finds the points of `b` between x1 and x2 (either order; positions beyond the data
// take its first or last point). `highAtLargerX`: the high-binding-energy end is the one
// with the larger X (a binding-energy axis); false for a kinetic-energy axis. When
// `highEndInside`, that end must lie inside the data (half a step of tolerance). Fails
// with a message in `error` on fewer than 3 points, X that do not rise or fall steadily,
// or values that are not numbers.
bool findRegion(const DataBuffer& b, double x1, double x2, bool highAtLargerX, bool highEndInside,
                BackgroundRegion& region, std::string& error);
// The same on the columns X, Y of a spectrum.
bool findRegion(const std::vector<double>& X, const std::vector<double>& Y, double x1, double x2, bool highAtLargerX,
                bool highEndInside, BackgroundRegion& region, std::string& error);

// The region's X and Y in order from the low-binding-energy end to the high one.
void regionFromLowEnd(const DataBuffer& b, const BackgroundRegion& r, std::vector<double>& x, std::vector<double>& y);

// Mean of the first `count` values (at least one).
double endMean(const std::vector<double>& v, int count);

// Checks the number of points averaged at each end against the region's size.
bool checkEndPoints(int count, int regionSize, std::string& error);

// Appends two buffers for the region (in the buffer's own point order): the spectrum
// minus `background` with the comment `comment` + `suffix`, and the background with
// `comment` + `suffix` + "Bg"; both with the source `source`. `background` runs from the
// low-binding-energy end as regionFromLowEnd gives it.
void appendBackgroundPair(XylaDocument& doc, const DataBuffer& in, const BackgroundRegion& r,
                          const std::vector<double>& background, const std::string& source, const std::string& suffix);

// The alert of these background operations.
void backgroundAlert(Ui& ui, const std::string& message);

}  // namespace xyla
