#pragma once

#include <string>

namespace xyla {

// A font as the document stores it: family name and size in points. An empty family
// stands for the platform's system font, resolved when text is drawn.
struct FontSpec {
  std::string family;
  double size = 12.0;

  static FontSpec system(double size) { return {"", size}; }

  friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

}  // namespace xyla
