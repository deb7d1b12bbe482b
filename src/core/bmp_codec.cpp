// The Windows BMP format.
//
// A file starts with a 14-byte file header: "BM", the file size (not trusted), two reserved
// words and the offset of the pixel data. An info header follows whose size names its kind:
//   12        OS/2 1.x core header: 16-bit width and height, colour table entries of 3 bytes
//   16, 64    OS/2 2.x: the 40-byte layout, cut short or followed by OS/2 fields
//   40        Windows info header; bit-field masks, when used, follow it
//   52, 56    the info header with the red, green, blue (and alpha) masks inside it
//   108, 124  V4 and V5 headers (masks at the same place, colour space fields after them)
// Then the colour table of indexed pictures (4 bytes blue, green, red, 0; 3 bytes for OS/2 1.x)
// and, at the pixel offset, the rows: bottom-up unless the height is negative, each padded to
// a multiple of 4 bytes, or an RLE8/RLE4 stream of runs and escape codes.
#include "core/bmp_codec.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>

namespace vexilo::core {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::uint32_t kResolution = 2834;  // pixels a metre, 72 dpi

enum Compression : std::uint32_t {
  kRgb = 0,
  kRle8 = 1,
  kRle4 = 2,
  kBitFields = 3,
  kJpeg = 4,
  kPng = 5,
  kAlphaBitFields = 6,
};

Result<Bitmap> fail(std::string what, std::size_t offset) {
  return Result<Bitmap>::failure(std::move(what), offset);
}

// One channel of a bit-field pixel, widened to 8 bits.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  int bits = 0;

  static Channel of(std::uint32_t mask) {
    Channel c;
    c.mask = mask;
    if (mask == 0) return c;
    c.shift = std::countr_zero(mask);
    c.bits = std::popcount(mask);
    c.fillLevels();
    return c;
  }
  // A channel that reads the same level from every pixel.
  static Channel constant(std::uint8_t level) {
    Channel c;
    c.levels[0] = level;
    return c;
  }
  bool contiguous() const {
    const std::uint32_t m = mask >> shift;
    return (m & (m + 1)) == 0;
  }
  bool narrow() const { return bits <= 8; }
  // The 8-bit level of a pixel's channel value.
  std::uint8_t operator()(std::uint32_t pixel) const {
    const std::uint32_t v = (pixel & mask) >> shift;
    return narrow() ? levels[v & 0xFFu] : scaled(v);
  }
  // The same for a channel of at most 8 bits, looked up.
  std::uint8_t narrowLevel(std::uint32_t pixel) const {
    return levels[((pixel & mask) >> shift) & 0xFFu];
  }

 private:
  std::array<std::uint8_t, 256> levels{};

  // v * 255 / (2^bits - 1), rounded to the nearest level, for channels wider than 8 bits.
  std::uint8_t scaled(std::uint32_t v) const {
    const std::uint64_t top = (std::uint64_t{1} << bits) - 1;
    return static_cast<std::uint8_t>((2 * std::uint64_t{v} * 255 + top) / (2 * top));
  }
  // Repeats the bits downwards so that the largest value becomes 255.
  void fillLevels() {
    if (bits == 0 || bits > 8) return;
    for (std::uint32_t v = 0; v < (1u << bits); ++v) {
      std::uint32_t out = 0;
      int filled = 0;
      while (filled < 8) {
        out = (out << bits) | v;
        filled += bits;
      }
      levels[v] = static_cast<std::uint8_t>(out >> (filled - 8));
    }
  }
};

// What the headers say, once read and checked.
struct Layout {
  std::size_t headerSize = 0;
  bool os2Core = false;  // 12-byte header
  bool os2v2 = false;    // 16- or 64-byte header
  std::int64_t width = 0;
  std::int64_t height = 0;  // as stored: negative for top-down rows
  int bitCount = 0;
  std::uint32_t compression = kRgb;
  std::uint32_t coloursUsed = 0;
  std::uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
  bool alphaMask = false;
  std::size_t headersEnd = 0;  // file offset after the info header and any masks
};

bool validHeaderSize(std::size_t size) {
  switch (size) {
    case 12: case 16: case 40: case 52: case 56: case 64: case 108: case 124: return true;
    default: return false;
  }
}

// Reads the info header and the masks; checks the fields that do not depend on the pixels.
Result<Layout> readLayout(Bytes file, std::size_t pixelOffset) {
  using R = Result<Layout>;
  Layout l;
  l.headerSize = readLE32(file.data() + kFileHeaderSize);
  if (!validHeaderSize(l.headerSize))
    return R::failure("unsupported info header size " + std::to_string(l.headerSize),
                      kFileHeaderSize);
  if (!inRange(file.size(), kFileHeaderSize, l.headerSize))
    return R::failure("info header truncated", file.size());
  l.os2Core = l.headerSize == 12;
  l.os2v2 = l.headerSize == 16 || l.headerSize == 64;

  ByteReader h(file, kFileHeaderSize + 4);
  if (l.os2Core) {
    l.width = h.le16();
    l.height = h.le16();
    h.le16();  // planes, ignored like everywhere else
    l.bitCount = h.le16();
  } else {
    l.width = static_cast<std::int32_t>(h.le32());
    l.height = static_cast<std::int32_t>(h.le32());
    h.le16();  // planes
    l.bitCount = h.le16();
    if (l.headerSize >= 20) l.compression = h.le32();
    if (l.headerSize >= 36) {
      h.skip(12);  // image size and resolutions
      l.coloursUsed = h.le32();
    }
  }
  l.headersEnd = kFileHeaderSize + l.headerSize;

  const std::size_t depthAt = kFileHeaderSize + (l.os2Core ? 10 : 14);
  const std::size_t compressionAt = kFileHeaderSize + 16;
  switch (l.bitCount) {
    case 1: case 2: case 4: case 8: case 16: case 24: case 32: break;
    default: return R::failure("unsupported bit count " + std::to_string(l.bitCount), depthAt);
  }
  const int bits = l.bitCount;
  // OS/2 2.x gives compressions 3 and 4 to its Huffman and RLE24 codings.
  if (l.os2v2 && (l.compression == kBitFields || l.compression == kJpeg))
    return R::failure("OS/2 Huffman and RLE24 are not supported", compressionAt);
  switch (l.compression) {
    case kRgb: break;
    case kRle8:
      if (bits != 8) return R::failure("RLE8 needs 8 bits a pixel", compressionAt);
      break;
    case kRle4:
      if (bits != 4) return R::failure("RLE4 needs 4 bits a pixel", compressionAt);
      break;
    case kBitFields:
    case kAlphaBitFields:
      if (bits != 16 && bits != 32)
        return R::failure("bit fields need 16 or 32 bits a pixel", compressionAt);
      break;
    case kJpeg:
    case kPng: return R::failure("JPEG and PNG bitmaps are not supported", compressionAt);
    default:
      return R::failure("unknown compression " + std::to_string(l.compression), compressionAt);
  }

  if (l.width <= 0) return R::failure("width must be positive", kFileHeaderSize + 4);
  if (l.height == 0 || l.height == std::numeric_limits<std::int32_t>::min())
    return R::failure("bad height", kFileHeaderSize + (l.os2Core ? 6 : 8));
  if (!Bitmap::sizeAllowed(l.width, l.height < 0 ? -l.height : l.height))
    return R::failure("picture too large", kFileHeaderSize + 4);

  if (l.compression == kBitFields || l.compression == kAlphaBitFields) {
    // The masks sit at offset 40 of the info header, inside it from the 52-byte header on,
    // else right after it.
    const std::size_t count = l.compression == kAlphaBitFields ? 4 : 3;
    const std::size_t at = kFileHeaderSize + kInfoHeaderSize;
    l.alphaMask = count == 4 || l.headerSize >= 56;
    const std::size_t needed = l.alphaMask ? 16 : 12;
    if (!inRange(file.size(), at, needed)) return R::failure("bit-field masks truncated", at);
    const std::uint32_t pixelMask = bits == 16 ? 0xFFFFu : 0xFFFFFFFFu;
    for (std::size_t i = 0; i < needed / 4; ++i) {
      l.masks[i] = readLE32(file.data() + at + 4 * i) & pixelMask;
      if (!Channel::of(l.masks[i]).contiguous())
        return R::failure("bit-field mask is not contiguous", at + 4 * i);
    }
    l.headersEnd = std::max(l.headersEnd, at + needed);
  }
  if (pixelOffset < l.headersEnd) return R::failure("pixel data overlaps the headers", 10);
  if (pixelOffset > file.size()) return R::failure("pixel data offset past the end", 10);
  return l;
}

PixelFormat pictureFormat(const Layout& l) {
  switch (l.bitCount) {
    case 1: return PixelFormat::Bits1;
    case 2:
    case 4: return PixelFormat::Bits4;
    case 8: return PixelFormat::Bits8;
    case 24: return PixelFormat::Bits24;
    case 32: return PixelFormat::Bits32;
    default: break;
  }
  if (l.compression == kRgb) return PixelFormat::Bits15;
  const auto [r, g, b, a] = l.masks;
  if (a == 0 && r == 0x7C00 && g == 0x03E0 && b == 0x001F) return PixelFormat::Bits15;
  if (a == 0 && r == 0xF800 && g == 0x07E0 && b == 0x001F) return PixelFormat::Bits16;
  return PixelFormat::Bits32;
}

Palette readColourTable(Bytes file, const Layout& l, std::size_t pixelOffset, bool& ok) {
  const std::size_t entries = std::size_t{1} << l.bitCount;
  const std::size_t entrySize = l.os2Core ? 3 : 4;
  std::size_t count;
  if (l.os2Core) {
    // The core header has no colour count: the table fills the room before the pixels.
    count = std::min(entries, (pixelOffset - l.headersEnd) / entrySize);
  } else {
    count = l.coloursUsed == 0 ? entries : std::min<std::size_t>(entries, l.coloursUsed);
  }
  ok = inRange(file.size(), l.headersEnd, count * entrySize);
  Palette palette;
  if (!ok) return palette;
  const std::uint8_t* p = file.data() + l.headersEnd;
  for (std::size_t i = 0; i < count; ++i, p += entrySize) palette.push_back({p[2], p[1], p[0]});
  // An empty table would make the picture take the default palette; the format means black.
  if (palette.empty()) palette.push_back({0, 0, 0});
  return palette;
}

// The channels of a bit-field layout, made once for a picture.
struct BitFields {
  Channel r, g, b, a;
  explicit BitFields(const Layout& l)
      : r(Channel::of(l.masks[0])), g(Channel::of(l.masks[1])), b(Channel::of(l.masks[2])),
        a(l.alphaMask && l.masks[3] != 0 ? Channel::of(l.masks[3]) : Channel::constant(255)),
        alpha(l.alphaMask && l.masks[3] != 0),
        bgra(l.masks[0] == 0xFF0000 && l.masks[1] == 0xFF00 && l.masks[2] == 0xFF &&
             (!alpha || l.masks[3] == 0xFF000000u)) {}
  bool alpha;
  // Bytes blue, green, red (and alpha) in order: the layout of uncompressed 32-bit rows.
  bool bgra;
  bool narrow() const { return r.narrow() && g.narrow() && b.narrow() && a.narrow(); }
};

// Copies one stored row into picture row y.
void readRow(const std::uint8_t* src, const Layout& l, const BitFields& f, Bitmap& pic, int y) {
  const int width = pic.width();
  auto row = pic.row(y);
  switch (pic.format()) {
    case PixelFormat::Bits1:
    case PixelFormat::Bits8:
    case PixelFormat::Bits24:
      std::copy_n(src, row.size(), row.begin());
      break;
    case PixelFormat::Bits4:
      if (l.bitCount == 4) {
        std::copy_n(src, row.size(), row.begin());
      } else {
        for (int x = 0; x < width; ++x) pic.setIndex(x, y, (src[x >> 2] >> (6 - 2 * (x & 3))) & 3);
      }
      break;
    case PixelFormat::Bits15:
      for (int x = 0; x < width; ++x)
        writeLE16(row.data() + 2 * x, static_cast<std::uint16_t>(readLE16(src + 2 * x) & 0x7FFF));
      break;
    case PixelFormat::Bits16:
      std::copy_n(src, row.size(), row.begin());
      break;
    case PixelFormat::Bits32:
      if (l.bitCount == 32 && (l.compression == kRgb || f.bgra)) {
        std::copy_n(src, row.size(), row.begin());  // the fourth byte is the alpha of icons
        if (l.compression != kRgb && !f.alpha)
          for (std::size_t i = 3; i < row.size(); i += 4) row[i] = 255;
        break;
      }
      {
        // Channels of up to 8 bits (all but the rarest layouts) are looked up without a test.
        auto convert = [&](auto pixelAt) {
          if (f.narrow()) {
            for (int x = 0; x < width; ++x) {
              const std::uint32_t v = pixelAt(x);
              std::uint8_t* d = row.data() + 4 * x;
              d[0] = f.b.narrowLevel(v);
              d[1] = f.g.narrowLevel(v);
              d[2] = f.r.narrowLevel(v);
              d[3] = f.a.narrowLevel(v);
            }
            return;
          }
          for (int x = 0; x < width; ++x) {
            const std::uint32_t v = pixelAt(x);
            std::uint8_t* d = row.data() + 4 * x;
            d[0] = f.b(v);
            d[1] = f.g(v);
            d[2] = f.r(v);
            d[3] = f.a(v);
          }
        };
        if (l.bitCount == 16)
          convert([src](int x) { return std::uint32_t{readLE16(src + 2 * x)}; });
        else
          convert([src](int x) { return readLE32(src + 4 * x); });
      }
      break;
  }
  // Bits past the width in the last byte of an indexed row stay 0.
  const int usedBits = (width * bitsPerPixel(pic.format())) % 8;
  if (usedBits != 0) row.back() = static_cast<std::uint8_t>(row.back() & (0xFF00 >> usedBits));
}

// Decodes an RLE8 or RLE4 stream into a zero-filled picture. Runs are clipped to the picture;
// a stream that ends early, or leaves the picture, ends the picture there.
void decodeRle(Bytes data, bool rle4, bool topDown, Bitmap& pic) {
  const std::int64_t width = pic.width(), height = pic.height();
  std::int64_t x = 0, row = 0;  // row counts stored rows: the bottom one first unless top-down
  // Writes `n` indices from column x on, clipped to the picture, and moves x past all of them.
  auto put = [&](std::int64_t n, auto indexAt) {
    const int y = static_cast<int>(topDown ? row : height - 1 - row);
    for (std::int64_t i = 0; i < n && x + i < width; ++i)
      pic.setIndex(static_cast<int>(x + i), y, indexAt(static_cast<unsigned>(i)));
    x += n;
  };
  auto nibble = [](unsigned byte, unsigned i) {
    return static_cast<int>(i & 1 ? byte & 15 : byte >> 4);
  };

  std::size_t p = 0;
  while (row < height && p + 2 <= data.size()) {
    const unsigned count = data[p], code = data[p + 1];
    p += 2;
    if (count > 0) {  // a run of one index (RLE4: two alternating indices)
      put(count, [&](unsigned i) { return rle4 ? nibble(code, i) : static_cast<int>(code); });
    } else if (code == 0) {  // end of line
      x = 0;
      ++row;
    } else if (code == 1) {  // end of bitmap
      break;
    } else if (code == 2) {  // delta: move right and up (down when top-down)
      if (p + 2 > data.size()) break;
      x += data[p];
      row += data[p + 1];
      p += 2;
    } else {  // absolute run of `code` indices, padded to a 16-bit boundary
      const std::size_t bytes = rle4 ? (code + 1) / 2 : code;
      const std::size_t avail = std::min(bytes, data.size() - p);
      const std::uint8_t* src = data.data() + p;
      put(rle4 ? std::min<std::size_t>(code, 2 * avail) : avail,
          [&](unsigned i) { return rle4 ? nibble(src[i / 2], i) : static_cast<int>(src[i]); });
      if (avail < bytes) break;
      p += (bytes + 1) & ~std::size_t{1};
    }
  }
}

}  // namespace

Result<Bitmap> decodeBmp(Bytes file) {
  if (file.size() < kFileHeaderSize + 4) return fail("file too short for a BMP header", 0);
  if (file[0] != 'B' || file[1] != 'M') return fail("not a BMP file", 0);
  const std::size_t pixelOffset = readLE32(file.data() + 10);

  auto layout = readLayout(file, pixelOffset);
  if (!layout) return DecodeError(layout.error());
  const Layout& l = *layout;
  const bool topDown = l.height < 0;
  const int width = static_cast<int>(l.width);
  const int height = static_cast<int>(topDown ? -l.height : l.height);

  const PixelFormat format = pictureFormat(l);
  Palette palette;
  if (isIndexed(format)) {
    bool ok = false;
    palette = readColourTable(file, l, pixelOffset, ok);
    if (!ok) return fail("colour table past the end of the file", l.headersEnd);
  }

  if (l.compression == kRle8 || l.compression == kRle4) {
    Bitmap pic(width, height, format, std::move(palette));
    decodeRle(file.subspan(pixelOffset), l.compression == kRle4, topDown, pic);
    return pic;
  }

  // Width and height are at most 32768 and the depth 32, so this cannot overflow.
  const std::size_t stride = (static_cast<std::size_t>(width) * l.bitCount + 31) / 32 * 4;
  if (!inRange(file.size(), pixelOffset, stride * static_cast<std::size_t>(height)))
    return fail("pixel data truncated", pixelOffset);
  Bitmap pic(width, height, format, std::move(palette));
  const BitFields fields(l);
  for (int i = 0; i < height; ++i)
    readRow(file.data() + pixelOffset + stride * static_cast<std::size_t>(i), l, fields, pic,
            topDown ? i : height - 1 - i);
  return pic;
}

ByteBuffer encodeBmp(const Bitmap& bitmap) {
  const PixelFormat format = bitmap.format();
  const int bits = bitsPerPixel(format);
  const bool masks = format == PixelFormat::Bits16;
  const std::size_t width = static_cast<std::size_t>(bitmap.width());
  const std::size_t height = static_cast<std::size_t>(bitmap.height());
  const std::size_t stride = (width * static_cast<std::size_t>(bits) + 31) / 32 * 4;
  const std::size_t tableSize = isIndexed(format) ? bitmap.palette().size() * 4 : 0;
  const std::size_t pixelOffset = kFileHeaderSize + kInfoHeaderSize + (masks ? 12 : 0) + tableSize;
  const std::size_t imageSize = stride * height;

  ByteBuffer out;
  out.reserve(pixelOffset + imageSize);
  out.push_back('B');
  out.push_back('M');
  appendLE32(out, static_cast<std::uint32_t>(pixelOffset + imageSize));
  appendLE32(out, 0);
  appendLE32(out, static_cast<std::uint32_t>(pixelOffset));

  appendLE32(out, kInfoHeaderSize);
  appendLE32(out, static_cast<std::uint32_t>(width));
  appendLE32(out, static_cast<std::uint32_t>(height));  // positive: bottom-up rows
  appendLE16(out, 1);
  appendLE16(out, static_cast<std::uint16_t>(bits));
  appendLE32(out, masks ? kBitFields : kRgb);
  appendLE32(out, static_cast<std::uint32_t>(imageSize));
  appendLE32(out, kResolution);
  appendLE32(out, kResolution);
  appendLE32(out, 0);  // colours used: the whole table
  appendLE32(out, 0);  // important colours: all
  if (masks) {
    appendLE32(out, 0xF800);
    appendLE32(out, 0x07E0);
    appendLE32(out, 0x001F);
  }
  if (isIndexed(format)) {
    for (const Rgb& c : bitmap.palette()) {
      out.push_back(c.blue);
      out.push_back(c.green);
      out.push_back(c.red);
      out.push_back(0);
    }
  }
  for (std::size_t i = height; i-- > 0;) {
    const auto row = bitmap.row(static_cast<int>(i));
    out.insert(out.end(), row.begin(), row.end());
    out.resize(out.size() + (stride - row.size()), 0);
  }
  return out;
}

}  // namespace vexilo::core
