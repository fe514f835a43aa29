#include "render/font_choice.h"

#include <QFontDatabase>
#include <QSet>
#include <QString>

#include <cmath>

namespace xyla {

std::string resolvedFontFamily(const FontSpec& font) {
  return font.family.empty() ? std::string(kSystemFontFamily) : font.family;
}

// A document may carry any number here. Unusable sizes get the ordinary text size rather
// than vanishing text; huge sizes are clamped because glyph rasterisers and caches
// allocate in proportion to the size, and no page can show a glyph larger than 1000 pt
// anyway (that is already about 35 cm tall).
double resolvedFontSize(double size) {
  if (!std::isfinite(size) || size <= 0.0) return kFallbackFontSize;
  return size > kMaxFontSize ? kMaxFontSize : size;
}

namespace {

// Lower-cased family names of the platform, read on first use. Families offered by more
// than one foundry are listed as "Name [foundry]"; the plain name counts too.
const QSet<QString>& platformFamilies() {
  static const QSet<QString> families = [] {
    QSet<QString> set;
    for (const QString& family : QFontDatabase::families()) {
      const QString name = family.toLower();
      set.insert(name);
      const qsizetype bracket = name.indexOf(QLatin1String(" ["));
      if (bracket > 0) set.insert(name.left(bracket));
    }
    return set;
  }();
  return families;
}

}  // namespace

bool fontFamilyAvailable(const std::string& family) {
  if (family.empty()) return true;
  return platformFamilies().contains(QString::fromStdString(family).toLower());
}

}  // namespace xyla
