#pragma once

#include <string>

#include "model/font.h"

namespace xyla {

// The family that stands for the system font. fontconfig maps it to a metric-compatible
// face (Nimbus Sans), so text measures the same on every machine with the usual fonts.
inline constexpr const char* kSystemFontFamily = "Helvetica";

// Size used when a font size is unusable (not finite, zero or negative).
inline constexpr double kFallbackFontSize = 12.0;

// Largest size drawn; larger sizes are clamped to it.
inline constexpr double kMaxFontSize = 1000.0;

// The family to ask the platform for: the system family for an empty name.
std::string resolvedFontFamily(const FontSpec& font);

// The size in points to draw at, always finite and within (0, kMaxFontSize].
double resolvedFontSize(double size);

// Ascent and descent of a family as fractions of the font size, as fontconfig and
// cairo see the face. Every canvas lays out text boxes with these, so a picture has the
// same layout in every format even where a toolkit would pick another file of the same
// family with other vertical metrics. Read once per family.
struct LineMetrics {
  double ascent;
  double descent;
};
LineMetrics lineMetrics(const std::string& family);

// Empties cairo's process-wide font caches. Only for the end of the program, when no
// cairo object is alive any more; it keeps leak checkers quiet about the caches.
void releaseFontCaches();

// True when the platform has a family of that name (case-insensitive), or fontconfig
// maps the name to an installed face of its own (the usual aliases: Helvetica, Arial,
// Times, Courier); the empty name (the system font) always counts as present. The
// family list is read once, each alias once.
bool fontFamilyAvailable(const std::string& family);

// How many names have been looked up among fontconfig's aliases so far (each name once).
int fontAliasLookups();

// True when the platform lists a family of that name (case-insensitive): the quick part
// of fontFamilyAvailable, without asking fontconfig about aliases.
bool fontFamilyInstalled(const std::string& family);

}  // namespace xyla
