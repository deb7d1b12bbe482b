#include "mac/channel_rle.h"

#include <algorithm>

namespace vexilo::mac {

namespace {

constexpr std::size_t kMaxRun = 130;  // header 255
constexpr std::size_t kMinRun = 3;    // header 128
// When this many literals are pending, the first 127 go out as one chunk and the last stays
// pending (a run may start with it). The chunking is fixed so that saved files stay byte for
// byte the same.
constexpr std::size_t kLiteralLimit = 128;

void appendLiterals(core::ByteBuffer& out, core::Bytes values) {
  if (values.empty()) return;
  out.push_back(static_cast<std::uint8_t>(values.size() - 1));
  out.insert(out.end(), values.begin(), values.end());
}

}  // namespace

std::size_t unpackChannel(core::Bytes in, std::size_t pos, std::span<std::uint8_t> out,
                          std::size_t n) {
  // Never write past `out`, whatever n the caller passes.
  const std::size_t room = out.empty() ? 0 : (out.size() - 1) / 4 + 1;
  const std::size_t limit = std::min(n, room);
  std::size_t written = 0;
  pos = std::min(pos, in.size());
  while (written < n && pos < in.size()) {
    const std::uint8_t h = in[pos++];
    if (h >= 128) {
      if (pos >= in.size()) break;
      const std::uint8_t value = in[pos++];
      const std::size_t end = written + std::min(std::size_t{h} - 125, n - written);
      for (std::size_t i = written; i < std::min(end, limit); ++i) out[i * 4] = value;
      written = end;
    } else {
      // A literal chunk reaching past the n-th value still occupies all its bytes, so the next
      // plane starts after it; input that ends inside the chunk ends the plane.
      const std::size_t count = std::min(std::size_t{h} + 1, in.size() - pos);
      const std::size_t end = written + std::min(count, n - written);
      for (std::size_t i = written; i < std::min(end, limit); ++i)
        out[i * 4] = in[pos + i - written];
      written = end;
      pos += count;
    }
  }
  return pos;
}

std::size_t packChannel(core::Bytes plane, core::ByteBuffer& out) {
  const std::size_t start = out.size();
  const std::size_t n = plane.size();
  std::size_t pendingStart = 0;  // pending literals are plane[pendingStart, i)
  std::size_t i = 0;
  while (i < n) {
    std::size_t run = 1;
    while (run < kMaxRun && i + run < n && plane[i + run] == plane[i]) ++run;
    if (run >= kMinRun) {
      appendLiterals(out, plane.subspan(pendingStart, i - pendingStart));
      out.push_back(static_cast<std::uint8_t>(run + 125));
      out.push_back(plane[i]);
      i += run;
      pendingStart = i;
    } else {
      ++i;
      if (i - pendingStart == kLiteralLimit) {
        appendLiterals(out, plane.subspan(pendingStart, kLiteralLimit - 1));
        pendingStart += kLiteralLimit - 1;
      }
    }
  }
  appendLiterals(out, plane.subspan(pendingStart, n - pendingStart));
  return out.size() - start;
}

std::uint64_t sumBytes(core::Bytes bytes) {
  std::uint64_t sum = 0;
  for (std::uint8_t b : bytes) sum += b;
  return sum;
}

}  // namespace vexilo::mac
