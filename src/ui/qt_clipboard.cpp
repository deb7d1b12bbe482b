#include "ui/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "core/bmp_codec.h"
#include "core/bytes.h"

namespace vexilo::ui {

using core::Bitmap;
using core::PixelFormat;

namespace {

core::Palette paletteOf(const QImage& image) {
  core::Palette palette;
  for (QRgb c : image.colorTable())
    palette.push_back({static_cast<std::uint8_t>(qRed(c)), static_cast<std::uint8_t>(qGreen(c)),
                       static_cast<std::uint8_t>(qBlue(c))});
  return palette;
}

QList<QRgb> colourTableOf(const core::Palette& palette) {
  QList<QRgb> table;
  for (const core::Rgb& c : palette) table.push_back(qRgb(c.red, c.green, c.blue));
  return table;
}

Bitmap indexedFrom(const QImage& image, PixelFormat format) {
  // The constructor pads a short colour table with black.
  Bitmap out(image.width(), image.height(), format, paletteOf(image));
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) out.setIndex(x, y, image.pixelIndex(x, y));
  return out;
}

Bitmap wordsFrom(const QImage& image, PixelFormat format) {
  Bitmap out(image.width(), image.height(), format);
  for (int y = 0; y < image.height(); ++y) {
    const auto* from = reinterpret_cast<const quint16*>(image.constScanLine(y));
    std::uint8_t* to = out.row(y).data();
    for (int x = 0; x < image.width(); ++x) core::writeLE16(to + 2 * x, from[x]);
  }
  return out;
}

// Every pixel through QRgb, for the 32-bit layouts whose byte order depends on the machine.
Bitmap directFrom(const QImage& image, PixelFormat format) {
  Bitmap out(image.width(), image.height(), format);
  for (int y = 0; y < image.height(); ++y) {
    const auto* from = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const QRgb c = from[x];
      out.setPixel(x, y, {static_cast<std::uint8_t>(qBlue(c)), static_cast<std::uint8_t>(qGreen(c)),
                          static_cast<std::uint8_t>(qRed(c)), static_cast<std::uint8_t>(qAlpha(c))});
    }
  }
  return out;
}

}  // namespace

std::optional<core::ClipboardBitmap> fromQImage(const QImage& image) {
  if (image.isNull() || !Bitmap::sizeAllowed(image.width(), image.height())) return std::nullopt;
  auto named = [](Bitmap b) {
    const int depth = core::depthOrdinal(b.format());
    return core::ClipboardBitmap{std::move(b), depth};
  };
  switch (image.format()) {
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB: return named(indexedFrom(image, PixelFormat::Bits1));
    case QImage::Format_Indexed8: return named(indexedFrom(image, PixelFormat::Bits8));
    case QImage::Format_RGB555: return named(wordsFrom(image, PixelFormat::Bits15));
    case QImage::Format_RGB16: return named(wordsFrom(image, PixelFormat::Bits16));
    case QImage::Format_RGB888:
    case QImage::Format_BGR888:
      return named(directFrom(image.convertToFormat(QImage::Format_RGB32), PixelFormat::Bits24));
    // Opaque colours in 32-bit words: the fourth byte is padding, so the picture is 24-bit.
    case QImage::Format_RGB32: return named(directFrom(image, PixelFormat::Bits24));
    case QImage::Format_ARGB32: return named(directFrom(image, PixelFormat::Bits32));
    case QImage::Format_ARGB32_Premultiplied:
      return named(directFrom(image.convertToFormat(QImage::Format_ARGB32), PixelFormat::Bits32));
    default:
      return core::ClipboardBitmap{
          directFrom(image.convertToFormat(QImage::Format_ARGB32), PixelFormat::Bits32), -1};
  }
}

QImage toQImage(const Bitmap& bitmap) {
  const int w = bitmap.width(), h = bitmap.height();
  if (bitmap.empty()) return {};
  QImage image;
  switch (bitmap.format()) {
    case PixelFormat::Bits1:
    case PixelFormat::Bits4:
    case PixelFormat::Bits8:
      image = QImage(
          w, h,
          bitmap.format() == PixelFormat::Bits1 ? QImage::Format_Mono : QImage::Format_Indexed8);
      image.setColorTable(colourTableOf(bitmap.palette()));
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.setPixel(x, y, static_cast<uint>(bitmap.index(x, y)));
      break;
    case PixelFormat::Bits15:
    case PixelFormat::Bits16:
      image = QImage(
          w, h,
          bitmap.format() == PixelFormat::Bits15 ? QImage::Format_RGB555 : QImage::Format_RGB16);
      for (int y = 0; y < h; ++y) {
        auto* to = reinterpret_cast<quint16*>(image.scanLine(y));
        const std::uint8_t* from = bitmap.row(y).data();
        for (int x = 0; x < w; ++x) to[x] = core::readLE16(from + 2 * x);
      }
      break;
    case PixelFormat::Bits24:
    case PixelFormat::Bits32:
      image = QImage(
          w, h,
          bitmap.format() == PixelFormat::Bits24 ? QImage::Format_RGB32 : QImage::Format_ARGB32);
      for (int y = 0; y < h; ++y) {
        auto* to = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
          const core::Bgra c = bitmap.pixel(x, y);
          to[x] = qRgba(c.red, c.green, c.blue, c.alpha);
        }
      }
      break;
  }
  return image;
}

QMimeData* mimeDataFor(const Bitmap& bitmap) {
  auto* data = new QMimeData;
  data->setImageData(toQImage(bitmap));
  const core::ByteBuffer file = core::encodeBmp(bitmap);
  data->setData(kBmpMimeType, QByteArray(reinterpret_cast<const char*>(file.data()),
                                         static_cast<qsizetype>(file.size())));
  return data;
}

bool QtClipboard::hasBitmap() const {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  return data && (data->hasImage() || data->hasFormat(kBmpMimeType));
}

void QtClipboard::setBitmap(const Bitmap& bitmap) {
  QGuiApplication::clipboard()->setMimeData(mimeDataFor(bitmap));
}

std::optional<core::ClipboardBitmap> QtClipboard::read() const {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  if (!data) return std::nullopt;
  if (data->hasFormat(kBmpMimeType)) {
    const QByteArray file = data->data(kBmpMimeType);
    auto decoded =
        core::decodeBmp(core::Bytes(reinterpret_cast<const std::uint8_t*>(file.constData()),
                                    static_cast<std::size_t>(file.size())));
    if (decoded) {
      const int depth = core::depthOrdinal(decoded->format());
      return core::ClipboardBitmap{std::move(decoded).value(), depth};
    }
    // Another program's bytes that do not read as a BMP file: fall back on its image.
  }
  if (!data->hasImage()) return std::nullopt;
  return fromQImage(qvariant_cast<QImage>(data->imageData()));
}

}  // namespace vexilo::ui
