// Colour counting on pictures whose every pixel is a colour of its own, the worst case, a
// quarter turn of the largest classic board picture, every board command on the largest slot,
// ic1024, holding such a picture, and Create All Sizes from it.
#include <benchmark/benchmark.h>

#include "core/bitmap.h"
#include "core/icon_set.h"
#include "imageops/all_sizes.h"
#include "imageops/colour_depth.h"
#include "imageops/premultiply.h"
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

// One command on ic1024, the board set up again (untimed) before each run. Alpha varies so that
// premultiplication has work to do.
template <class Command>
void onLargest(benchmark::State& state, Command command) {
  core::Bitmap picture = allDistinct(1024, 1024);
  for (std::size_t i = 3; i < picture.data().size(); i += 4) picture.data()[i] = static_cast<std::uint8_t>(i * 7);
  core::IconSet board;
  for (auto _ : state) {
    state.PauseTiming();
    board.wipeSlot(core::SlotId::ic1024);
    board.offerBitmap(core::SlotId::ic1024, picture);
    state.ResumeTiming();
    command(board, core::SlotId::ic1024);
    benchmark::DoNotOptimize(board.slot(core::SlotId::ic1024).picture->data().data());
  }
}

void BM_Largest_Depth8(benchmark::State& s) { onLargest(s, [](auto& b, auto id) { imageops::convertSlot(b, id, core::PixelFormat::Bits8); }); }
void BM_Largest_Depth4(benchmark::State& s) { onLargest(s, [](auto& b, auto id) { imageops::convertSlot(b, id, core::PixelFormat::Bits4); }); }
void BM_Largest_Depth1(benchmark::State& s) { onLargest(s, [](auto& b, auto id) { imageops::convertSlot(b, id, core::PixelFormat::Bits1); }); }
void BM_Largest_Count(benchmark::State& s) { onLargest(s, [](auto& b, auto id) { benchmark::DoNotOptimize(imageops::countSlotColours(b, id)); }); }
void BM_Largest_Premultiply(benchmark::State& s) { onLargest(s, [](auto& b, auto id) { imageops::premultiplySlot(b, id); }); }
void BM_Largest_Demultiply(benchmark::State& s) { onLargest(s, [](auto& b, auto id) { imageops::unpremultiplySlot(b, id); }); }
template <imageops::Turn how>
void BM_Largest_Turn(benchmark::State& s) { onLargest(s, [](auto& b, auto id) { imageops::turnSlot(b, id, how); }); }
BENCHMARK(BM_Largest_Depth8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Largest_Depth4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Largest_Depth1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Largest_Count)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Largest_Premultiply)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Largest_Demultiply)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Largest_Turn, imageops::Turn::Half)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Largest_Turn, imageops::Turn::Right)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Largest_Turn, imageops::Turn::Left)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Largest_Turn, imageops::Turn::FlipHorizontal)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Largest_Turn, imageops::Turn::FlipVertical)->Unit(benchmark::kMillisecond);

// Every smaller size of the board made from ic1024: six reductions, ic12, the masks, icNB, imNB.
void BM_Largest_CreateAllSizes(benchmark::State& s) {
  onLargest(s, [](auto& b, auto id) {
    for (const core::SlotInfo& info : core::slotTable())
      if (info.id != id && !core::isPasteboard(info.id)) b.wipeSlot(info.id);
    benchmark::DoNotOptimize(imageops::createAllSizes(b, id));
  });
}
BENCHMARK(BM_Largest_CreateAllSizes)->Unit(benchmark::kMillisecond);

}  // namespace
