// Premultiplication and its inverse, exhaustively over every colour and alpha value.
#include <gtest/gtest.h>

#include "imageops/premultiply.h"

using namespace vexilo;
using core::Bgra;
using core::Bitmap;
using core::SlotId;

TEST(Premultiply, EveryColourAndAlphaRoundsDownAndSaturatesAlsoOnASlot) {
  // Column: channel value c, row: alpha; the three channels hold c, 255 - c and c / 2.
  Bitmap b(256, 256, core::PixelFormat::Bits32);
  for (int a = 0; a < 256; ++a)
    for (int c = 0; c < 256; ++c)
      b.setPixel(c, a, {std::uint8_t(c), std::uint8_t(255 - c), std::uint8_t(c / 2), std::uint8_t(a)});
  Bitmap multiplied = b, back = b;
  imageops::premultiply(multiplied);
  imageops::unpremultiply(back);
  for (int a = 0; a < 256; ++a)
    for (int c = 0; c < 256; ++c)
      for (auto channel : {&Bgra::blue, &Bgra::green, &Bgra::red}) {
        const int v = b.pixel(c, a).*channel;
        ASSERT_EQ(multiplied.pixel(c, a).*channel, a == 0 ? v : v * a / 255) << v << " at " << a;
        ASSERT_EQ(back.pixel(c, a).*channel, a == 0 ? v : std::min(255, v * 255 / a)) << v << " at " << a;
        ASSERT_EQ(multiplied.pixel(c, a).alpha + back.pixel(c, a).alpha, 2 * a);
      }
  // On a slot: widened, and each application works on the last.
  core::IconSet board;
  Bitmap eight(32, 32, core::PixelFormat::Bits8);
  eight.setIndex(1, 1, 200);
  board.offerBitmap(SlotId::ic32, eight);
  imageops::premultiplySlot(board, SlotId::ic32);
  Bitmap& p = *board.slot(SlotId::ic32).picture;
  EXPECT_TRUE(p.format() == core::PixelFormat::Bits32 && board.slot(SlotId::ic32).depth == 3);
  EXPECT_EQ(p.pixel(1, 1), eight.pixel(1, 1)) << "opaque pixels keep their colour";
  p.setPixel(0, 0, {200, 100, 50, 128});
  for (auto apply : {imageops::premultiplySlot, imageops::premultiplySlot, imageops::unpremultiplySlot})
    apply(board, SlotId::ic32);
  EXPECT_EQ(p.pixel(0, 0), (Bgra{99, 49, 23, 128}));  // 50, 25, 12 after the second
  imageops::unpremultiplySlot(board, SlotId::ic16);
  EXPECT_FALSE(board.slot(SlotId::ic16).picture);
}
