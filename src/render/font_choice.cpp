#include "render/font_choice.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <QFontDatabase>
#include <QHash>
#include <QSet>
#include <QString>
#include <atomic>
#include <cmath>
#include <mutex>

#include "render/gui_on_demand.h"

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
  ensureGuiApplication();
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

// The file fontconfig picks for a family name, "" when it picks none.
QString matchedFile(const std::string& family) {
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(""));
  if (!pattern) return {};
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  QString file;
  FcChar8* path = nullptr;
  if (match && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) file = QString::fromUtf8(reinterpret_cast<const char*>(path));
  if (match) FcPatternDestroy(match);
  FcPatternDestroy(pattern);
  return file;
}

std::atomic<int> g_aliasLookups = 0;

// True when fontconfig maps the family to an installed face of its own, as it maps
// "Helvetica" to Nimbus Sans and "Arial" to Liberation Sans, rather than to the face it
// falls back to for names it does not know.
bool fontconfigAlias(const std::string& family) {
  static std::mutex lock;
  static QHash<QString, bool> known;
  const QString key = QString::fromStdString(family).toLower();
  std::lock_guard<std::mutex> guard(lock);
  if (const auto it = known.constFind(key); it != known.constEnd()) return *it;
  static const QString fallback = matchedFile("xyla-no-such-family");
  ++g_aliasLookups;
  const QString file = matchedFile(family);
  const bool alias = !file.isEmpty() && file != fallback;
  known.insert(key, alias);
  return alias;
}

}  // namespace

LineMetrics lineMetrics(const std::string& family) {
  static std::mutex lock;
  static QHash<QString, LineMetrics> known;
  const QString key = QString::fromStdString(family);
  std::lock_guard<std::mutex> guard(lock);
  if (const auto it = known.constFind(key); it != known.constEnd()) return *it;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
  cairo_t* cr = cairo_create(surface);
  cairo_select_font_face(cr, family.c_str(), CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, 1000.0);
  cairo_font_extents_t fe{};
  cairo_font_extents(cr, &fe);
  const bool ok = cairo_status(cr) == CAIRO_STATUS_SUCCESS && fe.ascent > 0 && fe.descent >= 0;
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  // A face without usable extents gets the proportions of the usual sans-serif faces.
  const LineMetrics m = ok ? LineMetrics{fe.ascent / 1000.0, fe.descent / 1000.0} : LineMetrics{0.75, 0.25};
  known.insert(key, m);
  return m;
}

void releaseFontCaches() { cairo_debug_reset_static_data(); }

int fontAliasLookups() { return g_aliasLookups; }

bool fontFamilyInstalled(const std::string& family) {
  return family.empty() || platformFamilies().contains(QString::fromStdString(family).toLower());
}

bool fontFamilyAvailable(const std::string& family) { return fontFamilyInstalled(family) || fontconfigAlias(family); }

}  // namespace xyla
