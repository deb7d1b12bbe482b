// The Color Depth submenu's checks, depth conversions of a slot and colour counting.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "imageops/colour_depth.h"

using namespace vexilo;
using core::Bgra;
using core::Bitmap;
using core::PixelFormat;
using core::SlotId;

namespace {

Bitmap noise(int w, int h, PixelFormat format, unsigned seed, int levels) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> value(0, levels - 1);
  auto channel = [&] { return static_cast<std::uint8_t>(value(random) * 255 / (levels - 1)); };
  Bitmap b(w, h, PixelFormat::Bits32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.setPixel(x, y, {channel(), channel(), channel(), channel()});
  b.convertTo(format);
  return b;
}

// The count by first appearances, one comparison after another.
int linearCount(const Bitmap& b) {
  std::vector<Bgra> seen;
  for (int y = 0; y < b.height(); ++y)
    for (int x = 0; x < b.width(); ++x) {
      Bgra c = b.pixel(x, y);
      c.alpha = 0;
      if (std::find(seen.begin(), seen.end(), c) == seen.end()) seen.push_back(c);
    }
  return static_cast<int>(seen.size());
}

}  // namespace

TEST(ColourDepth, MenuChecksTheStoredDepthAndWidensTheOthersTo32) {
  core::IconSet board;
  EXPECT_EQ(imageops::depthMenuChoice(board, SlotId::ic32), std::nullopt);
  for (PixelFormat f :
       {PixelFormat::Bits1, PixelFormat::Bits4, PixelFormat::Bits8, PixelFormat::Bits32}) {
    board.wipeSlot(SlotId::ic32);
    const Bitmap p = noise(32, 32, f, 1, 4);
    board.offerBitmap(SlotId::ic32, p);
    EXPECT_EQ(imageops::depthMenuChoice(board, SlotId::ic32), f);
    EXPECT_EQ(*board.slot(SlotId::ic32).picture, p) << "shown as it is";
  }
  for (PixelFormat f : {PixelFormat::Bits15, PixelFormat::Bits16, PixelFormat::Bits24}) {
    board.wipeSlot(SlotId::ic32);
    const Bitmap p = noise(32, 32, f, 2, 4);
    board.offerBitmap(SlotId::ic32, p);
    EXPECT_EQ(imageops::depthMenuChoice(board, SlotId::ic32), PixelFormat::Bits32);
    const Bitmap& now = *board.slot(SlotId::ic32).picture;
    EXPECT_EQ(now.format(), PixelFormat::Bits32);
    EXPECT_EQ(now.pixel(5, 7), p.pixel(5, 7));
    EXPECT_EQ(board.slot(SlotId::ic32).depth, core::depthOrdinal(f));
  }
}

TEST(ColourDepth, ConversionsUseTheProgramsPalettesAndKeepTheRecordedDepth) {
  core::IconSet board;
  const Bitmap source = noise(48, 48, PixelFormat::Bits32, 3, 6);
  board.offerBitmap(SlotId::ic48, source);
  const struct { PixelFormat f; const core::Palette& palette; } cases[] = {
      {PixelFormat::Bits8, core::macPalette256()},
      {PixelFormat::Bits4, core::macPalette16()},
      {PixelFormat::Bits1, core::monoPalette()}};
  for (const auto& c : cases) {
    board.slot(SlotId::ic48).picture = source;
    imageops::convertSlot(board, SlotId::ic48, c.f);
    const Bitmap& now = *board.slot(SlotId::ic48).picture;
    EXPECT_EQ(now.format(), c.f);
    EXPECT_EQ(now.palette(), c.palette);
    EXPECT_EQ(board.slot(SlotId::ic48).depth, 7);
    const Bgra p = source.pixel(3, 4);
    EXPECT_EQ(now.index(3, 4), core::nearestIndex(c.palette, {p.red, p.green, p.blue}));
    // Down and back up changes nothing more: the indexed picture is a fixed point.
    Bitmap again = now;
    again.convertTo(PixelFormat::Bits32);
    again.convertTo(c.f);
    EXPECT_EQ(again, now);
  }
  imageops::convertSlot(board, SlotId::ic16, PixelFormat::Bits8);
  EXPECT_FALSE(board.slot(SlotId::ic16).picture);
}

TEST(ColourCount, CountsDistinctColoursIgnoringAlpha) {
  Bitmap b(16, 16, PixelFormat::Bits32);
  b.fill({1, 2, 3, 255});
  EXPECT_EQ(imageops::countColours(b), 1);
  b.setPixel(4, 4, {1, 2, 3, 0});
  EXPECT_EQ(imageops::countColours(b), 1) << "same colour, other alpha";
  b.fill(core::kWhite);
  b.setPixel(0, 0, core::kBlack);
  EXPECT_EQ(imageops::countColours(b), 2);
  b.convertTo(PixelFormat::Bits24);
  EXPECT_EQ(imageops::countColours(b), 2);
  b.convertTo(PixelFormat::Bits8);
  EXPECT_EQ(imageops::countColours(b), -1) << "an indexed picture is not counted as it is";
  EXPECT_EQ(imageops::countColours(Bitmap(4, 4, PixelFormat::Bits16)), -1);
}

TEST(ColourCount, AgreesWithALinearSearchAtEverySize) {
  // Small and large pictures, few and many colours, 24 and 32 bits.
  unsigned seed = 10;
  for (const auto& [w, h] :
       {std::pair{1, 1}, std::pair{12, 16}, std::pair{64, 64}, std::pair{128, 128}})
    for (int levels : {2, 5, 256})
      for (PixelFormat f : {PixelFormat::Bits24, PixelFormat::Bits32}) {
        const Bitmap b = noise(w, h, f, ++seed, levels);
        EXPECT_EQ(imageops::countColours(b), linearCount(b)) << w << "x" << h << " " << levels;
      }

  Bitmap all(320, 328, PixelFormat::Bits32);
  for (int y = 0; y < 328; ++y)
    for (int x = 0; x < 320; ++x)
      all.setPixel(x, y, {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
                          static_cast<std::uint8_t>((x >> 8) | (y >> 8) << 1), 255});
  EXPECT_EQ(imageops::countColours(all), 320 * 328);
}

TEST(ColourCount, SlotIsWidenedFirst) {
  core::IconSet board;
  EXPECT_EQ(imageops::countSlotColours(board, SlotId::ic128), 0);
  board.offerBitmap(SlotId::ic128, noise(128, 128, PixelFormat::Bits32, 7, 256));
  imageops::convertSlot(board, SlotId::ic128, PixelFormat::Bits1);
  const int mono = imageops::countSlotColours(board, SlotId::ic128);
  EXPECT_GE(mono, 1);
  EXPECT_LE(mono, 2);
  EXPECT_EQ(board.slot(SlotId::ic128).picture->format(), PixelFormat::Bits32);
  EXPECT_EQ(board.slot(SlotId::ic128).depth, 7);
}
