// Matching colours to the Macintosh 256-colour palette, as the 8-bit element encoder does.
#include <gtest/gtest.h>

#include "core/palettes.h"
#include "mac/colour_match.h"

using vexilo::core::Bgra;
using vexilo::mac::nearestMacColour;

namespace {

int match(int red, int green, int blue, int alpha = 255) {
  return nearestMacColour(Bgra{static_cast<std::uint8_t>(blue), static_cast<std::uint8_t>(green),
                               static_cast<std::uint8_t>(red), static_cast<std::uint8_t>(alpha)});
}

}  // namespace

TEST(ColourMatch, NearestEntriesAndRoundingAtGridHalves) {
  const struct {
    int red, green, blue, index;
  } cases[] = {
      {0, 0, 0, 255},       {255, 255, 255, 0},   {255, 0, 0, 35},      {0, 0, 255, 210},
      {240, 0, 0, 215},     // a ramp colour off the cube: EE0000
      {128, 128, 128, 249}, {200, 100, 50, 58},   {10, 20, 30, 214},
      {17, 34, 51, 0},      // counted as greyish, 112233 is nowhere: white
      {0, 0, 8, 255},       {0, 0, 9, 244},       {8, 8, 8, 255},       {9, 9, 9, 254},  // 16 levels
      {255, 204, 25, 11},   {255, 204, 26, 10},   // 6 levels: 25 rounds down, 26 up
  };
  for (const auto& c : cases) {
    EXPECT_EQ(match(c.red, c.green, c.blue), c.index) << c.red << "," << c.green << "," << c.blue;
    EXPECT_EQ(match(c.red, c.green, c.blue, 0), c.index) << "alpha is ignored";
  }
  // The cube levels lie on the 16-level grid too, and no colour appears twice.
  const auto& palette = vexilo::core::macPalette256();
  for (int i = 0; i < 256; ++i) {
    const auto c = palette[static_cast<std::size_t>(i)];
    EXPECT_EQ(match(c.red, c.green, c.blue), i) << "entry " << i;
  }
}
