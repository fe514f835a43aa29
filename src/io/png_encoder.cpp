#include "io/png_encoder.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "io/page_buffer.h"

namespace xyla {

namespace {

// libdeflate's level 6: on pictures of plots nearly as fast as its lowest levels and 7 to
// 20 % smaller. Levels 8 and 9 take two to four times as long for no gain, levels 10 to
// 12 ten to fifty times as long for 5 to 8 %.
constexpr int kCompressionLevel = 6;

// Every row is filtered by subtracting the row above ("Up"). Plots are mostly areas of
// one colour crossed by thin lines, where most rows repeat the row above; on such
// pictures this one filter compresses better than choosing a filter per row by the
// usual sum heuristic, which also costs more time than it saves.
constexpr std::uint8_t kFilterUp = 2;

// The compressed stream is cut into IDAT chunks of at most this many bytes (readers join
// them; a chunk's length field holds at most 2^31 - 1).
constexpr std::size_t kIdatBytes = std::size_t(1) << 20;

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

void putBigEndian(std::uint8_t* p, std::uint32_t v) {
  p[0] = std::uint8_t(v >> 24);
  p[1] = std::uint8_t(v >> 16);
  p[2] = std::uint8_t(v >> 8);
  p[3] = std::uint8_t(v);
}

// Appends one chunk: length, type, data, and the CRC of type and data.
void appendChunk(QByteArray& out, const char* type, const std::uint8_t* data, std::size_t size) {
  std::uint8_t head[8];
  putBigEndian(head, std::uint32_t(size));
  std::memcpy(head + 4, type, 4);
  std::uint32_t crc = libdeflate_crc32(0, head + 4, 4);
  if (size > 0) crc = libdeflate_crc32(crc, data, size);  // a null pointer would restart the CRC
  std::uint8_t tail[4];
  putBigEndian(tail, crc);
  out.append(reinterpret_cast<const char*>(head), 8);
  out.append(reinterpret_cast<const char*>(data), qsizetype(size));
  out.append(reinterpret_cast<const char*>(tail), 4);
}

bool isArgb32(QImage::Format f) {
  return f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 || f == QImage::Format_ARGB32_Premultiplied;
}

// Fills the filtered rows of an opaque 32-bit picture (3 bytes a pixel) in one pass over
// its pixels. Answers false at the first row with a pixel that is not fully opaque; the
// picture then needs an alpha channel.
bool filterOpaque(const QImage& image, std::uint8_t* out) {
  const int w = image.width(), h = image.height();
  const uchar* bits = image.constBits();
  const qsizetype stride = image.bytesPerLine();
  for (int y = 0; y < h; ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(bits + y * stride);
    const auto* above = y > 0 ? reinterpret_cast<const QRgb*>(bits + (y - 1) * stride) : nullptr;
    *out++ = kFilterUp;
    QRgb alpha = 0xFF000000u;
    for (int x = 0; x < w; ++x) {
      const QRgb p = row[x];
      const QRgb q = above ? above[x] : 0u;
      alpha &= p;
      out[0] = std::uint8_t((p >> 16) - (q >> 16));
      out[1] = std::uint8_t((p >> 8) - (q >> 8));
      out[2] = std::uint8_t(p - q);
      out += 3;
    }
    if ((alpha >> 24) != 0xFFu) return false;
  }
  return true;
}

// Bytewise a - b (modulo 256 in each byte) of eight bytes at once: the high bit of every
// byte is set in a and cleared in b, so no byte borrows from its neighbour, and is then
// put right.
std::uint64_t subtractBytes(std::uint64_t a, std::uint64_t b) {
  constexpr std::uint64_t kHigh = 0x8080808080808080u;
  return ((a | kHigh) - (b & ~kHigh)) ^ ((a ^ ~b) & kHigh);
}

// out = row - above, byte by byte, eight bytes at a time.
void subtractRow(const std::uint8_t* row, const std::uint8_t* above, std::uint8_t* out, std::size_t n) {
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t a, b;
    std::memcpy(&a, row + i, 8);
    std::memcpy(&b, above + i, 8);
    a = subtractBytes(a, b);
    std::memcpy(out + i, &a, 8);
  }
  for (; i < n; ++i) out[i] = std::uint8_t(row[i] - above[i]);
}

// Fills the filtered rows of a 32-bit picture with alpha (4 bytes a pixel, straight
// alpha). Each row is un-premultiplied into a small buffer, so the picture is never
// copied whole: a large translucent picture needs no second copy of its pixels.
void filterTranslucent(const QImage& image, std::uint8_t* out) {
  const int w = image.width();
  const std::size_t rowBytes = std::size_t(w) * 4;
  const bool premultiplied = image.format() == QImage::Format_ARGB32_Premultiplied;
  std::vector<std::uint8_t> row(rowBytes), above(rowBytes, 0);
  for (int y = 0; y < image.height(); ++y) {
    const auto* pixels = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < w; ++x) {
      const QRgb p = premultiplied ? qUnpremultiply(pixels[x]) : pixels[x];
      std::uint8_t* b = &row[std::size_t(x) * 4];
      b[0] = std::uint8_t(qRed(p));
      b[1] = std::uint8_t(qGreen(p));
      b[2] = std::uint8_t(qBlue(p));
      b[3] = std::uint8_t(qAlpha(p));
    }
    *out++ = kFilterUp;
    subtractRow(row.data(), above.data(), out, rowBytes);
    out += rowBytes;
    row.swap(above);
  }
}

void appendHeader(QByteArray& out, int width, int height, bool alpha, int dotsPerMeterX, int dotsPerMeterY) {
  out.append(reinterpret_cast<const char*>(kSignature), sizeof kSignature);
  std::uint8_t ihdr[13] = {};
  putBigEndian(ihdr, std::uint32_t(width));
  putBigEndian(ihdr + 4, std::uint32_t(height));
  ihdr[8] = 8;              // bits per channel
  ihdr[9] = alpha ? 6 : 2;  // colour type: RGBA or RGB
  // compression, filter method and interlacing are all 0: deflate, adaptive, none
  appendChunk(out, "IHDR", ihdr, sizeof ihdr);
  if (dotsPerMeterX > 0 && dotsPerMeterY > 0) {
    std::uint8_t phys[9];
    putBigEndian(phys, std::uint32_t(dotsPerMeterX));
    putBigEndian(phys + 4, std::uint32_t(dotsPerMeterY));
    phys[8] = 1;  // the unit is the metre
    appendChunk(out, "pHYs", phys, sizeof phys);
  }
}

struct CompressorDeleter {
  void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};

}  // namespace

bool encodePng(QImage image, QByteArray& out) {
  out.clear();
  if (image.isNull()) return false;
  if (!isArgb32(image.format())) image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  if (image.isNull()) return false;
  const int w = image.width(), h = image.height();
  const int dpmX = image.dotsPerMeterX(), dpmY = image.dotsPerMeterY();

  // Every picture is first tried as opaque; the first pixel that lets light through
  // starts it again with alpha.
  bool alpha = false;
  std::size_t size = std::size_t(h) * (1 + std::size_t(w) * 3);
  PageBuffer rows = allocatePageBuffer(size);
  if (!rows) return false;
  if (!filterOpaque(image, rows.get())) {
    alpha = true;
    rows.reset();
    size = std::size_t(h) * (1 + std::size_t(w) * 4);
    rows = allocatePageBuffer(size);
    if (!rows) return false;
    filterTranslucent(image, rows.get());
  }
  image = QImage();

  std::unique_ptr<libdeflate_compressor, CompressorDeleter> compressor(libdeflate_alloc_compressor(kCompressionLevel));
  if (!compressor) return false;
  const std::size_t bound = libdeflate_zlib_compress_bound(compressor.get(), size);
  // Only as much of this bound as the stream needs is ever touched.
  std::unique_ptr<std::uint8_t[]> stream(new (std::nothrow) std::uint8_t[bound]);
  if (!stream) return false;
  const std::size_t streamSize = libdeflate_zlib_compress(compressor.get(), rows.get(), size, stream.get(), bound);
  rows.reset();
  if (streamSize == 0) return false;

  out.reserve(qsizetype(64 + streamSize + 12 * (streamSize / kIdatBytes + 1)));
  appendHeader(out, w, h, alpha, dpmX, dpmY);
  for (std::size_t at = 0; at < streamSize; at += kIdatBytes)
    appendChunk(out, "IDAT", stream.get() + at, std::min(kIdatBytes, streamSize - at));
  appendChunk(out, "IEND", nullptr, 0);
  return true;
}

}  // namespace xyla
