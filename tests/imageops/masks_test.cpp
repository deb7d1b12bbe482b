// Masks cut from colour images: white keying below 32 bits, the alpha channel above.
#include <gtest/gtest.h>

#include "imageops/masks.h"

using namespace vexilo;
using core::Bitmap;
using core::SlotId;

TEST(Masks, KeyedOnWhiteBelowThirtyTwoBitsAndCutFromAlphaAbove) {
  core::IconSet board;
  Bitmap keyed(16, 12, core::PixelFormat::Bits24);  // the mini icon
  keyed.fill(core::kWhite);
  keyed.setPixel(5, 5, {254, 255, 255, 255});  // almost white is not white
  board.offerBitmap(SlotId::ic12, keyed);
  Bitmap alpha(32, 32, core::PixelFormat::Bits32);  // alpha 0, 17, 34 ... along row 0
  for (int x = 0; x < 16; ++x) alpha.setPixel(x, 0, {9, 9, 9, static_cast<std::uint8_t>(x * 17)});
  board.offerBitmap(SlotId::ic32, alpha);
  board.offerBitmap(SlotId::ic128, alpha);
  const Bitmap before = *board.slot(SlotId::ic12).picture;
  imageops::createAllMasks(board);
  for (SlotId none : {SlotId::ic128, SlotId::imNB}) imageops::createMask(board, none);  // the 128 pair has none
  for (SlotId none : {SlotId::im128, SlotId::imNB, SlotId::im16}) EXPECT_FALSE(board.slot(none).picture);
  EXPECT_EQ(*board.slot(SlotId::ic12).picture, before) << "the colour image is never changed";

  const core::Slot& mini = board.slot(SlotId::im12);
  EXPECT_EQ(mini.depth, 0) << "a keyed mask leaves the depth as it was";
  for (auto [x, y, level] : {std::tuple{5, 5, 255}, {0, 0, 0}, {6, 5, 0}, {0, 14, 0}})
    EXPECT_EQ(imageops::maskLevel(*mini.picture, x, y), level) << x << "," << y;
  const core::Slot& cut = board.slot(SlotId::im32);
  EXPECT_TRUE(cut.depth == 1 && cut.picture->format() == core::PixelFormat::Bits1);
  for (int x = 0; x < 17; ++x)  // any alpha at all is opaque
    EXPECT_EQ(cut.picture->pixel(x, 0), x == 0 || x == 16 ? core::kWhite : core::kBlack) << x;
  EXPECT_EQ(core::alphaLevels(alpha).index(15, 0), 255);
  Bitmap inverted = *cut.picture;
  imageops::invertMask(inverted);
  EXPECT_TRUE(inverted.pixel(0, 0) == core::kBlack && inverted.pixel(1, 0) == core::kWhite);
}
