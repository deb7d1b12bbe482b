// Byte-order helpers and a bounded cursor over a byte span.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <type_traits>
#include <vector>

namespace vexilo::core {

using Bytes = std::span<const std::uint8_t>;
using ByteBuffer = std::vector<std::uint8_t>;

// True when [offset, offset + length) lies inside a buffer of `size` bytes (no overflow).
constexpr bool inRange(std::size_t size, std::size_t offset, std::size_t length) {
  return offset <= size && length <= size - offset;
}

constexpr std::uint16_t readLE16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
constexpr std::uint32_t readLE32(const std::uint8_t* p) {
  // At run time one four-byte load where the machine is little-endian (one bounds check under
  // the address sanitizer instead of four).
  if constexpr (std::endian::native == std::endian::little) {
    if (!std::is_constant_evaluated()) {
      std::uint32_t v;
      std::memcpy(&v, p, 4);
      return v;
    }
  }
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
constexpr std::uint16_t readBE16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}
constexpr std::uint32_t readBE32(const std::uint8_t* p) {
  if constexpr (std::endian::native == std::endian::little) {
    if (!std::is_constant_evaluated()) {
      std::uint32_t v;
      std::memcpy(&v, p, 4);
      return __builtin_bswap32(v);
    }
  }
  return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
         (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]);
}

constexpr void writeLE16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
constexpr void writeLE32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
constexpr void writeBE16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v >> 8);
  p[1] = static_cast<std::uint8_t>(v);
}
constexpr void writeBE32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

// Appending writers for building files in memory.
inline void appendLE16(ByteBuffer& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void appendLE32(ByteBuffer& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
inline void appendBE16(ByteBuffer& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v >> 8));
  out.push_back(static_cast<std::uint8_t>(v));
}
inline void appendBE32(ByteBuffer& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (24 - 8 * i)));
}

// A read cursor that never leaves its span. A read past the end returns 0 and marks the
// cursor failed for good, so a whole header can be read and checked once with ok().
class ByteReader {
 public:
  explicit ByteReader(Bytes data, std::size_t offset = 0)
      : data_(data), pos_(offset), failed_(offset > data.size()) {}

  bool ok() const { return !failed_; }
  std::size_t position() const { return pos_; }
  std::size_t remaining() const { return failed_ ? 0 : data_.size() - pos_; }

  bool seek(std::size_t offset) {
    if (offset > data_.size()) failed_ = true;
    else pos_ = offset;
    return !failed_;
  }
  bool skip(std::size_t n) { return take(n) != nullptr || n == 0; }

  std::uint8_t u8() {
    const std::uint8_t* p = take(1);
    return p ? p[0] : 0;
  }
  std::uint16_t le16() {
    const std::uint8_t* p = take(2);
    return p ? readLE16(p) : 0;
  }
  std::uint32_t le32() {
    const std::uint8_t* p = take(4);
    return p ? readLE32(p) : 0;
  }
  std::uint16_t be16() {
    const std::uint8_t* p = take(2);
    return p ? readBE16(p) : 0;
  }
  std::uint32_t be32() {
    const std::uint8_t* p = take(4);
    return p ? readBE32(p) : 0;
  }
  // The next n bytes, or an empty span (and failure) when fewer remain.
  Bytes bytes(std::size_t n) {
    const std::uint8_t* p = take(n);
    return p ? Bytes(p, n) : Bytes();
  }

 private:
  const std::uint8_t* take(std::size_t n) {
    if (failed_ || !inRange(data_.size(), pos_, n)) {
      failed_ = true;
      return nullptr;
    }
    const std::uint8_t* p = data_.data() + pos_;
    pos_ += n;
    return p;
  }

  Bytes data_;
  std::size_t pos_;
  bool failed_;
};

}  // namespace vexilo::core
