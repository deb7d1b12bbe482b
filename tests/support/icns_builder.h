// icns files and element records built in memory, a test picture, and picture comparisons.
#pragma once

#include <algorithm>
#include <initializer_list>
#include <string_view>

#include <gtest/gtest.h>

#include "core/bitmap.h"
#include "core/bytes.h"
#include "core/command_context.h"
#include "core/decoded_family.h"
#include "core/icon_set.h"
#include "support/fake_prompter.h"
#include "support/oracle.h"

namespace vexilo::test {

// A board, a scripted person and the context joining them.
struct Session {
  core::IconSet board;
  FakePrompter prompter;
  core::CommandContext ctx{board, prompter};
  int depth(core::SlotId id) const { return board.slot(id).depth; }
  const core::Bitmap& picture(core::SlotId id) const { return *board.slot(id).picture; }
};

inline void append(core::ByteBuffer& out, std::initializer_list<int> bytes) {
  for (int b : bytes) out.push_back(static_cast<std::uint8_t>(b));
}

inline core::ByteBuffer concat(std::initializer_list<core::ByteBuffer> parts) {
  core::ByteBuffer out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// One element record: type, big-endian length counting the 8 header bytes, data.
inline core::ByteBuffer record(std::string_view type, const core::ByteBuffer& data) {
  core::ByteBuffer out(type.begin(), type.end());
  core::appendBE32(out, static_cast<std::uint32_t>(data.size() + 8));
  return concat({out, data});
}

// "icns", the total length, then the records.
inline core::ByteBuffer icnsFile(std::initializer_list<core::ByteBuffer> records) {
  core::ByteBuffer out = concat({{'i', 'c', 'n', 's', 0, 0, 0, 0}, concat(records)});
  core::writeBE32(out.data() + 4, static_cast<std::uint32_t>(out.size()));
  return out;
}

// The coded plane of n (3 or more) equal values: runs of 130 (FF v), then one run of the rest.
inline void appendFlatPlane(core::ByteBuffer& out, std::size_t n, int value) {
  for (; n > 130; n -= 130) append(out, {0xFF, value});
  append(out, {static_cast<int>(n) + 125, value});
}
inline core::ByteBuffer flatRle(std::size_t n, core::Bgra c) {
  core::ByteBuffer out;
  for (int v : {c.red, c.green, c.blue}) appendFlatPlane(out, n, v);
  return out;
}

// Flat rows, gradients and scattered values, so that the planes code into runs and literals;
// alpha (x * 2 + y) % 256.
inline core::Bitmap pattern(int size) {
  core::Bitmap b(size, size, core::PixelFormat::Bits32);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const auto alpha = static_cast<std::uint8_t>((x * 2 + y) % 256);
      b.setPixel(x, y, y < size / 4 ? core::Bgra{200, 90, std::uint8_t(40 + size), alpha}
                                    : core::Bgra{std::uint8_t((x * y + size) % 3 == 0 ? 255 : x ^ y),
                                                 std::uint8_t(y * 5 + x / 3), std::uint8_t(x * 7 + size), alpha});
    }
  return b;
}

// The top-left of a picture against a decoded RGBA one: colour where their alpha is above 0,
// alpha as well when asked.
inline ::testing::AssertionResult sameRgba(const core::Bitmap& ours, const RgbaImage& theirs, bool alpha = true) {
  if (ours.width() < theirs.width || ours.height() < theirs.height) return ::testing::AssertionFailure() << "too small";
  for (int y = 0; y < theirs.height; ++y)
    for (int x = 0; x < theirs.width; ++x) {
      const core::Bgra p = ours.pixel(x, y);
      const std::uint8_t* q = theirs.at(x, y);
      if ((alpha && p.alpha != q[3]) || (q[3] > 0 && (p.red != q[0] || p.green != q[1] || p.blue != q[2])))
        return ::testing::AssertionFailure() << "differs at (" << x << "," << y << ")";
    }
  return ::testing::AssertionSuccess();
}

// Two decodings with the same pictures for the same slots, in the same order.
inline bool samePictures(const core::DecodedFamily& a, const core::DecodedFamily& b) {
  return std::equal(a.pictures.begin(), a.pictures.end(), b.pictures.begin(), b.pictures.end(),
                    [](const auto& p, const auto& q) { return p.slot == q.slot && p.bitmap == q.bitmap; });
}

}  // namespace vexilo::test
