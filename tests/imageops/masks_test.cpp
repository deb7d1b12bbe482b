// Masks cut from colour images: white keying below 32 bits, the alpha channel above.
#include <gtest/gtest.h>

#include "imageops/masks.h"

using namespace vexilo;
using core::SlotId;

TEST(Masks, KeyedOnWhiteBelowThirtyTwoBitsWithoutChangingTheMaskDepth) {
  core::IconSet board;
  core::Bitmap picture(32, 32, core::PixelFormat::Bits32);
  picture.fill(core::kWhite);
  picture.setPixel(5, 5, {0, 0, 255, 255});
  picture.setPixel(6, 5, {254, 255, 255, 255});  // almost white is not white
  picture.convertTo(core::PixelFormat::Bits24);
  board.offerBitmap(SlotId::ic32, picture);
  const core::Bitmap before = *board.slot(SlotId::ic32).picture;

  imageops::createAllMasks(board);  // only the 32 pair has a colour image
  const core::Slot& mask = board.slot(SlotId::im32);
  ASSERT_TRUE(mask.picture);
  EXPECT_EQ(mask.depth, 0) << "a keyed mask leaves the depth as it was";
  EXPECT_EQ(mask.picture->pixel(5, 5), core::kBlack);
  EXPECT_EQ(mask.picture->pixel(6, 5), core::kBlack);
  EXPECT_EQ(mask.picture->pixel(0, 0), core::kWhite);
  EXPECT_EQ(imageops::maskLevel(*mask.picture, 5, 5), 255) << "black is opaque in a two-colour mask";
  EXPECT_EQ(*board.slot(SlotId::ic32).picture, before) << "the colour image is never changed";
  for (SlotId other : {SlotId::im12, SlotId::im16, SlotId::im48, SlotId::im128})
    EXPECT_FALSE(board.slot(other).picture) << core::slotName(other);
}

TEST(Masks, CutFromAlphaWhereverAnyAlphaIsAndRecordedAsOneBit) {
  core::IconSet board;
  core::Bitmap picture(16, 16, core::PixelFormat::Bits32);  // alpha ramp along row 0
  for (int x = 0; x < 16; ++x) picture.setPixel(x, 0, {9, 9, 9, static_cast<std::uint8_t>(x * 17)});
  board.offerBitmap(SlotId::ic16, picture);
  imageops::createMask(board, SlotId::im16);  // opened on the mask image: made from ic16
  const core::Slot& mask = board.slot(SlotId::im16);
  ASSERT_TRUE(mask.picture);
  EXPECT_EQ(mask.depth, 1);
  EXPECT_EQ(mask.picture->format(), core::PixelFormat::Bits1);
  EXPECT_EQ(mask.picture->pixel(0, 0), core::kWhite) << "alpha 0: transparent";
  for (int x = 1; x < 16; ++x) EXPECT_EQ(mask.picture->pixel(x, 0), core::kBlack) << x;
  EXPECT_EQ(mask.picture->pixel(3, 5), core::kWhite);
  EXPECT_EQ(imageops::alphaPlane(picture)[15], 255);

  // The 128 and black-and-white pairs have no mask making; an empty colour image gives none.
  imageops::createMask(board, SlotId::ic128);
  imageops::createMask(board, SlotId::icNB);
  imageops::createMask(board, SlotId::ic48);
  EXPECT_FALSE(board.slot(SlotId::im128).picture);
  EXPECT_FALSE(board.slot(SlotId::imNB).picture);
  EXPECT_FALSE(board.slot(SlotId::im48).picture);

  core::Bitmap inverted = *mask.picture;
  imageops::invertMask(inverted);
  EXPECT_EQ(inverted.pixel(0, 0), core::kBlack);
  EXPECT_EQ(inverted.pixel(1, 0), core::kWhite);
}

TEST(Masks, MiniIconPairsWork) {
  core::IconSet board;
  core::Bitmap mini(16, 12, core::PixelFormat::Bits8);  // index 255 is black
  for (int x = 0; x < 16; ++x) mini.setIndex(x, 11, 255);
  board.offerBitmap(SlotId::ic12, mini);
  imageops::createMask(board, SlotId::ic12);
  const core::Bitmap& mask = *board.slot(SlotId::im12).picture;
  EXPECT_EQ(mask.pixel(0, 11), core::kBlack);
  EXPECT_EQ(mask.pixel(0, 10), core::kWhite);
  EXPECT_EQ(mask.pixel(0, 14), core::kWhite) << "the white rows under the mini icon";
}
