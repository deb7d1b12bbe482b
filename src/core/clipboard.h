// The system clipboard as the edit commands see it: one picture at a time.
#pragma once

#include <optional>
#include <utility>

#include "core/bitmap.h"

namespace vexilo::core {

// A picture read from the clipboard with the depth a slot records for it: the ordinal of its
// format, or -1 when the clipboard held a format the program has no name for (the picture is
// then a 32-bit rendering of it).
struct ClipboardBitmap {
  Bitmap bitmap;
  int depth = 0;
};

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  virtual bool hasBitmap() const = 0;
  // Replaces what the clipboard holds by this picture, in its own pixel format.
  virtual void setBitmap(const Bitmap& bitmap) = 0;
  // The picture on the clipboard, or none when it holds no readable picture.
  virtual std::optional<ClipboardBitmap> read() const = 0;

  std::optional<Bitmap> bitmap() const {
    auto found = read();
    if (!found) return std::nullopt;
    return std::move(found->bitmap);
  }
};

}  // namespace vexilo::core
