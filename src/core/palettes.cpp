#include "core/palettes.h"

#include <algorithm>
#include <cstdlib>

namespace vexilo::core {

namespace {

Rgb hex(std::uint32_t rrggbb) {
  return {static_cast<std::uint8_t>(rrggbb >> 16), static_cast<std::uint8_t>(rrggbb >> 8),
          static_cast<std::uint8_t>(rrggbb)};
}

Palette fromHex(std::initializer_list<std::uint32_t> values) {
  Palette p;
  for (std::uint32_t v : values) p.push_back(hex(v));
  return p;
}

Palette buildMacPalette256() {
  // The 6x6x6 cube without black, then ten-step red, green, blue and grey ramps, then black.
  static constexpr std::uint8_t cube[6] = {255, 204, 153, 102, 51, 0};
  static constexpr std::uint8_t ramp[10] = {0xEE, 0xDD, 0xBB, 0xAA, 0x88,
                                            0x77, 0x55, 0x44, 0x22, 0x11};
  Palette p;
  for (int i = 0; i < 6; ++i)
    for (int j = 0; j < 6; ++j)
      for (int k = 0; k < 6; ++k)
        if (i != 5 || j != 5 || k != 5) p.push_back({cube[i], cube[j], cube[k]});
  for (std::uint8_t v : ramp) p.push_back({v, 0, 0});
  for (std::uint8_t v : ramp) p.push_back({0, v, 0});
  for (std::uint8_t v : ramp) p.push_back({0, 0, v});
  for (std::uint8_t v : ramp) p.push_back({v, v, v});
  p.push_back({0, 0, 0});
  return p;
}

}  // namespace

const Palette& macPalette16() {
  static const Palette p = fromHex({0xFFFFFF, 0xFCF305, 0xFF6402, 0xDD0806, 0xF20884, 0x4600A5,
                                    0x0000D4, 0x02ABEA, 0x1FB714, 0x006411, 0x562C05, 0x90713A,
                                    0xC0C0C0, 0x808080, 0x404040, 0x000000});
  return p;
}

const Palette& macIconPalette() {
  static const Palette p = fromHex(
      {0xFFFFCC, 0xFFCC99, 0xCC9966, 0xFF6633, 0x33FF99, 0x00BB00, 0x339966, 0x336666, 0x99FFFF,
       0x0099FF, 0x0000DD, 0x330099, 0xCCCCFF, 0x9999FF, 0x6666CC, 0x333366, 0xFF66CC, 0x990066,
       0x996699, 0xFFFFFF, 0xEEEEEE, 0xDDDDDD, 0xCCCCCC, 0xBBBBBB, 0xAAAAAA, 0x888888, 0x777777,
       0x555555, 0x444444, 0x222222, 0x111111, 0x000000, 0xFFFF00, 0xDD0000});
  return p;
}

const Palette& macPalette256() {
  static const Palette p = buildMacPalette256();
  return p;
}

const Palette& monoPalette() {
  static const Palette p = fromHex({0xFFFFFF, 0x000000});
  return p;
}

const Palette& greyPalette() {
  static const Palette p = [] {
    Palette g;
    for (int i = 0; i < 256; ++i) {
      auto v = static_cast<std::uint8_t>(i);
      g.push_back({v, v, v});
    }
    return g;
  }();
  return p;
}

namespace {

// The nearest of `count` candidates, the k-th being entry index(k) of the palette, taken in
// that order (squared distance; the first of equals; an exact match ends the search).
template <class Index>
int nearestOf(const Palette& palette, Rgb c, std::size_t count, Index index) {
  int best = 0;
  long bestDistance = -1;
  for (std::size_t k = 0; k < count; ++k) {
    const std::size_t i = index(k);
    const long dr = long{palette[i].red} - c.red;
    const long dg = long{palette[i].green} - c.green;
    const long db = long{palette[i].blue} - c.blue;
    const long d = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || d < bestDistance) {
      bestDistance = d;
      best = static_cast<int>(i);
      if (d == 0) break;
    }
  }
  return best;
}

}  // namespace

int nearestIndex(const Palette& palette, Rgb c) {
  return nearestOf(palette, c, palette.size(), [](std::size_t k) { return k; });
}

NearestColour::NearestColour(const Palette& palette) : palette_(palette) {
  constexpr int cells = 1 << kCellBits, side = 256 / cells;
  first_.reserve(cells * cells * cells + 1);
  std::vector<long> nearest(palette.size());
  for (int r = 0; r < cells; ++r)
    for (int g = 0; g < cells; ++g)
      for (int b = 0; b < cells; ++b) {
        first_.push_back(static_cast<std::uint32_t>(candidates_.size()));
        const int lo[3] = {r * side, g * side, b * side};
        long bound = -1;  // the least, over the entries, of the farthest distance in the cell
        for (std::size_t i = 0; i < palette.size(); ++i) {
          const int v[3] = {palette[i].red, palette[i].green, palette[i].blue};
          long in = 0, out = 0;
          for (int k = 0; k < 3; ++k) {
            const int hi = lo[k] + side - 1;
            const long gap = v[k] < lo[k] ? lo[k] - v[k] : v[k] > hi ? v[k] - hi : 0;
            const long far = std::max(std::abs(v[k] - lo[k]), std::abs(v[k] - hi));
            in += gap * gap;
            out += far * far;
          }
          nearest[i] = in;
          if (bound < 0 || out < bound) bound = out;
        }
        for (std::size_t i = 0; i < palette.size(); ++i)
          if (nearest[i] <= bound) candidates_.push_back(static_cast<std::uint8_t>(i));
      }
  first_.push_back(static_cast<std::uint32_t>(candidates_.size()));
}

int NearestColour::operator()(Rgb c) const {
  constexpr int shift = 8 - kCellBits;
  const std::size_t cell = (std::size_t{c.red} >> shift) << (2 * kCellBits) |
                           (std::size_t{c.green} >> shift) << kCellBits | (std::size_t{c.blue} >> shift);
  const std::size_t first = first_[cell];
  return nearestOf(palette_, c, first_[cell + 1] - first,
                   [this, first](std::size_t k) { return std::size_t{candidates_[first + k]}; });
}

}  // namespace vexilo::core
