#include "macro/style_fonts.h"

#include "render/font_choice.h"

namespace xyla {

FontSpec fontOrUserFont(const std::string& family, double size) {
  if (!family.empty() && fontFamilyAvailable(family)) return {family, size};
  return FontSpec::system(13.0);
}

}  // namespace xyla
