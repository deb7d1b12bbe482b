// The Color Depth submenu's checks, depth conversions of a slot and colour counting.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "imageops/colour_depth.h"
#include "support/pictures.h"

using namespace vexilo;
using core::Bitmap;
using core::SlotId;
using F = core::PixelFormat;

// Random channels of `levels` evenly spaced values each.
static Bitmap noise(int w, int h, F format, unsigned seed, int levels) {
  std::mt19937 random(seed);
  auto channel = [&] { return static_cast<std::uint8_t>(random() % levels * 255 / (levels - 1)); };
  Bitmap b(w, h, F::Bits32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.setPixel(x, y, {channel(), channel(), channel(), channel()});
  b.convertTo(format);
  return b;
}

TEST(ColourDepth, MenuConversionsAndColourCounts) {
  core::IconSet board;
  core::Slot& slot = board.slot(SlotId::ic32);
  EXPECT_EQ(imageops::depthMenuChoice(board, SlotId::ic32), std::nullopt);
  for (F f : {F::Bits1, F::Bits4, F::Bits8, F::Bits15, F::Bits16, F::Bits24, F::Bits32}) {
    board.wipeSlot(SlotId::ic32);
    const Bitmap p = noise(32, 32, f, 1, 4);
    board.offerBitmap(SlotId::ic32, p);
    const F shown = f == F::Bits1 || f == F::Bits4 || f == F::Bits8 ? f : F::Bits32;  // the others are widened
    EXPECT_TRUE(imageops::depthMenuChoice(board, SlotId::ic32) == shown && slot.picture->format() == shown);
    EXPECT_TRUE(slot.picture->pixel(5, 7) == p.pixel(5, 7) && slot.depth == core::depthOrdinal(f));
  }
  const Bitmap source = noise(48, 48, F::Bits32, 3, 6);
  const core::Bgra p = source.pixel(3, 4);
  const std::pair<F, const core::Palette*> cases[] = {
      {F::Bits8, &core::macPalette256()}, {F::Bits4, &core::macPalette16()}, {F::Bits1, &core::monoPalette()}};
  for (auto [f, palette] : cases) {
    slot.picture = source;
    imageops::convertSlot(board, SlotId::ic32, f);
    EXPECT_EQ(slot.picture->palette(), *palette);
    EXPECT_EQ(slot.depth, 7) << "the recorded depth stays";
    EXPECT_EQ(slot.picture->index(3, 4), core::nearestIndex(*palette, {p.red, p.green, p.blue}));
  }
  imageops::convertSlot(board, SlotId::ic16, F::Bits8);
  EXPECT_FALSE(board.slot(SlotId::ic16).picture);
  // Distinct colours, alpha ignored, at every size.
  unsigned seed = 10;
  for (auto [w, h] : {std::pair{1, 1}, {12, 16}, {64, 65}, {128, 128}, {320, 328}})
    for (int levels : {2, 5, 256})
      for (F f : {F::Bits24, F::Bits32}) {
        const Bitmap b = noise(w, h, f, ++seed, levels);
        std::set<std::tuple<int, int, int>> colours;
        for (int y = 0; y < h; ++y)
          for (int x = 0; x < w; ++x) colours.insert({b.pixel(x, y).blue, b.pixel(x, y).green, b.pixel(x, y).red});
        EXPECT_EQ(imageops::countColours(b), int(colours.size())) << w << "x" << h << " " << levels;
      }
  for (F indexed : {F::Bits8, F::Bits16}) EXPECT_EQ(imageops::countColours(Bitmap(4, 4, indexed)), -1) << "not counted";
  EXPECT_EQ(imageops::countSlotColours(board, SlotId::ic128), 0);
  board.offerBitmap(SlotId::ic128, test::solid(128, 128, F::Bits1, core::kBlack));
  EXPECT_EQ(imageops::countSlotColours(board, SlotId::ic128), 1);
  EXPECT_EQ(board.slot(SlotId::ic128).picture->format(), F::Bits32) << "widened first";
}
