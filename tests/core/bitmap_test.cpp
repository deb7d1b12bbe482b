// Pictures: pixel packing, conversions between the seven formats, drawing.
#include <gtest/gtest.h>

#include "core/bitmap.h"

using namespace vexilo::core;

TEST(Bitmap, IndexedRowsPackLeftmostPixelInTheHighBits) {
  Bitmap mono(10, 1, PixelFormat::Bits1);
  EXPECT_EQ(mono.stride(), 2u);
  mono.setIndex(0, 0, 1);
  mono.setIndex(9, 0, 1);
  EXPECT_EQ(mono.data(), (std::vector<std::uint8_t>{0x80, 0x40}));
  EXPECT_EQ(mono.pixel(0, 0), kBlack);
  EXPECT_EQ(mono.pixel(1, 0), kWhite);

  Bitmap nibbles(3, 1, PixelFormat::Bits4);
  nibbles.setIndex(0, 0, 0xA);
  nibbles.setIndex(1, 0, 0x5);
  nibbles.setIndex(2, 0, 0xF);
  EXPECT_EQ(nibbles.data(), (std::vector<std::uint8_t>{0xA5, 0xF0}));
  EXPECT_EQ(nibbles.palette().size(), 16u);
  EXPECT_EQ(Bitmap(1, 1, PixelFormat::Bits8, {{1, 2, 3}}).palette().size(), 256u);
}

TEST(Bitmap, SixteenBitFormatsWidenTheirChannelsToFullRange) {
  Bitmap b15(1, 1, PixelFormat::Bits15);
  b15.data() = {0xFF, 0x7F};  // every channel at its maximum
  EXPECT_EQ(b15.pixel(0, 0), kWhite);
  Bitmap b16(2, 1, PixelFormat::Bits16);
  b16.data() = {0x00, 0xF8, 0xE0, 0x07};  // pure red, pure green
  EXPECT_EQ(b16.pixel(0, 0), (Bgra{0, 0, 255, 255}));
  EXPECT_EQ(b16.pixel(1, 0), (Bgra{0, 255, 0, 255}));
  b16.setPixel(0, 0, {0x18, 0x0C, 0x84, 0});
  EXPECT_EQ(b16.data()[0] | b16.data()[1] << 8, (0x84 >> 3) << 11 | (0x0C >> 2) << 5 | 0x18 >> 3);
}

TEST(Bitmap, OpaquePicturesBecomeAlpha255AndAlphaIsDroppedOnTheWayDown) {
  Bitmap b(2, 1, PixelFormat::Bits24);
  b.setPixel(0, 0, {1, 2, 3, 0});
  b.setPixel(1, 0, {200, 100, 50, 7});
  b.convertTo(PixelFormat::Bits32);
  EXPECT_EQ(b.pixel(0, 0), (Bgra{1, 2, 3, 255}));
  EXPECT_EQ(b.pixel(1, 0), (Bgra{200, 100, 50, 255}));

  Bitmap translucent(1, 1, PixelFormat::Bits32);
  translucent.setPixel(0, 0, {10, 20, 30, 40});
  translucent.convertTo(PixelFormat::Bits24);
  translucent.convertTo(PixelFormat::Bits32);
  EXPECT_EQ(translucent.pixel(0, 0), (Bgra{10, 20, 30, 255}));
}

TEST(Bitmap, IndexedConversionsUseTheNearestColourOfTheDepthsPalette) {
  Bitmap b(4, 1, PixelFormat::Bits32);
  b.setPixel(0, 0, kWhite);
  b.setPixel(1, 0, kBlack);
  b.setPixel(2, 0, {0, 0, 255, 255});      // pure red: cube entry 35
  b.setPixel(3, 0, {0x11, 0x11, 0x11, 9});  // darkest grey of the ramp: 254
  Bitmap eight = b;
  eight.convertTo(PixelFormat::Bits8);
  EXPECT_EQ(eight.palette(), macPalette256());
  EXPECT_EQ(eight.index(0, 0), 0);
  EXPECT_EQ(eight.index(1, 0), 255);
  EXPECT_EQ(eight.index(2, 0), 35);
  EXPECT_EQ(eight.index(3, 0), 254);

  Bitmap four = b;
  four.convertTo(PixelFormat::Bits4);
  EXPECT_EQ(four.index(2, 0), 3);  // DD0806 is the nearest red of the 16
  EXPECT_EQ(four.index(1, 0), 15);

  Bitmap one = b;
  one.convertTo(PixelFormat::Bits1);
  EXPECT_EQ(one.index(0, 0), 0);
  EXPECT_EQ(one.index(1, 0), 1);

  // Every colour of a palette survives a trip through 32 bits and back.
  Bitmap all(256, 1, PixelFormat::Bits8);
  for (int i = 0; i < 256; ++i) all.setIndex(i, 0, i);
  Bitmap trip = all;
  trip.convertTo(PixelFormat::Bits32);
  trip.convertTo(PixelFormat::Bits8);
  EXPECT_EQ(trip, all);
}

TEST(Bitmap, DirectFormatsRoundTripTheirOwnValues) {
  for (PixelFormat f : {PixelFormat::Bits15, PixelFormat::Bits16, PixelFormat::Bits24}) {
    Bitmap b(5, 3, f);
    for (std::size_t i = 0; i < b.data().size(); ++i) b.data()[i] = static_cast<std::uint8_t>(i * 37);
    if (f == PixelFormat::Bits15)
      for (std::size_t i = 1; i < b.data().size(); i += 2) b.data()[i] &= 0x7F;
    Bitmap trip = b;
    trip.convertTo(PixelFormat::Bits32);
    trip.convertTo(f);
    EXPECT_EQ(trip, b) << bitsPerPixel(f);
  }
}

TEST(Bitmap, DrawClipsOnEverySideAndKeepsAlpha) {
  Bitmap dst(4, 4, PixelFormat::Bits32);
  dst.fill(kWhite);
  Bitmap src(3, 3, PixelFormat::Bits32);
  src.fill({1, 2, 3, 4});
  dst.draw(src, -1, 2);
  EXPECT_EQ(dst.pixel(0, 2), (Bgra{1, 2, 3, 4}));
  EXPECT_EQ(dst.pixel(1, 3), (Bgra{1, 2, 3, 4}));
  EXPECT_EQ(dst.pixel(2, 2), kWhite);
  EXPECT_EQ(dst.pixel(0, 1), kWhite);
  dst.draw(src, 10, 10);  // wholly outside: nothing
  dst.draw(src, 3, 3, /*opaqueWhenAlphaZero=*/true);
  EXPECT_EQ(dst.pixel(3, 3), (Bgra{1, 2, 3, 4}));

  Bitmap clear(1, 1, PixelFormat::Bits32);
  clear.fill({5, 6, 7, 0});
  EXPECT_TRUE(clear.alphaAllZero());
  dst.draw(clear, 0, 0, /*opaqueWhenAlphaZero=*/true);
  EXPECT_EQ(dst.pixel(0, 0), (Bgra{5, 6, 7, 255}));

  // Indexed pictures of the same palette copy their indices, also at odd bit positions.
  Bitmap monoDst(9, 1, PixelFormat::Bits1);
  Bitmap monoSrc(3, 1, PixelFormat::Bits1);
  monoSrc.setIndex(1, 0, 1);
  monoDst.draw(monoSrc, 6, 0);
  EXPECT_EQ(monoDst.index(7, 0), 1);
  EXPECT_EQ(monoDst.index(6, 0), 0);
}

TEST(Bitmap, SizeLimits) {
  EXPECT_TRUE(Bitmap::sizeAllowed(320, 328));
  EXPECT_FALSE(Bitmap::sizeAllowed(0, 5));
  EXPECT_FALSE(Bitmap::sizeAllowed(5, -1));
  EXPECT_FALSE(Bitmap::sizeAllowed(40000, 1));
  EXPECT_FALSE(Bitmap::sizeAllowed(30000, 30000));
}
