// Opening today's icns files: pillow3 (eight JPEG 2000 elements up to 1024 pixels) and pillow
// (PNG elements beside classic ones), decoded by our readers and, in the same run, by Pillow
// (Debian's, through the system Python), which decodes every size it offers.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "mac/icns.h"

using namespace vexilo;

namespace {

const std::filesystem::path kIcns = std::filesystem::path(VEXILO_SHARED_DIR) / "corpus" / "icns";

core::ByteBuffer readAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return core::ByteBuffer(std::istreambuf_iterator<char>(in), {});
}

void BM_Open(benchmark::State& state, const char* name) {
  const core::ByteBuffer bytes = readAll(kIcns / name);
  if (bytes.empty()) return state.SkipWithError("the shared corpus is missing");
  for (auto _ : state) benchmark::DoNotOptimize(mac::decodeIcns(bytes).pictures.size());
}

// Pillow's own time to decode every picture it offers, measured inside Python so that the
// interpreter's start is left out. The file is opened again for each size: Pillow keeps a
// picture loaded at one size for another of the same pixels (128@2x and 256), decoding once.
void BM_Pillow(benchmark::State& state, const char* name) {
  const std::string script =
      "import sys, time\nfrom PIL import IcnsImagePlugin\nt = time.perf_counter()\n"
      "for s in IcnsImagePlugin.IcnsImageFile(sys.argv[1]).info['sizes']:\n"
      "  im = IcnsImagePlugin.IcnsImageFile(sys.argv[1])\n  im.size = s\n  im.load()\n"
      "print(time.perf_counter() - t)\n";
  const std::string command = "/usr/bin/python3 -c \"" + script + "\" '" + (kIcns / name).string() + "' 2>/dev/null";
  for (auto _ : state) {
    FILE* pipe = popen(command.c_str(), "r");
    double seconds = -1;
    if (!pipe || std::fscanf(pipe, "%lf", &seconds) != 1) seconds = -1;
    if (pipe) pclose(pipe);
    if (seconds < 0) return state.SkipWithError("Pillow (python3-pil) did not answer");
    state.SetIterationTime(seconds);
  }
}

}  // namespace

BENCHMARK_CAPTURE(BM_Open, pillow3_jpeg2000, "pillow_pillow3.icns")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Pillow, pillow3_jpeg2000, "pillow_pillow3.icns")->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Open, pillow_png, "pillow_pillow.icns")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Pillow, pillow_png, "pillow_pillow.icns")->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
