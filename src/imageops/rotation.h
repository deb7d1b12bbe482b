// Rotations by a quarter or half turn and mirror flips of one image.
#pragma once

#include "core/bitmap.h"
#include "core/icon_set.h"

namespace vexilo::imageops {

enum class Turn {
  Half,            // 180 degrees
  Right,           // 90 degrees clockwise
  Left,            // 90 degrees anticlockwise
  FlipHorizontal,  // left and right swap
  FlipVertical,    // top and bottom swap
};

// Converts the picture to 32 bits and turns it in place; every pixel moves with its alpha.
// The picture keeps its size: a quarter turn of a picture that is not square is built as a
// height x width picture and copied back from the top-left corner, so the part of the turned
// picture that lies beyond the old width is dropped and the rows beyond the old width keep
// their pixels. Nothing is read or written outside either picture.
void turn(core::Bitmap& picture, Turn how);

// The turn on a slot's picture, which stays 32-bit; the recorded depth does not change.
// A slot without a picture is left alone.
void turnSlot(core::IconSet& board, core::SlotId id, Turn how);

}  // namespace vexilo::imageops
