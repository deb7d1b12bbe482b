// Picture conversion and BMP decoding at the largest sizes the board handles.
#include <benchmark/benchmark.h>

#include "core/bitmap.h"
#include "core/bmp_codec.h"

using namespace vexilo::core;

namespace {

Bitmap gradient(int w, int h) {
  Bitmap b(w, h, PixelFormat::Bits32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.setPixel(x, y, {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
                        static_cast<std::uint8_t>(x ^ y), 255});
  return b;
}

void BM_ConvertPasteboardTo8Bit(benchmark::State& state) {
  const Bitmap source = gradient(320, 328);
  for (auto _ : state) {
    Bitmap b = source;
    b.convertTo(PixelFormat::Bits8);
    benchmark::DoNotOptimize(b.data().data());
  }
}
BENCHMARK(BM_ConvertPasteboardTo8Bit);

void BM_DecodeBmp32(benchmark::State& state) {
  const ByteBuffer file = encodeBmp(gradient(128, 128));
  for (auto _ : state) {
    auto result = decodeBmp(file);
    benchmark::DoNotOptimize(result.ok());
  }
}
BENCHMARK(BM_DecodeBmp32);

}  // namespace
