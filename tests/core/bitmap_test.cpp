// Pictures: pixel packing, conversions between the seven formats, drawing.
#include <gtest/gtest.h>

#include "core/bitmap.h"

using namespace vexilo::core;
using F = PixelFormat;

TEST(Bitmap, EachFormatPacksAndWidensItsPixels) {
  Bitmap mono(10, 1, F::Bits1), nibbles(3, 1, F::Bits4), b16(2, 1, F::Bits16), b15(1, 1, F::Bits15);
  for (int x : {0, 9}) mono.setIndex(x, 0, 1);
  for (int x = 0; x < 3; ++x) nibbles.setIndex(x, 0, 0xA5F >> (8 - 4 * x) & 0xF);
  EXPECT_EQ(mono.data(), (std::vector<std::uint8_t>{0x80, 0x40})) << "leftmost pixel in the high bit";
  EXPECT_EQ(nibbles.data(), (std::vector<std::uint8_t>{0xA5, 0xF0}));
  b15.data() = {0xFF, 0x7F};  // every channel at its maximum widens to 255
  b16.data() = {0x00, 0xF8, 0xE0, 0x07};  // pure red, pure green
  EXPECT_TRUE(b15.pixel(0, 0) == kWhite && mono.pixel(1, 0) == kWhite);
  EXPECT_TRUE(b16.pixel(0, 0) == (Bgra{0, 0, 255, 255}) && b16.pixel(1, 0) == (Bgra{0, 255, 0, 255}));
  b16.setPixel(0, 0, {0x18, 0x0C, 0x84, 0});  // red 10000, green 000011, blue 00011
  EXPECT_EQ(b16.data()[0] | b16.data()[1] << 8, 0x8063);
}

TEST(Bitmap, ConversionsTakeTheNearestColourRoundTripAndDrawingClips) {
  Bitmap b(4, 1, F::Bits32);
  const Bgra colours[] = {kWhite, kBlack, {0, 0, 255, 255}, {0x11, 0x11, 0x11, 9}};
  for (int x = 0; x < 4; ++x) b.setPixel(x, 0, colours[x]);
  // Red is entry 35 of the 256-colour cube, 111111 the darkest grey of its ramp; DD0806 is the
  // nearest red of the 16 colours.
  const struct { F format; const Palette& palette; int indices[4]; } cases[] = {
      {F::Bits8, macPalette256(), {0, 255, 35, 254}}, {F::Bits4, macPalette16(), {0, 15, 3, 15}},
      {F::Bits1, monoPalette(), {0, 1, 1, 1}}};
  for (const auto& c : cases) {
    Bitmap indexed = b;
    indexed.convertTo(c.format);
    EXPECT_EQ(indexed.palette(), c.palette);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(indexed.index(x, 0), c.indices[x]) << x;
  }
  // Every palette entry and every direct value comes back from 32 bits; alpha is opaque after 24.
  std::vector<Bitmap> pictures{Bitmap(256, 1, F::Bits8), Bitmap(5, 3, F::Bits15), Bitmap(5, 3, F::Bits16),
                               Bitmap(5, 3, F::Bits24)};
  for (Bitmap& p : pictures) {
    const bool b15 = p.format() == F::Bits15;
    for (std::size_t i = 0; i < p.data().size(); ++i)
      p.data()[i] = static_cast<std::uint8_t>(p.width() == 256 ? i : i * 37 & (b15 && i % 2 ? 0x7F : 0xFF));
    Bitmap trip = p;
    trip.convertTo(F::Bits32);
    trip.convertTo(p.format());
    EXPECT_EQ(trip, p) << bitsPerPixel(p.format());
  }
  b.convertTo(F::Bits24);
  b.convertTo(F::Bits32);
  EXPECT_EQ(b.pixel(3, 0), (Bgra{0x11, 0x11, 0x11, 255}));
  // Drawing clips, and keeps alpha unless it is all zero.
  Bitmap dst(4, 4, F::Bits32), src(3, 3, F::Bits32), clear(1, 1, F::Bits32);
  dst.fill(kWhite);
  src.fill({1, 2, 3, 4});
  clear.fill({5, 6, 7, 0});
  dst.draw(src, 2, 1, /*opaqueWhenAlphaZero=*/true);  // not all zero: alpha kept
  dst.draw(clear, 0, 3, /*opaqueWhenAlphaZero=*/true);
  const Bgra shown[] = {kWhite, {1, 2, 3, 4}, {5, 6, 7, 255}};
  for (auto [x, y, i] : {std::tuple{2, 1, 1}, {3, 3, 1}, {1, 1, 0}, {2, 0, 0}, {0, 3, 2}, {1, 3, 0}})
    EXPECT_EQ(dst.pixel(x, y), shown[i]) << x << "," << y;
  Bitmap mono(9, 2, F::Bits1), monoSrc(9, 1, F::Bits1);  // same palette: indices copied
  monoSrc.setIndex(8, 0, 1);
  mono.draw(monoSrc, 0, 1);
  EXPECT_EQ(mono.data()[mono.stride() + 1], 0x80);
  EXPECT_TRUE(Bitmap::sizeAllowed(320, 328));
  for (auto [w, h] : {std::pair{0, 5}, {5, -1}, {40000, 1}, {30000, 30000}})
    EXPECT_FALSE(Bitmap::sizeAllowed(w, h)) << w << "x" << h;
}

// The cell search of large pictures gives what the full search gives, ties included, for every
// palette and colours across the cube and on the cells' edges; a large picture converts so.
TEST(Bitmap, CellSearchAgreesWithTheFullSearch) {
  std::vector<int> values;
  for (int v = 0; v < 256; v += 5) values.push_back(v);
  for (int v = 15; v < 256; v += 16) values.insert(values.end(), {v, v + 1 < 256 ? v + 1 : v});
  const Palette tied = {{10, 10, 10}, {30, 30, 30}, {10, 10, 10}, {20, 20, 20}};  // equals: the first wins
  for (const Palette* palette : {&macPalette256(), &macPalette16(), &monoPalette(), &greyPalette(), &tied}) {
    const NearestColour nearest(*palette);
    int wrong = 0;
    for (int r : values)
      for (int g : values)
        for (int b : values) {
          const Rgb c{std::uint8_t(r), std::uint8_t(g), std::uint8_t(b)};
          wrong += nearest(c) != nearestIndex(*palette, c);
        }
    EXPECT_EQ(wrong, 0) << palette->size();
  }
  Bitmap large(128, 128, F::Bits32);
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x) large.setPixel(x, y, {std::uint8_t(x * 2), std::uint8_t(y * 2), std::uint8_t(x ^ y), 255});
  Bitmap converted = large;
  converted.convertTo(F::Bits8);
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x) {
      const Bgra c = large.pixel(x, y);
      ASSERT_EQ(converted.index(x, y), nearestIndex(macPalette256(), {c.red, c.green, c.blue})) << x << "," << y;
    }
}
