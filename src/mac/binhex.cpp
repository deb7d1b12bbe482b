#include "mac/binhex.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "mac/envelopes.h"
#include "mac/resource_fork.h"

namespace vexilo::mac {

namespace {

constexpr std::string_view kAlphabet =
    "!\"#$%&'()*+,-012345689@ABCDEFGHIJKLMNPQRSTUVXYZ[`abcdefhijklmpqr";
constexpr std::size_t kSearchBytes = 4096;
constexpr std::uint8_t kRunEscape = 0x90;
// Runs let a few characters stand for many bytes: no fork may claim more than this.
constexpr std::uint32_t kMaxForkBytes = std::uint32_t{64} << 20;

constexpr std::array<std::int8_t, 256> kValues = [] {
  std::array<std::int8_t, 256> v{};
  v.fill(-1);
  for (std::size_t i = 0; i < kAlphabet.size(); ++i) v[static_cast<unsigned char>(kAlphabet[i])] = static_cast<std::int8_t>(i);
  return v;
}();

bool lineStart(core::Bytes text, std::size_t at) {
  return at == 0 || text[at - 1] == '\n' || text[at - 1] == '\r';
}

// CRC-16/XMODEM: polynomial 0x1021, starting at 0, a byte at a time through a table.
constexpr std::array<std::uint16_t, 256> kCrcTable = [] {
  std::array<std::uint16_t, 256> t{};
  for (unsigned n = 0; n < 256; ++n) {
    unsigned crc = n << 8;
    for (int i = 0; i < 8; ++i) crc = crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1;
    t[n] = static_cast<std::uint16_t>(crc);
  }
  return t;
}();

std::uint16_t crc16(core::Bytes bytes) {
  std::uint16_t crc = 0;
  for (std::uint8_t b : bytes) crc = static_cast<std::uint16_t>(crc << 8 ^ kCrcTable[(crc >> 8 ^ b) & 0xFF]);
  return crc;
}

// The decoded bytes after the run-length expansion, read on demand; fails past the end.
class Stream {
 public:
  Stream(core::Bytes text, std::size_t from) : text_(text), at_(from) {}

  bool read(std::size_t count, core::ByteBuffer& out) {
    while (count > 0) {
      if (runLeft_ > 0) {
        out.push_back(last_);
        --runLeft_, --count;
        continue;
      }
      std::uint8_t b = 0;
      if (!raw(b)) return false;
      if (b == kRunEscape) {
        std::uint8_t n = 0;
        if (!raw(n)) return false;
        if (n != 0) {  // the byte before, n times in all
          if (!hasLast_) return false;
          runLeft_ = n - 1u;
          continue;
        }
        // 90 00: the byte 90 itself
      }
      out.push_back(last_ = b);
      hasLast_ = true;
      --count;
    }
    return true;
  }

 private:
  // One byte of the 6-bit stream, skipping line ends and blanks; fails at the closing colon.
  bool raw(std::uint8_t& b) {
    while (bits_ < 8) {
      if (at_ >= text_.size()) return false;
      const std::uint8_t c = text_[at_++];
      if (c == '\r' || c == '\n' || c == ' ' || c == '\t') continue;
      if (kValues[c] < 0) return false;  // the closing colon, or no character of the alphabet
      accumulator_ = (accumulator_ << 6 | static_cast<std::uint32_t>(kValues[c])) & 0xFFFFFF;
      bits_ += 6;
    }
    bits_ -= 8;
    b = static_cast<std::uint8_t>(accumulator_ >> bits_);
    return true;
  }

  core::Bytes text_;
  std::size_t at_;
  std::uint32_t accumulator_ = 0;
  int bits_ = 0;
  std::uint8_t last_ = 0;
  bool hasLast_ = false;
  std::size_t runLeft_ = 0;
};

// Reads `count` bytes and the CRC after them; fails when it does not match.
bool checked(Stream& s, std::size_t count, core::ByteBuffer& out) {
  core::ByteBuffer crc;
  return s.read(count, out) && s.read(2, crc) && crc16(out) == (crc[0] << 8 | crc[1]);
}

}  // namespace

bool isBinHex(core::Bytes text) {
  const core::Bytes head = text.first(std::min(text.size(), kSearchBytes));
  constexpr std::string_view kLine = "(This file must be converted";
  for (std::size_t at = 0; at + kLine.size() <= head.size(); ++at)
    if (lineStart(head, at) && std::memcmp(head.data() + at, kLine.data(), kLine.size()) == 0) return true;
  return false;
}

std::optional<BinHexFile> decodeBinHex(core::Bytes text) {
  std::size_t colon = 0;
  while (colon < text.size() && !(text[colon] == ':' && lineStart(text, colon))) ++colon;
  if (colon >= text.size()) return std::nullopt;
  Stream s(text, colon + 1);
  core::ByteBuffer header;
  if (!s.read(1, header) || header[0] < 1 || header[0] > 63) return std::nullopt;
  // Name, a version byte, type, creator, flags, the two fork lengths.
  core::ByteBuffer rest;
  if (!s.read(header[0] + 1u + 4 + 4 + 2 + 4 + 4, rest)) return std::nullopt;
  header.insert(header.end(), rest.begin(), rest.end());
  core::ByteBuffer crc;
  if (!s.read(2, crc) || crc16(header) != (crc[0] << 8 | crc[1])) return std::nullopt;
  BinHexFile file;
  const std::uint8_t* p = header.data() + 1;
  file.name.assign(p, p + header[0]);
  p += header[0] + 1;
  std::copy_n(p, 4, file.type.begin());
  std::copy_n(p + 4, 4, file.creator.begin());
  file.flags = core::readBE16(p + 8);
  const std::uint32_t dataLength = core::readBE32(p + 10), resourceLength = core::readBE32(p + 14);
  if (dataLength > kMaxForkBytes || resourceLength > kMaxForkBytes) return std::nullopt;
  if (!checked(s, dataLength, file.data) || !checked(s, resourceLength, file.resource)) return std::nullopt;
  return file;
}

core::DecodedFamily decodeBinHexFile(core::Bytes text, std::string_view path) {
  const auto file = decodeBinHex(text);
  if (file) return binHexFamily(*file, path);
  core::DecodedFamily family;
  family.say(1041, std::string(path));
  return family;
}

core::DecodedFamily binHexFamily(const BinHexFile& file, std::string_view path) {
  core::DecodedFamily family;
  if (!file.resource.empty()) family.append(decodeResourceFork(file.resource));
  if (!readIcnsDataFork(family, file.data) && file.resource.empty()) family.say(6410, std::string(path));
  return family;
}

}  // namespace vexilo::mac
