#pragma once

#include "render/geometry.h"
#include "render/path.h"

namespace xyla {

class Graphic;

// What the pointer shows over the plot while it works, in view coordinates: the press
// point `aloc` and the current (or release) point `bloc` of a drag, the crosshair at
// `oloc` while `haveoloc`, the rubber bands of the overlay path `pb` and the graphic
// `nG` being created. The interaction keeps it; the view draws it over a pass.
struct PointerOverlay {
  PointF aloc, bloc;
  PointF oloc;
  bool haveoloc = false;
  Path pb;
  const Graphic* nG = nullptr;
};

}  // namespace xyla
