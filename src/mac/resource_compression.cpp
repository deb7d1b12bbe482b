#include "mac/resource_compression.h"

#include <array>
#include <cstdint>
#include <vector>

namespace vexilo::mac {

namespace {

constexpr std::size_t kHeaderBytes = 18;

// The decompressors' built-in tables of two-byte words: dcmp 0's for codes 0x4B to 0xFD,
// dcmp 1's for 0xD5 to 0xFD, and dcmp 2's default table of 256.
constexpr std::array<std::uint16_t, 179> kTable0 = {
    0x0000, 0x4EBA, 0x0008, 0x4E75, 0x000C, 0x4EAD, 0x2053, 0x2F0B, 0x6100, 0x0010,
    0x7000, 0x2F00, 0x486E, 0x2050, 0x206E, 0x2F2E, 0xFFFC, 0x48E7, 0x3F3C, 0x0004,
    0xFFF8, 0x2F0C, 0x2006, 0x4EED, 0x4E56, 0x2068, 0x4E5E, 0x0001, 0x588F, 0x4FEF,
    0x0002, 0x0018, 0x6000, 0xFFFF, 0x508F, 0x4E90, 0x0006, 0x266E, 0x0014, 0xFFF4,
    0x4CEE, 0x000A, 0x000E, 0x41EE, 0x4CDF, 0x48C0, 0xFFF0, 0x2D40, 0x0012, 0x302E,
    0x7001, 0x2F28, 0x2054, 0x6700, 0x0020, 0x001C, 0x205F, 0x1800, 0x266F, 0x4878,
    0x0016, 0x41FA, 0x303C, 0x2840, 0x7200, 0x286E, 0x200C, 0x6600, 0x206B, 0x2F07,
    0x558F, 0x0028, 0xFFFE, 0xFFEC, 0x22D8, 0x200B, 0x000F, 0x598F, 0x2F3C, 0xFF00,
    0x0118, 0x81E1, 0x4A00, 0x4EB0, 0xFFE8, 0x48C7, 0x0003, 0x0022, 0x0007, 0x001A,
    0x6706, 0x6708, 0x4EF9, 0x0024, 0x2078, 0x0800, 0x6604, 0x002A, 0x4ED0, 0x3028,
    0x265F, 0x6704, 0x0030, 0x43EE, 0x3F00, 0x201F, 0x001E, 0xFFF6, 0x202E, 0x42A7,
    0x2007, 0xFFFA, 0x6002, 0x3D40, 0x0C40, 0x6606, 0x0026, 0x2D48, 0x2F01, 0x70FF,
    0x6004, 0x1880, 0x4A40, 0x0040, 0x002C, 0x2F08, 0x0011, 0xFFE4, 0x2140, 0x2640,
    0xFFF2, 0x426E, 0x4EB9, 0x3D7C, 0x0038, 0x000D, 0x6006, 0x422E, 0x203C, 0x670C,
    0x2D68, 0x6608, 0x4A2E, 0x4AAE, 0x002E, 0x4840, 0x225F, 0x2200, 0x670A, 0x3007,
    0x4267, 0x0032, 0x2028, 0x0009, 0x487A, 0x0200, 0x2F2B, 0x0005, 0x226E, 0x6602,
    0xE580, 0x670E, 0x660A, 0x0050, 0x3E00, 0x660C, 0x2E00, 0xFFEE, 0x206D, 0x2040,
    0xFFE0, 0x5340, 0x6008, 0x0480, 0x0068, 0x0B7C, 0x4400, 0x41E8, 0x4841,
};
constexpr std::array<std::uint16_t, 41> kTable1 = {
    0x0000, 0x0001, 0x0002, 0x0003, 0x2E01, 0x3E01, 0x0101, 0x1E01, 0xFFFF, 0x0E01,
    0x3100, 0x1112, 0x0107, 0x3332, 0x1239, 0xED10, 0x0127, 0x2322, 0x0137, 0x0706,
    0x0117, 0x0123, 0x00FF, 0x002F, 0x070E, 0xFD3C, 0x0135, 0x0115, 0x0102, 0x0007,
    0x003E, 0x05D5, 0x0201, 0x0607, 0x0708, 0x3001, 0x0133, 0x0010, 0x1716, 0x373E,
    0x3637,
};
constexpr std::array<std::uint16_t, 256> kTable2 = {
    0x0000, 0x0008, 0x4EBA, 0x206E, 0x4E75, 0x000C, 0x0004, 0x7000, 0x0010, 0x0002,
    0x486E, 0xFFFC, 0x6000, 0x0001, 0x48E7, 0x2F2E, 0x4E56, 0x0006, 0x4E5E, 0x2F00,
    0x6100, 0xFFF8, 0x2F0B, 0xFFFF, 0x0014, 0x000A, 0x0018, 0x205F, 0x000E, 0x2050,
    0x3F3C, 0xFFF4, 0x4CEE, 0x302E, 0x6700, 0x4CDF, 0x266E, 0x0012, 0x001C, 0x4267,
    0xFFF0, 0x303C, 0x2F0C, 0x0003, 0x4ED0, 0x0020, 0x7001, 0x0016, 0x2D40, 0x48C0,
    0x2078, 0x7200, 0x588F, 0x6600, 0x4FEF, 0x42A7, 0x6706, 0xFFFA, 0x558F, 0x286E,
    0x3F00, 0xFFFE, 0x2F3C, 0x6704, 0x598F, 0x206B, 0x0024, 0x201F, 0x41FA, 0x81E1,
    0x6604, 0x6708, 0x001A, 0x4EB9, 0x508F, 0x202E, 0x0007, 0x4EB0, 0xFFF2, 0x3D40,
    0x001E, 0x2068, 0x6606, 0xFFF6, 0x4EF9, 0x0800, 0x0C40, 0x3D7C, 0xFFEC, 0x0005,
    0x203C, 0xFFE8, 0xDEFC, 0x4A2E, 0x0030, 0x0028, 0x2F08, 0x200B, 0x6002, 0x426E,
    0x2D48, 0x2053, 0x2040, 0x1800, 0x6004, 0x41EE, 0x2F28, 0x2F01, 0x670A, 0x4840,
    0x2007, 0x6608, 0x0118, 0x2F07, 0x3028, 0x3F2E, 0x302B, 0x226E, 0x2F2B, 0x002C,
    0x670C, 0x225F, 0x6006, 0x00FF, 0x3007, 0xFFEE, 0x5340, 0x0040, 0xFFE4, 0x4A40,
    0x660A, 0x000F, 0x4EAD, 0x70FF, 0x22D8, 0x486B, 0x0022, 0x204B, 0x670E, 0x4AAE,
    0x4E90, 0xFFE0, 0xFFC0, 0x002A, 0x2740, 0x6702, 0x51C8, 0x02B6, 0x487A, 0x2278,
    0xB06E, 0xFFE6, 0x0009, 0x322E, 0x3E00, 0x4841, 0xFFEA, 0x43EE, 0x4E71, 0x7400,
    0x2F2C, 0x206C, 0x003C, 0x0026, 0x0050, 0x1880, 0x301F, 0x2200, 0x660C, 0xFFDA,
    0x0038, 0x6602, 0x302C, 0x200C, 0x2D6E, 0x4240, 0xFFE2, 0xA9F0, 0xFF00, 0x377C,
    0xE580, 0xFFDC, 0x4868, 0x594F, 0x0034, 0x3E1F, 0x6008, 0x2F06, 0xFFDE, 0x600A,
    0x7002, 0x0032, 0xFFCC, 0x0080, 0x2251, 0x101F, 0x317C, 0xA029, 0xFFD8, 0x5240,
    0x0100, 0x6710, 0xA023, 0xFFCE, 0xFFD4, 0x2006, 0x4878, 0x002E, 0x504F, 0x43FA,
    0x6712, 0x7600, 0x41E8, 0x4A6E, 0x20D9, 0x005A, 0x7FFF, 0x51CA, 0x005C, 0x2E00,
    0x0240, 0x48C7, 0x6714, 0x0C80, 0x2E9F, 0xFFD6, 0x8000, 0x1000, 0x4842, 0x4A6B,
    0xFFD2, 0x0048, 0x4A47, 0x4ED1, 0x206F, 0x0041, 0x600C, 0x2A78, 0x422E, 0x3200,
    0x6574, 0x6716, 0x0044, 0x486D, 0x2008, 0x486C, 0x0B7C, 0x2640, 0x0400, 0x0068,
    0x206D, 0x000D, 0x2A40, 0x000B, 0x003E, 0x0220,
};

// Reads the compressed bytes and writes the result, failing on any read past the input or
// write past the limit. Literals stored for later reference are kept as views of the input.
class Expander {
 public:
  Expander(core::Bytes in, std::size_t limit) : in_(in), limit_(limit) {}

  bool done() const { return pos_ >= in_.size(); }
  bool atLast() const { return pos_ + 1 == in_.size(); }
  std::size_t position() const { return pos_; }

  bool byte(std::uint8_t& b) {
    if (pos_ >= in_.size()) return false;
    b = in_[pos_++];
    return true;
  }
  // The variable-length integers of dcmp 0 and 1: FF and four bytes; 80..FE and one more byte,
  // a 16-bit value whose high byte is the first less C0; below 80 the byte itself.
  bool integer(std::int64_t& v) {
    std::uint8_t b = 0;
    if (!byte(b)) return false;
    if (b == 0xFF) {
      if (!core::inRange(in_.size(), pos_, 4)) return false;
      v = static_cast<std::int32_t>(core::readBE32(in_.data() + pos_));
      pos_ += 4;
    } else if (b >= 0x80) {
      std::uint8_t low = 0;
      if (!byte(low)) return false;
      v = static_cast<std::int16_t>(static_cast<std::uint16_t>(((b - 0xC0) & 0xFF) << 8 | low));
    } else {
      v = b;
    }
    return true;
  }
  // `count` bytes copied from the input, kept as a literal when `store`.
  bool literal(std::size_t count, bool store) {
    if (!core::inRange(in_.size(), pos_, count)) return false;
    const core::Bytes bytes = in_.subspan(pos_, count);
    pos_ += count;
    if (store) stored_.push_back(bytes);
    return put(bytes);
  }
  bool stored(std::size_t index) { return index < stored_.size() && put(stored_[index]); }
  bool put(core::Bytes bytes) {
    if (bytes.size() > limit_ - out_.size()) return false;
    out_.insert(out_.end(), bytes.begin(), bytes.end());
    return true;
  }
  bool word(std::uint32_t w) {
    const std::uint8_t b[2] = {static_cast<std::uint8_t>(w >> 8), static_cast<std::uint8_t>(w)};
    return put(b);
  }
  bool repeat(core::Bytes unit, std::int64_t times) {
    if (times <= 0 || static_cast<std::uint64_t>(times) * unit.size() > limit_ - out_.size()) return false;
    for (std::int64_t i = 0; i < times; ++i) out_.insert(out_.end(), unit.begin(), unit.end());
    return true;
  }
  core::ByteBuffer take() { return std::move(out_); }

 private:
  core::Bytes in_;
  std::size_t pos_ = 0;
  std::size_t limit_;
  core::ByteBuffer out_;
  std::vector<core::Bytes> stored_;
};

// FE and a kind byte: the extended codes. dcmp 1 knows only the one-byte run (kind 2).
bool extended(Expander& x, bool all) {
  std::uint8_t kind = 0;
  if (!x.byte(kind)) return false;
  std::int64_t a = 0, b = 0, c = 0;
  switch (kind) {
    case 0x00: {  // a segment loader's jump table: entries of an address, 3F 3C, segment, A9 F0
      if (!all || !x.integer(a) || !x.integer(b) || b <= 0 || !x.integer(c)) return false;
      const std::uint8_t tail[6] = {0x3F, 0x3C, static_cast<std::uint8_t>(a >> 8),
                                    static_cast<std::uint8_t>(a), 0xA9, 0xF0};
      // The first entry's address comes from earlier codes; the second's is given; each
      // further one is the one before plus its difference less 6.
      if (!x.put(tail)) return false;
      std::uint32_t address = static_cast<std::uint32_t>(c) & 0xFFFF;
      for (std::int64_t i = 0; i < b; ++i) {
        if (i > 0) {
          std::int64_t difference = 0;
          if (!x.integer(difference)) return false;
          address = static_cast<std::uint32_t>(address + difference - 6) & 0xFFFF;
        }
        if (!x.word(address) || !x.put(tail)) return false;
      }
      return true;
    }
    case 0x02:
    case 0x03: {  // a run of one or two bytes, the count less one
      const std::size_t unit = kind == 0x02 ? 1 : 2;
      if ((!all && unit == 2) || !x.integer(a) || a < 0 || a >= (std::int64_t{1} << (8 * unit)) ||
          !x.integer(b))
        return false;
      const std::uint8_t value[2] = {static_cast<std::uint8_t>(unit == 2 ? a >> 8 : a),
                                     static_cast<std::uint8_t>(a)};
      return x.repeat(core::Bytes(value, unit), b + 1);
    }
    case 0x04: {  // 16-bit words: the first, then a count of signed byte differences
      if (!all || !x.integer(a) || a < -32768 || a > 32767 || !x.integer(b) || b < 0) return false;
      std::uint32_t value = static_cast<std::uint32_t>(a) & 0xFFFF;
      if (!x.word(value)) return false;
      for (std::int64_t i = 0; i < b; ++i) {
        std::uint8_t d = 0;
        if (!x.byte(d)) return false;
        value = (value + static_cast<std::uint32_t>(static_cast<std::int8_t>(d))) & 0xFFFF;
        if (!x.word(value)) return false;
      }
      return true;
    }
    case 0x06: {  // 32-bit words: the first, then a count of variable-length differences
      if (!all || !x.integer(a) || !x.integer(b) || b < 0) return false;
      std::uint32_t value = static_cast<std::uint32_t>(a);
      for (std::int64_t i = 0; i <= b; ++i) {
        if (i > 0) {
          if (!x.integer(c)) return false;
          value += static_cast<std::uint32_t>(c);
        }
        std::uint8_t w[4];
        core::writeBE32(w, value);
        if (!x.put(w)) return false;
      }
      return true;
    }
    default: return false;
  }
}

std::optional<core::ByteBuffer> finish(Expander& x, std::size_t length, bool oddTrim) {
  core::ByteBuffer out = x.take();
  // Codes write whole words: an odd length comes out one byte longer, which is dropped.
  if (oddTrim && length % 2 != 0 && out.size() == length + 1) out.pop_back();
  if (out.size() != length) return std::nullopt;
  return out;
}

}  // namespace

bool isCompressedResource(core::Bytes data) {
  return data.size() >= 4 && core::readBE32(data.data()) == 0xA89F6572u;
}

std::optional<std::size_t> decompressedLength(core::Bytes data) {
  if (!isCompressedResource(data) || data.size() < kHeaderBytes) return std::nullopt;
  const std::uint16_t headerLength = core::readBE16(data.data() + 4);
  if (headerLength != kHeaderBytes && headerLength != 0) return std::nullopt;
  return core::readBE32(data.data() + 8);
}

std::optional<core::ByteBuffer> decompressDcmp0(core::Bytes in, std::size_t length) {
  Expander x(in, length + 1);
  std::uint8_t b = 0;
  while (x.byte(b)) {
    bool ok = true;
    std::uint8_t next = 0, low = 0;
    if (b < 0x20) {  // literal words, stored from 0x10 on; 00 and 10 take the count from the next byte
      std::size_t words = b & 0x0F;
      if (words == 0) ok = x.byte(next), words = next;
      ok = ok && x.literal(2 * words, b >= 0x10);
    } else if (b < 0x22) {
      ok = x.byte(next) && x.stored(0x28 + (std::size_t(b - 0x20) << 8 | next));
    } else if (b == 0x22) {
      ok = x.byte(next) && x.byte(low) && x.stored(0x28 + (std::size_t{next} << 8 | low));
    } else if (b < 0x4B) {
      ok = x.stored(b - 0x23);
    } else if (b < 0xFE) {
      ok = x.word(kTable0[b - 0x4B]);
    } else if (b == 0xFE) {
      ok = extended(x, true);
    } else {
      if (!x.done()) return std::nullopt;  // the end marker FF must be the last byte
      break;
    }
    if (!ok) return std::nullopt;
  }
  return finish(x, length, true);
}

std::optional<core::ByteBuffer> decompressDcmp1(core::Bytes in, std::size_t length) {
  Expander x(in, length);
  std::uint8_t b = 0;
  while (x.byte(b)) {
    bool ok = true;
    std::uint8_t next = 0;
    if (b < 0x20) {  // 1 to 16 literal bytes, stored from 0x10 on
      ok = x.literal((b & 0x0F) + 1u, b >= 0x10);
    } else if (b < 0xD0) {
      ok = x.stored(b - 0x20);
    } else if (b < 0xD2) {  // literal bytes counted by the next byte, stored by D1
      ok = x.byte(next) && x.literal(next, b == 0xD1);
    } else if (b == 0xD2) {
      ok = x.byte(next) && x.stored(0xB0u + next);
    } else if (b >= 0xD5 && b < 0xFE) {
      ok = x.word(kTable1[b - 0xD5]);
    } else if (b == 0xFE) {
      ok = extended(x, false);
    } else if (b == 0xFF) {
      if (!x.done()) return std::nullopt;  // the end marker FF must be the last byte
      break;
    } else {
      return std::nullopt;  // D3, D4: no known meaning
    }
    if (!ok) return std::nullopt;
  }
  return finish(x, length, false);
}

std::optional<core::ByteBuffer> decompressDcmp2(core::Bytes in, std::size_t length, core::Bytes parameters) {
  if (parameters.size() < 4) return std::nullopt;
  const std::size_t entries = std::size_t{parameters[2]} + 1;
  const std::uint8_t flags = parameters[3];
  const bool customTable = (flags & 1) != 0, tagged = (flags & 2) != 0;
  if ((flags & ~3u) != 0 || (!customTable && entries != 1)) return std::nullopt;
  // The table: the default one, or the words at the start of the data.
  std::array<std::uint16_t, 256> table = kTable2;
  std::size_t start = 0;
  if (customTable) {
    if (!core::inRange(in.size(), 0, 2 * entries)) return std::nullopt;
    for (std::size_t i = 0; i < entries; ++i) table[i] = core::readBE16(in.data() + 2 * i);
    start = 2 * entries;
  }
  const std::size_t size = customTable ? entries : table.size();
  Expander x(in.subspan(start), length);
  std::uint8_t b = 0;
  // An odd length ends with one literal byte, the data's last.
  auto lastOdd = [&] { return x.atLast() && length % 2 != 0; };
  while (!x.done()) {
    if (lastOdd()) {
      if (!x.byte(b) || !x.put(core::Bytes(&b, 1))) return std::nullopt;
      break;
    }
    if (!tagged) {
      if (!x.byte(b) || b >= size || !x.word(table[b])) return std::nullopt;
      continue;
    }
    // A tag byte, then eight items, most significant bit first: 1 a reference, 0 a literal
    // word (a single byte at the very end). The data may end within the eight.
    std::uint8_t tag = 0;
    x.byte(tag);
    for (int bit = 7; bit >= 0 && !x.done(); --bit) {
      if (tag >> bit & 1) {
        if (!x.byte(b) || b >= size || !x.word(table[b])) return std::nullopt;
      } else if (!x.literal(x.atLast() ? 1 : 2, false)) {
        return std::nullopt;
      }
    }
  }
  return finish(x, length, false);
}

std::optional<core::ByteBuffer> decompressResource(core::Bytes data) {
  const auto length = decompressedLength(data);
  if (!length || *length > kMaxDecompressedBytes) return std::nullopt;
  const std::uint8_t version = data[6];
  const core::Bytes in = data.subspan(kHeaderBytes);
  if (version == 8) {
    switch (static_cast<std::int16_t>(core::readBE16(data.data() + 14))) {
      case 0: return decompressDcmp0(in, *length);
      case 1: return decompressDcmp1(in, *length);
      default: return std::nullopt;
    }
  }
  if (version == 9 && static_cast<std::int16_t>(core::readBE16(data.data() + 12)) == 2)
    return decompressDcmp2(in, *length, data.subspan(14, 4));
  return std::nullopt;
}

}  // namespace vexilo::mac
