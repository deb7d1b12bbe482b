// Pictures: pixel packing, conversions between the seven formats, drawing.
#include <gtest/gtest.h>

#include "core/bitmap.h"

using namespace vexilo::core;
using F = PixelFormat;
using Bytes8 = std::vector<std::uint8_t>;

TEST(Bitmap, EachFormatPacksAndWidensItsPixels) {
  Bitmap mono(10, 1, F::Bits1);  // leftmost pixel in the high bit
  mono.setIndex(0, 0, 1);
  mono.setIndex(9, 0, 1);
  EXPECT_EQ(mono.data(), (Bytes8{0x80, 0x40}));
  EXPECT_EQ(mono.pixel(0, 0), kBlack);
  EXPECT_EQ(mono.pixel(1, 0), kWhite);
  Bitmap nibbles(3, 1, F::Bits4);
  for (int x = 0; x < 3; ++x) nibbles.setIndex(x, 0, 0xA5F >> (8 - 4 * x) & 0xF);
  EXPECT_EQ(nibbles.data(), (Bytes8{0xA5, 0xF0}));
  Bitmap b15(1, 1, F::Bits15);
  b15.data() = {0xFF, 0x7F};  // every channel at its maximum widens to 255
  EXPECT_EQ(b15.pixel(0, 0), kWhite);
  Bitmap b16(2, 1, F::Bits16);
  b16.data() = {0x00, 0xF8, 0xE0, 0x07};  // pure red, pure green
  EXPECT_EQ(b16.pixel(0, 0), (Bgra{0, 0, 255, 255}));
  EXPECT_EQ(b16.pixel(1, 0), (Bgra{0, 255, 0, 255}));
  b16.setPixel(0, 0, {0x18, 0x0C, 0x84, 0});  // red 10000, green 000011, blue 00011
  EXPECT_EQ(b16.data()[0] | b16.data()[1] << 8, 0x8063);
}

TEST(Bitmap, ConversionsTakeTheNearestColourAndOpaqueAlpha) {
  Bitmap b(4, 1, F::Bits32);
  const Bgra colours[] = {kWhite, kBlack, {0, 0, 255, 255}, {0x11, 0x11, 0x11, 9}};
  for (int x = 0; x < 4; ++x) b.setPixel(x, 0, colours[x]);
  // Red is entry 35 of the 256-colour cube, 111111 the darkest grey of its ramp; DD0806 is the
  // nearest red of the 16 colours.
  const struct { F format; const Palette& palette; int indices[4]; } cases[] = {
      {F::Bits8, macPalette256(), {0, 255, 35, 254}},
      {F::Bits4, macPalette16(), {0, 15, 3, 15}},
      {F::Bits1, monoPalette(), {0, 1, 1, 1}}};
  for (const auto& c : cases) {
    Bitmap indexed = b;
    indexed.convertTo(c.format);
    EXPECT_EQ(indexed.palette(), c.palette);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(indexed.index(x, 0), c.indices[x]) << x;
  }
  b.convertTo(F::Bits24);
  b.convertTo(F::Bits32);
  EXPECT_EQ(b.pixel(3, 0), (Bgra{0x11, 0x11, 0x11, 255}));
}

TEST(Bitmap, EveryFormatRoundTripsThroughThirtyTwoBits) {
  Bitmap palette(256, 1, F::Bits8);
  for (int i = 0; i < 256; ++i) palette.setIndex(i, 0, i);
  std::vector<Bitmap> pictures{palette};
  for (F f : {F::Bits15, F::Bits16, F::Bits24}) {
    Bitmap b(5, 3, f);
    for (std::size_t i = 0; i < b.data().size(); ++i)
      b.data()[i] = static_cast<std::uint8_t>(i * 37 & (f == F::Bits15 && i % 2 ? 0x7F : 0xFF));
    pictures.push_back(b);
  }
  for (const Bitmap& b : pictures) {
    Bitmap trip = b;
    trip.convertTo(F::Bits32);
    trip.convertTo(b.format());
    EXPECT_EQ(trip, b) << bitsPerPixel(b.format());
  }
}

TEST(Bitmap, DrawClipsOnEverySideAndKeepsAlpha) {
  Bitmap dst(4, 4, F::Bits32);
  dst.fill(kWhite);
  Bitmap src(3, 3, F::Bits32);
  src.fill({1, 2, 3, 4});
  dst.draw(src, -1, 2);
  dst.draw(src, 10, 10);
  dst.draw(src, 3, -2, /*opaqueWhenAlphaZero=*/true);  // not all zero: alpha kept
  for (auto [x, y, drawn] : {std::tuple{0, 2, true}, {1, 3, true}, {2, 2, false}, {0, 1, false},
                             {3, 0, true}, {3, 1, false}, {2, 0, false}})
    EXPECT_EQ(dst.pixel(x, y), (drawn ? Bgra{1, 2, 3, 4} : kWhite)) << x << "," << y;
  Bitmap clear(1, 1, F::Bits32);
  clear.fill({5, 6, 7, 0});
  dst.draw(clear, 0, 0, /*opaqueWhenAlphaZero=*/true);
  EXPECT_EQ(dst.pixel(0, 0), (Bgra{5, 6, 7, 255}));
  // Indexed pictures of the same palette copy their indices, also at odd bit positions.
  Bitmap monoDst(9, 1, F::Bits1), monoSrc(3, 1, F::Bits1);
  monoSrc.setIndex(1, 0, 1);
  monoDst.draw(monoSrc, 6, 0);
  EXPECT_EQ(monoDst.data(), (Bytes8{0x01, 0x00}));
  EXPECT_TRUE(Bitmap::sizeAllowed(320, 328));
  for (auto [w, h] : {std::pair{0, 5}, {5, -1}, {40000, 1}, {30000, 30000}})
    EXPECT_FALSE(Bitmap::sizeAllowed(w, h)) << w << "x" << h;
}
