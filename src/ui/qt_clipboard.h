// The system clipboard through Qt.
#pragma once

#include <QImage>

#include "core/clipboard.h"

class QMimeData;

namespace vexilo::ui {

// Our own pictures go on the clipboard twice: as an image every program can read, and as the
// exact picture in a BMP file under "image/bmp", so that a paste keeps the stored format.
inline constexpr const char* kBmpMimeType = "image/bmp";

class QtClipboard : public core::Clipboard {
 public:
  bool hasBitmap() const override;
  void setBitmap(const core::Bitmap& bitmap) override;
  std::optional<core::ClipboardBitmap> read() const override;
};

// The clipboard contents for a picture: its image and its BMP file.
QMimeData* mimeDataFor(const core::Bitmap& bitmap);

// The picture of a QImage in the nearest board format: 1-bit, 8-bit with its colour table,
// 15-, 16-, 24-bit (also for the opaque 32-bit layout) and 32-bit with alpha. Layouts the board
// has no format for become 32-bit pictures with depth -1; a null image gives none.
std::optional<core::ClipboardBitmap> fromQImage(const QImage& image);

// The QImage of a picture in the nearest Qt format: 32-bit pictures as ARGB32 with their bytes
// as they are, indexed ones with their palette as colour table.
QImage toQImage(const core::Bitmap& bitmap);

}  // namespace vexilo::ui
