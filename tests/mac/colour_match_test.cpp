// Matching colours to the Macintosh 256-colour palette, as the 8-bit element encoder does.
#include <gtest/gtest.h>

#include "core/palettes.h"
#include "mac/colour_match.h"

using vexilo::core::Bgra;
using vexilo::core::macPalette256;
using vexilo::core::Rgb;
using vexilo::mac::nearestMacColour;

namespace {

int match(int red, int green, int blue) {
  return nearestMacColour(Bgra{static_cast<std::uint8_t>(blue), static_cast<std::uint8_t>(green),
                               static_cast<std::uint8_t>(red), 255});
}

}  // namespace

TEST(ColourMatchPalette, EntriesFollowTheCubeThenRampsLayout) {
  const auto& p = macPalette256();
  ASSERT_EQ(p.size(), 256u);
  EXPECT_EQ(p[0], (Rgb{0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(p[1], (Rgb{0xFF, 0xFF, 0xCC}));
  EXPECT_EQ(p[5], (Rgb{0xFF, 0xFF, 0x00}));
  EXPECT_EQ(p[35], (Rgb{0xFF, 0x00, 0x00}));
  EXPECT_EQ(p[214], (Rgb{0x00, 0x00, 0x33}));
  EXPECT_EQ(p[215], (Rgb{0xEE, 0x00, 0x00}));
  EXPECT_EQ(p[255], (Rgb{0x00, 0x00, 0x00}));
}

TEST(ColourMatchNearest, KnownColours) {
  EXPECT_EQ(match(0, 0, 0), 255);          // black is the last entry, not a cube corner
  EXPECT_EQ(match(255, 255, 255), 0);
  EXPECT_EQ(match(255, 0, 0), 35);         // pure ramp colour on the cube
  EXPECT_EQ(match(0, 0, 255), 210);
  EXPECT_EQ(match(240, 0, 0), 215);        // pure ramp colour off the cube: EE0000
  EXPECT_EQ(match(128, 128, 128), 249);    // grey to 88 on the 16-level grid
  EXPECT_EQ(match(200, 100, 50), 58);      // colour cube CC6633
  EXPECT_EQ(match(10, 20, 30), 214);       // cube 000033
  EXPECT_EQ(match(17, 34, 51), 0);         // counted as greyish, 112233 is nowhere: white
}

TEST(ColourMatchNearest, RoundingAtGridHalves) {
  // 16 levels: a remainder of 8 rounds down, 9 up.
  EXPECT_EQ(match(0, 0, 8), 255);
  EXPECT_EQ(match(0, 0, 9), 244);    // 000011, the last entry of the blue ramp
  EXPECT_EQ(match(8, 8, 8), 255);
  EXPECT_EQ(match(9, 9, 9), 254);    // 111111
  // 6 levels for a colour that is neither greyish nor a ramp: 25 rounds down, 26 up.
  EXPECT_EQ(match(255, 204, 25), 11);  // FFCC00
  EXPECT_EQ(match(255, 204, 26), 10);  // FFCC33
}

TEST(ColourMatchNearest, EveryPaletteEntryMapsToItself) {
  // The cube levels lie on the 16-level grid too, and no colour appears twice.
  const auto& p = macPalette256();
  for (int i = 0; i < 256; ++i) {
    const Rgb c = p[static_cast<std::size_t>(i)];
    EXPECT_EQ(match(c.red, c.green, c.blue), i) << "entry " << i;
  }
}

TEST(ColourMatchNearest, AlphaIsIgnored) {
  EXPECT_EQ(nearestMacColour(Bgra{0, 0, 255, 0}), 35);
  EXPECT_EQ(nearestMacColour(Bgra{0, 0, 0, 0}), 255);
}
