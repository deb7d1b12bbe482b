#include "mac/colour_match.h"

#include "core/palettes.h"

namespace vexilo::mac {

namespace {

// Rounds a channel to the nearest level of a grid of `step` (17: 16 levels, 51: 6 levels).
// Halves round down: for 17 a remainder of 9 or more goes up, for 51 one of 26 or more.
int quantise(int v, int step) {
  const int q = v / step + (v % step > step / 2 ? 1 : 0);
  return step * q;
}

}  // namespace

int nearestMacColour(core::Bgra pixel) {
  const int r16 = quantise(pixel.red, 17);
  const int g16 = quantise(pixel.green, 17);
  const int b16 = quantise(pixel.blue, 17);
  // The palette holds ten-step ramps of grey and of each primary beside the 6x6x6 cube; greys
  // and pure ramps are matched on the 16-level grid, everything else on the cube.
  const bool greyish = g16 == (r16 + g16 + b16) / 3;
  const int nonZero = (r16 != 0) + (g16 != 0) + (b16 != 0);
  int r, g, b;
  if (greyish || nonZero == 1) {
    r = r16;
    g = g16;
    b = b16;
  } else {
    r = quantise(pixel.red, 51);
    g = quantise(pixel.green, 51);
    b = quantise(pixel.blue, 51);
  }
  const core::Palette& palette = core::macPalette256();
  for (std::size_t i = 0; i < palette.size(); ++i)
    if (palette[i].red == r && palette[i].green == g && palette[i].blue == b)
      return static_cast<int>(i);
  return 0;
}

}  // namespace vexilo::mac
