#pragma once

#include <functional>
#include <optional>
#include <string>

class QByteArray;

namespace xyla {

class Canvas;

// The picture file formats the plot can be saved as.
enum class ImageFormat { Pdf, Eps, Png, Jpeg, Svg };

// The format a file name asks for by its extension (case-insensitive; ".jpg" and
// ".jpeg" are both JPEG), or nothing for any other name.
std::optional<ImageFormat> imageFormatForPath(const std::string& path);

// Largest raster picture written, in pixels, and largest side: beyond these the pixel
// buffer alone would take gigabytes or overflow the rasteriser's coordinates.
inline constexpr double kMaxRasterPixels = 400.0e6;
inline constexpr int kMaxRasterSide = 32767;

// Renders a picture of `width` x `height` view units by calling `draw` once with a canvas
// of that size into `bytes`, in format `f` (sizes and `dpi` as for writeImage); false with
// `reason` set when it cannot be drawn.
bool renderImage(ImageFormat f, double width, double height, int dpi, const std::function<void(Canvas&)>& draw,
                 QByteArray& bytes, std::string& reason);

// Renders a picture of `width` x `height` view units by calling `draw` once with a canvas
// of that size, and writes it to `path` in format `f`, replacing any file there. Vector
// formats use one point per view unit; PNG and JPEG have round(size * dpi / 72) pixels
// (`dpi` is only used for them and must be positive). The file is written to a temporary
// name and renamed into place, so a failure leaves nothing behind; it then answers false
// with a human-readable `error`.
bool writeImage(ImageFormat f, const std::string& path, double width, double height, int dpi,
                const std::function<void(Canvas&)>& draw, std::string& error);

}  // namespace xyla
