// The run-length coding of one 32-bit colour channel: byte-exact chunking worked out by hand,
// decoding of hand-made and damaged chunks, and round trips of random planes.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "mac/channel_rle.h"
#include "support/icns_builder.h"

using vexilo::core::ByteBuffer;
using vexilo::mac::packChannel;
using vexilo::mac::unpackChannel;
using vexilo::test::concat;

namespace {

ByteBuffer pack(const ByteBuffer& plane) {
  ByteBuffer out;
  const std::size_t written = packChannel(plane, out);
  EXPECT_EQ(written, out.size());
  return out;
}

ByteBuffer counting(std::size_t n) {
  ByteBuffer b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i);
  return b;
}

}  // namespace

TEST(ChannelRle, PackChunksByteForByte) {
  const ByteBuffer c127 = counting(127), c254 = counting(254);
  const ByteBuffer upper(c254.begin() + 127, c254.end());
  const std::pair<ByteBuffer, ByteBuffer> cases[] = {
      {ByteBuffer(256, 5), {0xFF, 5, 0xFB, 5}},                  // 130 is the longest run
      {concat({{7}, ByteBuffer(255, 5)}), {0x00, 7, 0xFF, 5, 0xFA, 5}},  // a literal flushed first
      {{1, 2, 2, 3}, {0x03, 1, 2, 2, 3}},                        // two equal values are no run
      {{1, 2, 9, 9, 9}, {0x01, 1, 2, 0x80, 9}},                  // three at the end are
      {{1, 2, 9, 9}, {0x03, 1, 2, 9, 9}},
      {concat({ByteBuffer(131, 4), {6}}), {0xFF, 4, 0x01, 4, 6}},
      {{}, {}},
      {{42}, {0x00, 42}},
      {counting(128), concat({{0x7E}, c127, {0x00, 127}})},     // literals hold at most 127
      {c254, concat({{0x7E}, c127, {0x7E}, upper})},
  };
  for (const auto& [plane, coded] : cases) EXPECT_EQ(pack(plane), coded) << plane.size() << " values";
}

TEST(ChannelRle, UnpackWritesEveryFourthByteWithinItsBounds) {
  const struct {
    ByteBuffer coded;
    std::size_t start, n, end;
    ByteBuffer plane;  // 0xEE: not written
  } cases[] = {
      {{0xFF, 9}, 0, 3, 2, {9, 9, 9}},                           // a run cut to the plane
      {{0x02, 1, 2, 3, 0x81, 7}, 0, 7, 6, {1, 2, 3, 7, 7, 7, 7}},
      {{0x03, 1, 2, 3, 4, 0x00, 8}, 0, 2, 5, {1, 2}},            // a literal keeps its bytes
      {{0x80, 5, 0x00, 0x99}, 2, 1, 4, {0x99}},                  // the next plane goes on
      {{0x80}, 0, 3, 1, {0xEE, 0xEE, 0xEE}},                     // a header without its value
      {{0x05, 1, 2}, 0, 4, 3, {1, 2, 0xEE, 0xEE}},               // a literal cut short
      {{}, 0, 2, 0, {0xEE, 0xEE}},
      {{0x80, 1}, 10, 1, 2, {0xEE}},                             // a start past the end
  };
  for (const auto& c : cases) {
    ByteBuffer pixels(c.n * 4, 0xEE);
    EXPECT_EQ(unpackChannel(c.coded, c.start, pixels, c.n), c.end);
    ByteBuffer plane;
    for (std::size_t i = 0; i < c.n; ++i) {
      plane.push_back(pixels[i * 4]);
      EXPECT_EQ(vexilo::core::readLE32(&pixels[i * 4]) >> 8, 0xEEEEEEu);
    }
    EXPECT_EQ(plane, c.plane);
  }
  ByteBuffer small(5, 0);  // the output span bounds the writes whatever n says
  EXPECT_EQ(unpackChannel(ByteBuffer{0xFF, 1}, 0, small, 1000), 2u);
  EXPECT_EQ(small, (ByteBuffer{1, 0, 0, 0, 1}));
}

TEST(ChannelRle, RandomPlanesRoundTripWithinTheWorstCase) {
  std::mt19937 rng(1234);
  for (int trial = 0; trial < 400; ++trial) {
    const std::size_t n = std::uniform_int_distribution<std::size_t>(0, 2000)(rng);
    // Few distinct values give runs of every length; many give long literal stretches.
    const int distinct = std::uniform_int_distribution<int>(1, 256)(rng);
    const int runBias = std::uniform_int_distribution<int>(0, 3)(rng);
    ByteBuffer plane(n), next(std::size_t(n % 7 + 3), static_cast<std::uint8_t>(trial));
    std::uint8_t v = 0;
    for (std::size_t i = 0; i < n; ++i) {
      if (i == 0 || std::uniform_int_distribution<int>(0, runBias)(rng) == 0)
        v = static_cast<std::uint8_t>(std::uniform_int_distribution<int>(0, distinct - 1)(rng));
      plane[i] = v;
    }
    ByteBuffer coded;
    packChannel(plane, coded);
    EXPECT_LE(coded.size(), n + (n + 126) / 127) << "n " << n;
    const std::size_t first = coded.size();
    packChannel(next, coded);  // a second plane follows the first
    ByteBuffer pixels(n * 4), more(next.size() * 4);
    ASSERT_EQ(unpackChannel(coded, 0, pixels, n), first);
    EXPECT_EQ(unpackChannel(coded, first, more, next.size()), coded.size());
    for (std::size_t i = 0; i < n; ++i) ASSERT_EQ(pixels[i * 4], plane[i]) << "trial " << trial;
    EXPECT_EQ(more[0], next[0]);
  }
  EXPECT_EQ(vexilo::mac::sumBytes(ByteBuffer(65536, 0xFF)), 65536u * 255u);
}
