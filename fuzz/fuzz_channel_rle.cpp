// Feeds arbitrary bytes to the channel decoder as three planes of a few sizes, each written
// into a pixel buffer of exactly 4n bytes. Every plane decoded must survive coding and decoding
// unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "mac/channel_rle.h"

namespace {

using vexilo::core::ByteBuffer;
using vexilo::core::Bytes;

void roundTrip(const ByteBuffer& pixels, std::size_t channel, std::size_t n) {
  ByteBuffer plane(n);
  for (std::size_t i = 0; i < n; ++i) plane[i] = pixels[i * 4 + channel];
  ByteBuffer coded;
  if (vexilo::mac::packChannel(plane, coded) != coded.size()) std::abort();
  if (coded.size() > n + (n + 126) / 127) std::abort();
  ByteBuffer again(n * 4, 0);
  if (vexilo::mac::unpackChannel(coded, 0, again, n) != coded.size()) std::abort();
  for (std::size_t i = 0; i < n; ++i)
    if (again[i * 4] != plane[i]) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Bytes in(data, size);
  // The chunk limits (130 a run, 127 and 128 literals) and the 16x12 and 16x16 elements; larger
  // planes take no other paths and only slow the search.
  for (std::size_t n : {std::size_t{1}, std::size_t{3}, std::size_t{128}, std::size_t{131},
                        std::size_t{192}, std::size_t{256}}) {
    ByteBuffer pixels(n * 4, 0);
    const std::span<std::uint8_t> all(pixels);
    std::size_t pos = vexilo::mac::unpackChannel(in, 0, all.subspan(2), n);
    if (pos > size) std::abort();
    pos = vexilo::mac::unpackChannel(in, pos, all.subspan(1), n);
    if (pos > size) std::abort();
    pos = vexilo::mac::unpackChannel(in, pos, all, n);
    if (pos > size) std::abort();
    for (std::size_t channel : {0, 1, 2}) roundTrip(pixels, channel, n);
  }
  return 0;
}
