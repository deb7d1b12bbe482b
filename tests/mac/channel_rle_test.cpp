// The run-length coding of one 32-bit colour channel: byte-exact chunking worked out by hand,
// decoding of hand-made chunks, damaged input, and round trips of random planes.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "mac/channel_rle.h"

using vexilo::core::ByteBuffer;
using vexilo::core::Bytes;
using vexilo::mac::packChannel;
using vexilo::mac::sumBytes;
using vexilo::mac::unpackChannel;

namespace {

ByteBuffer pack(const ByteBuffer& plane) {
  ByteBuffer out;
  const std::size_t written = packChannel(plane, out);
  EXPECT_EQ(written, out.size());
  return out;
}

// Decodes one plane of n values into a buffer of 4n bytes (sentinel 0xEE) and returns every
// fourth byte; `end` receives the input position after the plane.
ByteBuffer unpack(const ByteBuffer& coded, std::size_t n, std::size_t* end = nullptr) {
  ByteBuffer pixels(n * 4, 0xEE);
  const std::size_t pos = unpackChannel(coded, 0, pixels, n);
  if (end) *end = pos;
  ByteBuffer plane(n);
  for (std::size_t i = 0; i < n; ++i) plane[i] = pixels[i * 4];
  return plane;
}

ByteBuffer repeat(std::size_t count, std::uint8_t v) { return ByteBuffer(count, v); }

ByteBuffer concat(std::initializer_list<ByteBuffer> parts) {
  ByteBuffer out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

}  // namespace

TEST(ChannelRlePack, ByteExactChunking) {
  // 130 is the longest run; 126 more make a second run (126 + 125 = FB).
  EXPECT_EQ(pack(repeat(256, 5)), (ByteBuffer{0xFF, 5, 0xFB, 5}));
  // A pending literal is flushed before the run.
  EXPECT_EQ(pack(concat({{7}, repeat(255, 5)})), (ByteBuffer{0x00, 7, 0xFF, 5, 0xFA, 5}));
  // A pair of equal values is not a run.
  EXPECT_EQ(pack({1, 2, 2, 3}), (ByteBuffer{0x03, 1, 2, 2, 3}));
  // Three equal values at the end are a run; two stay literals.
  EXPECT_EQ(pack({1, 2, 9, 9, 9}), (ByteBuffer{0x01, 1, 2, 0x80, 9}));
  EXPECT_EQ(pack({1, 2, 9, 9}), (ByteBuffer{0x03, 1, 2, 9, 9}));
  // The run after 130 equal values starts over: one left over and a different value.
  EXPECT_EQ(pack(concat({repeat(131, 4), {6}})), (ByteBuffer{0xFF, 4, 0x01, 4, 6}));
  EXPECT_EQ(pack({}), ByteBuffer{});
  EXPECT_EQ(pack({42}), (ByteBuffer{0x00, 42}));
}

TEST(ChannelRlePack, LiteralChunksHoldAtMost127Values) {
  ByteBuffer plane(128);
  for (std::size_t i = 0; i < plane.size(); ++i) plane[i] = static_cast<std::uint8_t>(i);
  const ByteBuffer expected =
      concat({{0x7E}, ByteBuffer(plane.begin(), plane.begin() + 127), {0x00, 127}});
  EXPECT_EQ(pack(plane), expected);

  // 254 distinct values: two full chunks of 127, nothing left.
  ByteBuffer longer(254);
  for (std::size_t i = 0; i < longer.size(); ++i) longer[i] = static_cast<std::uint8_t>(i);
  const ByteBuffer coded = pack(longer);
  ASSERT_EQ(coded.size(), 256u);
  EXPECT_EQ(coded[0], 0x7E);
  EXPECT_EQ(coded[128], 0x7E);
  EXPECT_EQ(coded[129], 127);
}

TEST(ChannelRleUnpack, RunAndLiteralChunks) {
  EXPECT_EQ(unpack({0xFF, 9}, 130), repeat(130, 9));
  EXPECT_EQ(unpack({0x80, 9}, 3), repeat(3, 9));
  EXPECT_EQ(unpack({0x02, 1, 2, 3, 0x81, 7}, 7), (ByteBuffer{1, 2, 3, 7, 7, 7, 7}));
}

TEST(ChannelRleUnpack, WritesOnlyEveryFourthByteAndReturnsPosition) {
  ByteBuffer pixels(12, 0xEE);
  const ByteBuffer coded{0x80, 5, 0x00, 0x99};
  EXPECT_EQ(unpackChannel(coded, 0, pixels, 3), 2u);
  EXPECT_EQ(pixels, (ByteBuffer{5, 0xEE, 0xEE, 0xEE, 5, 0xEE, 0xEE, 0xEE, 5, 0xEE, 0xEE, 0xEE}));
  // The next plane continues where this one ended.
  ByteBuffer more(4, 0);
  EXPECT_EQ(unpackChannel(coded, 2, more, 1), 4u);
  EXPECT_EQ(more[0], 0x99);
}

TEST(ChannelRleUnpack, ValuesPastThePlaneAreDropped) {
  // A run of 130 into a plane of 5; a literal chunk of 4 into a plane of 2 still occupies its
  // bytes, so the next plane starts after it.
  std::size_t end = 0;
  EXPECT_EQ(unpack({0xFF, 3, 0x00, 8}, 5, &end), repeat(5, 3));
  EXPECT_EQ(end, 2u);
  EXPECT_EQ(unpack({0x03, 1, 2, 3, 4, 0x00, 8}, 2, &end), (ByteBuffer{1, 2}));
  EXPECT_EQ(end, 5u);
  // The output span bounds the writes whatever n says.
  ByteBuffer small(5, 0);
  EXPECT_EQ(unpackChannel(ByteBuffer{0xFF, 1}, 0, small, 1000), 2u);
  EXPECT_EQ(small, (ByteBuffer{1, 0, 0, 0, 1}));
}

TEST(ChannelRleUnpack, InputEndingEarlyLeavesTheRest) {
  std::size_t end = 0;
  // Header without its value, literal chunk cut short, empty input, start past the end.
  EXPECT_EQ(unpack({0x80}, 3, &end), repeat(3, 0xEE));
  EXPECT_EQ(end, 1u);
  EXPECT_EQ(unpack({0x05, 1, 2}, 4, &end), (ByteBuffer{1, 2, 0xEE, 0xEE}));
  EXPECT_EQ(end, 3u);
  EXPECT_EQ(unpack({}, 2, &end), repeat(2, 0xEE));
  EXPECT_EQ(end, 0u);
  ByteBuffer pixels(4, 0xEE);
  EXPECT_EQ(unpackChannel(ByteBuffer{0x80, 1}, 10, pixels, 1), 2u);
  EXPECT_EQ(pixels[0], 0xEE);
}

TEST(ChannelRleRoundTrip, RandomPlanesComeBackAndStayWithinTheWorstCase) {
  std::mt19937 rng(1234);
  for (int trial = 0; trial < 400; ++trial) {
    const std::size_t n = std::uniform_int_distribution<std::size_t>(0, 2000)(rng);
    // Few distinct values give runs of every length; many give long literal stretches.
    const int distinct = std::uniform_int_distribution<int>(1, 256)(rng);
    const int runBias = std::uniform_int_distribution<int>(0, 3)(rng);
    ByteBuffer plane(n);
    std::uint8_t v = 0;
    for (std::size_t i = 0; i < n; ++i) {
      if (i == 0 || std::uniform_int_distribution<int>(0, runBias)(rng) == 0)
        v = static_cast<std::uint8_t>(std::uniform_int_distribution<int>(0, distinct - 1)(rng));
      plane[i] = v;
    }
    const ByteBuffer coded = pack(plane);
    EXPECT_LE(coded.size(), n + (n + 126) / 127) << "n " << n;
    std::size_t end = 0;
    ASSERT_EQ(unpack(coded, n, &end), plane) << "trial " << trial;
    EXPECT_EQ(end, coded.size());
  }
}

TEST(ChannelRleRoundTrip, ThreePlanesFollowEachOther) {
  const ByteBuffer red = concat({repeat(200, 1), {2, 3}, repeat(54, 4)});
  ByteBuffer green(256), blue(256);
  for (std::size_t i = 0; i < 256; ++i) {
    green[i] = static_cast<std::uint8_t>(i);
    blue[i] = static_cast<std::uint8_t>(i / 3);
  }
  ByteBuffer coded;
  packChannel(red, coded);
  packChannel(green, coded);
  packChannel(blue, coded);
  ByteBuffer pixels(256 * 4, 0);
  std::size_t pos = unpackChannel(coded, 0, std::span(pixels).subspan(2), 256);
  pos = unpackChannel(coded, pos, std::span(pixels).subspan(1), 256);
  pos = unpackChannel(coded, pos, pixels, 256);
  EXPECT_EQ(pos, coded.size());
  for (std::size_t i = 0; i < 256; ++i) {
    EXPECT_EQ(pixels[i * 4 + 2], red[i]);
    EXPECT_EQ(pixels[i * 4 + 1], green[i]);
    EXPECT_EQ(pixels[i * 4 + 0], blue[i]);
    EXPECT_EQ(pixels[i * 4 + 3], 0);
  }
}

TEST(ChannelRleSum, AddsUnsignedBytes) {
  EXPECT_EQ(sumBytes(ByteBuffer{}), 0u);
  EXPECT_EQ(sumBytes(ByteBuffer(65536, 0xFF)), 65536u * 255u);
}
