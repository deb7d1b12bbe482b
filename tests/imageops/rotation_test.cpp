// Turns and flips: their algebra on a picture without symmetry, the direction of each, and
// pictures that are not square.
#include <gtest/gtest.h>

#include "imageops/rotation.h"

using namespace vexilo;
using core::Bgra;
using core::Bitmap;
using core::PixelFormat;
using core::SlotId;
using imageops::Turn;

namespace {

// Every pixel different, alpha included.
Bitmap asymmetric(int w, int h) {
  Bitmap b(w, h, PixelFormat::Bits32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.setPixel(x, y,
                 {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
                  static_cast<std::uint8_t>(x * 7 + y * 3), static_cast<std::uint8_t>(x + 16 * y)});
  return b;
}

Bitmap turned(Bitmap b, std::initializer_list<Turn> turns) {
  for (Turn t : turns) imageops::turn(b, t);
  return b;
}

}  // namespace

TEST(Rotation, TurnsAndFlipsComposeAsTheyShould) {
  const Bitmap p = asymmetric(7, 7);
  EXPECT_EQ(turned(p, {Turn::Right, Turn::Right, Turn::Right, Turn::Right}), p);
  EXPECT_EQ(turned(p, {Turn::Left, Turn::Left, Turn::Left, Turn::Left}), p);
  EXPECT_EQ(turned(p, {Turn::Right, Turn::Left}), p);
  EXPECT_EQ(turned(p, {Turn::Left, Turn::Right}), p);
  EXPECT_EQ(turned(p, {Turn::Half, Turn::Half}), p);
  EXPECT_EQ(turned(p, {Turn::FlipHorizontal, Turn::FlipHorizontal}), p);
  EXPECT_EQ(turned(p, {Turn::FlipVertical, Turn::FlipVertical}), p);
  EXPECT_EQ(turned(p, {Turn::FlipHorizontal, Turn::FlipVertical}), turned(p, {Turn::Half}));
  EXPECT_EQ(turned(p, {Turn::Right, Turn::Right}), turned(p, {Turn::Half}));
  EXPECT_NE(turned(p, {Turn::Right}), turned(p, {Turn::Left}));
  EXPECT_NE(turned(p, {Turn::FlipHorizontal}), turned(p, {Turn::FlipVertical}));
}

TEST(Rotation, EachTurnGoesTheRightWayAndCarriesAlpha) {
  Bitmap p(4, 4, PixelFormat::Bits32);
  p.fill({9, 9, 9, 255});
  const Bgra corner{10, 20, 30, 0};  // fully transparent yet coloured: copied, never blended
  p.setPixel(0, 0, corner);
  struct Case { Turn how; int x, y; };
  for (const Case& c : {Case{Turn::Right, 3, 0}, Case{Turn::Left, 0, 3}, Case{Turn::Half, 3, 3},
                        Case{Turn::FlipHorizontal, 3, 0}, Case{Turn::FlipVertical, 0, 3}}) {
    const Bitmap t = turned(p, {c.how});
    EXPECT_EQ(t.pixel(c.x, c.y), corner) << static_cast<int>(c.how);
    EXPECT_EQ(t.pixel(0, 0), (Bgra{9, 9, 9, 255})) << static_cast<int>(c.how);
  }
  // Clockwise: the left column becomes the top row read right to left.
  const Bitmap a = asymmetric(5, 5);
  const Bitmap r = turned(a, {Turn::Right});
  for (int y = 0; y < 5; ++y) EXPECT_EQ(r.pixel(4 - y, 0), a.pixel(0, y));
}

TEST(Rotation, SlotPictureBecomes32BitAndKeepsItsRecordedDepth) {
  core::IconSet board;
  Bitmap eight(16, 16, PixelFormat::Bits8);
  eight.setIndex(0, 0, 5);
  board.offerBitmap(SlotId::ic16, eight);
  ASSERT_EQ(board.slot(SlotId::ic16).depth, 3);
  imageops::turnSlot(board, SlotId::ic16, Turn::FlipVertical);
  const auto& picture = board.slot(SlotId::ic16).picture;
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->format(), PixelFormat::Bits32);
  EXPECT_EQ(board.slot(SlotId::ic16).depth, 3);
  EXPECT_EQ(picture->pixel(0, 15), eight.pixel(0, 0));
  EXPECT_EQ(picture->pixel(0, 0), eight.pixel(0, 1));

  imageops::turnSlot(board, SlotId::ic32, Turn::Right);
  EXPECT_FALSE(board.slot(SlotId::ic32).picture) << "nothing to turn, nothing made";
}

// A quarter turn of a w x h picture is built h x w and copied back from the top-left corner:
// the picture keeps its size, the rows below the turned picture keep their pixels.
TEST(Rotation, QuarterTurnOfANonSquarePictureStaysInside) {
  for (const auto& [w, h] : {std::pair{4, 7}, std::pair{7, 4}}) {
    const Bitmap p = asymmetric(w, h);
    for (Turn how : {Turn::Right, Turn::Left}) {
      const Bitmap t = turned(p, {how});
      ASSERT_EQ(t.width(), w);
      ASSERT_EQ(t.height(), h);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          // The source of (x, y) in the h x w turned picture.
          const int sx = how == Turn::Right ? y : w - 1 - y;
          const int sy = how == Turn::Right ? h - 1 - x : x;
          const bool covered = x < h && y < w;
          EXPECT_EQ(t.pixel(x, y), covered ? p.pixel(sx, sy) : p.pixel(x, y))
              << w << "x" << h << " at " << x << "," << y;
        }
    }
    // The other turns are whole.
    EXPECT_EQ(turned(p, {Turn::Half, Turn::Half}), p);
    EXPECT_EQ(turned(p, {Turn::FlipHorizontal, Turn::FlipVertical}), turned(p, {Turn::Half}));
  }

  core::IconSet board;  // a 320x328 pasteboard
  const Bitmap before = *board.slot(SlotId::PB16).picture;
  imageops::turnSlot(board, SlotId::PB16, Turn::Right);
  const Bitmap& after = *board.slot(SlotId::PB16).picture;
  ASSERT_EQ(after.width(), 320);
  ASSERT_EQ(after.height(), 328);
  for (int y = 320; y < 328; ++y)
    for (int x = 0; x < 320; ++x) ASSERT_EQ(after.pixel(x, y), before.pixel(x, y));
}
