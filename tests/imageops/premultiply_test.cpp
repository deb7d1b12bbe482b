// Premultiplication and its inverse, exhaustively over every colour and alpha value.
#include <gtest/gtest.h>

#include <cstdlib>

#include "imageops/premultiply.h"

using namespace vexilo;
using core::Bgra;
using core::Bitmap;
using core::PixelFormat;
using core::SlotId;

namespace {

Bgra once(Bgra c, void (*op)(Bitmap&)) {
  Bitmap b(1, 1, PixelFormat::Bits32);
  b.setPixel(0, 0, c);
  op(b);
  return b.pixel(0, 0);
}

}  // namespace

TEST(Premultiply, WorkedExamples) {
  EXPECT_EQ(once({200, 100, 50, 128}, imageops::premultiply), (Bgra{100, 50, 25, 128}));
  EXPECT_EQ(once({100, 50, 25, 128}, imageops::unpremultiply), (Bgra{199, 99, 49, 128}));
  for (auto op : {imageops::premultiply, imageops::unpremultiply}) {
    EXPECT_EQ(once({200, 100, 50, 255}, op), (Bgra{200, 100, 50, 255}));
    EXPECT_EQ(once({200, 100, 50, 0}, op), (Bgra{200, 100, 50, 0}));
  }
  // A channel above its alpha saturates instead of wrapping.
  EXPECT_EQ(once({200, 10, 100, 100}, imageops::unpremultiply), (Bgra{255, 25, 255, 100}));
}

TEST(Premultiply, EveryColourAndAlpha) {
  // Column: channel value, row: alpha; the three channels hold c, 255 - c and c / 2.
  Bitmap b(256, 256, PixelFormat::Bits32);
  for (int a = 0; a < 256; ++a)
    for (int c = 0; c < 256; ++c)
      b.setPixel(c, a, {static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(255 - c),
                        static_cast<std::uint8_t>(c / 2), static_cast<std::uint8_t>(a)});
  Bitmap multiplied = b;
  imageops::premultiply(multiplied);
  Bitmap back = multiplied;
  imageops::unpremultiply(back);
  for (int a = 0; a < 256; ++a)
    for (int c = 0; c < 256; ++c) {
      const Bgra original = b.pixel(c, a), m = multiplied.pixel(c, a), r = back.pixel(c, a);
      ASSERT_EQ(m.alpha, a);
      ASSERT_EQ(r.alpha, a);
      for (auto channel : {&Bgra::blue, &Bgra::green, &Bgra::red}) {
        // Alpha 0 leaves the colour alone both ways.
        if (a == 0) {
          ASSERT_EQ(m.*channel, original.*channel);
          ASSERT_EQ(r.*channel, original.*channel);
        } else {
          ASSERT_LE(m.*channel, a) << "a premultiplied channel never exceeds its alpha";
          // Back again loses at most what the rounding down of both steps lost.
          ASSERT_LE(r.*channel, original.*channel);
          ASSERT_LE(original.*channel - r.*channel, 255 / a + 1) << c << " at alpha " << a;
        }
      }
    }
}

TEST(Premultiply, SlotPictureIsWidenedAndReplaced) {
  core::IconSet board;
  Bitmap eight(32, 32, PixelFormat::Bits8);
  eight.setIndex(1, 1, 200);
  board.offerBitmap(SlotId::ic32, eight);
  imageops::premultiplySlot(board, SlotId::ic32);
  const Bitmap& p = *board.slot(SlotId::ic32).picture;
  EXPECT_EQ(p.format(), PixelFormat::Bits32);
  EXPECT_EQ(p.pixel(1, 1), eight.pixel(1, 1)) << "opaque pixels keep their colour";
  EXPECT_EQ(board.slot(SlotId::ic32).depth, 3);

  // Applied twice, each application works on the result of the last: nothing is blended in.
  board.slot(SlotId::ic32).picture->setPixel(0, 0, {200, 100, 50, 128});
  imageops::premultiplySlot(board, SlotId::ic32);
  imageops::premultiplySlot(board, SlotId::ic32);
  EXPECT_EQ(board.slot(SlotId::ic32).picture->pixel(0, 0), (Bgra{50, 25, 12, 128}));
  imageops::unpremultiplySlot(board, SlotId::ic16);
  EXPECT_FALSE(board.slot(SlotId::ic16).picture);
}
