#pragma once

#include <QByteArray>
#include <QImage>

namespace xyla {

// Encodes `image` as the bytes of a PNG file into `out`: 8 bits per channel, RGB when
// every pixel is opaque and RGBA with straight (not premultiplied) alpha otherwise, and
// the image's dots per metre as its pixel density. The image is taken by value so that a
// caller who moves it in lets the encoder free the pixels as soon as they are filtered.
// False only when memory runs out (then `out` is empty).
bool encodePng(QImage image, QByteArray& out);

}  // namespace xyla
