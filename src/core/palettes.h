// Colour tables shared by the pictures and the Macintosh codecs.
//
// Indexed Macintosh icon elements carry no colour table: their pixel values index fixed system
// palettes. The tables live here, beside the picture type, because the colour-depth conversions
// of any picture map to them as well.
#pragma once

#include <cstdint>
#include <vector>

namespace vexilo::core {

struct Rgb {
  std::uint8_t red = 0, green = 0, blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

using Palette = std::vector<Rgb>;

const Palette& macPalette16();    // the Macintosh 4-bit system palette, 16 entries
const Palette& macIconPalette();  // the 34 colours of the icon palette tab
const Palette& macPalette256();   // the Macintosh 8-bit system palette, 256 entries
const Palette& monoPalette();     // 0 white, 1 black
const Palette& greyPalette();     // index i is the grey (i, i, i)

// Index of the entry nearest to `c` (squared distance in red, green, blue; the first of equals).
int nearestIndex(const Palette& palette, Rgb c);

// nearestIndex for many colours: the colour cube is cut into cells, and each cell keeps only the
// entries that can be nearest to some colour in it, in palette order; an entry left out is
// farther from every colour of the cell than another entry is, so the answers are the same.
// Building costs some 4096 passes over the palette: worth it for large pictures only.
class NearestColour {
 public:
  explicit NearestColour(const Palette& palette);  // of at most 256 entries
  int operator()(Rgb c) const;

 private:
  static constexpr int kCellBits = 4;  // 16 cells a channel, 16 values each
  const Palette& palette_;
  std::vector<std::uint32_t> first_;  // by cell: where its candidates start in candidates_
  std::vector<std::uint8_t> candidates_;
};

}  // namespace vexilo::core
