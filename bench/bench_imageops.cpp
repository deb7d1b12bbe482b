// Colour counting on pictures whose every pixel is a colour of its own, the worst case, and a
// quarter turn of the largest board picture.
#include <benchmark/benchmark.h>

#include "core/bitmap.h"
#include "imageops/colour_depth.h"
#include "imageops/rotation.h"

using namespace vexilo;

namespace {

core::Bitmap allDistinct(int w, int h) {
  core::Bitmap b(w, h, core::PixelFormat::Bits32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.setPixel(x, y, {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
                        static_cast<std::uint8_t>((x >> 8) | (y >> 8) << 1), 255});
  return b;
}

void BM_CountColours(benchmark::State& state) {
  const core::Bitmap picture =
      allDistinct(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) benchmark::DoNotOptimize(imageops::countColours(picture));
  state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(1));
}
BENCHMARK(BM_CountColours)->Args({16, 16})->Args({48, 48})->Args({128, 128})->Args({320, 328});

void BM_TurnRight128(benchmark::State& state) {
  const core::Bitmap source = allDistinct(128, 128);
  for (auto _ : state) {
    core::Bitmap b = source;
    imageops::turn(b, imageops::Turn::Right);
    benchmark::DoNotOptimize(b.data().data());
  }
}
BENCHMARK(BM_TurnRight128);

}  // namespace
