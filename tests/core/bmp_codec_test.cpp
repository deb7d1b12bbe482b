// The BMP reader and writer: hand-made files of every variant, byte-exact output, round trips,
// damaged files, and the BMP Suite and other programs' files against Pillow.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/bmp_codec.h"
#include "support/oracle.h"
#include "support/shared_data.h"

using namespace vexilo::core;
namespace fs = std::filesystem;

namespace {

// The fields of a 40-byte info header (cut or padded to `headerSize`); `masks` are written at
// offset 40 of the header, where headers of 52 bytes and more keep them.
struct Info {
  Info(std::int32_t w, std::int32_t h, std::uint16_t bitCount, std::uint32_t comp = 0,
       std::uint32_t colours = 0, std::uint32_t size = 40, std::vector<std::uint32_t> m = {})
      : width(w), height(h), bits(bitCount), compression(comp), coloursUsed(colours),
        headerSize(size), masks(std::move(m)) {}
  std::int32_t width, height;
  std::uint16_t bits;
  std::uint32_t compression, coloursUsed, headerSize;
  std::vector<std::uint32_t> masks;
};

// A whole file: file header, info header, `extra` (masks after the header, colour table), pixels.
ByteBuffer bmpFile(const Info& in, const ByteBuffer& extra, const ByteBuffer& pixels) {
  ByteBuffer f{'B', 'M'};
  const auto offset = static_cast<std::uint32_t>(14 + in.headerSize + extra.size());
  appendLE32(f, offset + static_cast<std::uint32_t>(pixels.size()));
  appendLE32(f, 0);
  appendLE32(f, offset);
  appendLE32(f, in.headerSize);
  appendLE32(f, static_cast<std::uint32_t>(in.width));
  appendLE32(f, static_cast<std::uint32_t>(in.height));
  appendLE16(f, 1);
  appendLE16(f, in.bits);
  for (std::uint32_t v : {in.compression, 0u, 2834u, 2834u, in.coloursUsed, 0u}) appendLE32(f, v);
  for (std::uint32_t m : in.masks) appendLE32(f, m);
  f.resize(14 + in.headerSize, 0);
  f.insert(f.end(), extra.begin(), extra.end());
  f.insert(f.end(), pixels.begin(), pixels.end());
  return f;
}

ByteBuffer words(std::initializer_list<std::uint32_t> values) {
  ByteBuffer out;
  for (std::uint32_t v : values) appendLE32(out, v);
  return out;
}

Bitmap decoded(const ByteBuffer& file) {
  auto r = decodeBmp(file);
  EXPECT_TRUE(r.ok()) << r.error().what << " at " << r.error().offset;
  return r.ok() ? *r : Bitmap();
}

std::vector<int> indices(const Bitmap& b) {
  std::vector<int> out;
  for (int y = 0; y < b.height(); ++y)
    for (int x = 0; x < b.width(); ++x) out.push_back(b.index(x, y));
  return out;
}

// RLE8, 4 x 3, bottom-up: a run of 3 clipped at nothing, end of line, an absolute run of 3
// (padded), a delta of one row, a run of 2 of which one falls outside, end of bitmap.
const ByteBuffer kRle8Stream{3, 5, 0, 0, 0, 3, 7, 8, 9, 0, 0, 2, 0, 1, 2, 4, 0, 1, 1, 6};
const std::vector<int> kRle8Picture{0, 0, 0, 4, 7, 8, 9, 0, 5, 5, 5, 0};
// RLE4, 5 x 2: an alternating run, end of line, absolute runs of 3 and 5 nibbles (clipped),
// then the data stops without an end-of-bitmap code.
const ByteBuffer kRle4Stream{5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 0, 5, 0x67, 0x89, 0xA0, 0};
const std::vector<int> kRle4Picture{3, 4, 5, 6, 7, 1, 2, 1, 2, 1};
const ByteBuffer kV5File = bmpFile({1, 1, 32, 3, 0, 124, {0xFFE00000, 0x001FFC00, 0x3FC, 0x3}}, {},
                                   {0x4A, 0, 0xF0, 0xFF});

}  // namespace

TEST(BmpWrite, OneBitLayoutWorkedOutByHand) {
  Bitmap b(2, 2, PixelFormat::Bits1);  // 0 white, 1 black
  b.setIndex(0, 0, 1);
  b.setIndex(1, 1, 1);
  const ByteBuffer expected{
      'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 62, 0, 0, 0,                // file header
      40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0,  // 2 x 2, 1 bit, BI_RGB
      8, 0, 0, 0, 0x12, 0x0B, 0, 0, 0x12, 0x0B, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
      0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0,  // white, black
      0x40, 0, 0, 0, 0x80, 0, 0, 0};    // bottom row first
  EXPECT_EQ(encodeBmp(b), expected);
  EXPECT_EQ(decoded(expected), b);
}

TEST(BmpRead, IndexedDepthsWithShortTablesAndRowPadding) {
  // 4-bit 3 x 2 with three colours: the rest of the table is black; the nibble past the
  // width is garbage in the file and 0 in the picture.
  const ByteBuffer table{0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0};
  Bitmap b = decoded(bmpFile({3, 2, 4, 0, 3}, table, {0x01, 0x20, 0, 0, 0x21, 0x0F, 0, 0}));
  EXPECT_EQ(b.format(), PixelFormat::Bits4);
  EXPECT_EQ(indices(b), (std::vector<int>{2, 1, 0, 0, 1, 2}));
  EXPECT_EQ(b.palette()[0], (Rgb{255, 0, 0}));
  EXPECT_EQ(b.palette()[2], (Rgb{0, 0, 255}));
  EXPECT_EQ(b.palette()[3], (Rgb{0, 0, 0}));
  EXPECT_EQ(b.row(0)[1], 0x00);

  // 8-bit top-down.
  b = decoded(bmpFile({2, -2, 8, 0, 2}, {1, 1, 1, 0, 2, 2, 2, 0}, {1, 0, 9, 9, 0, 1, 9, 9}));
  EXPECT_EQ(b.format(), PixelFormat::Bits8);
  EXPECT_EQ(indices(b), (std::vector<int>{1, 0, 0, 1}));

  // 2-bit pictures become 4-bit with the same indices.
  const ByteBuffer fourGreys{0, 0, 0, 0, 1, 1, 1, 0, 2, 2, 2, 0, 3, 3, 3, 0};
  b = decoded(bmpFile({5, 1, 2}, fourGreys, {0x1B, 0xBF, 0, 0}));
  EXPECT_EQ(b.format(), PixelFormat::Bits4);
  EXPECT_EQ(indices(b), (std::vector<int>{0, 1, 2, 3, 2}));
  EXPECT_EQ(b.palette()[3], (Rgb{3, 3, 3}));
  EXPECT_EQ(b.palette()[4], (Rgb{0, 0, 0}));
}

TEST(BmpRead, RunLengthEscapesDeltaAndClipping) {
  const ByteBuffer oneColour{0, 0, 0, 0};
  EXPECT_EQ(indices(decoded(bmpFile({4, 3, 8, 1, 1}, oneColour, kRle8Stream))), kRle8Picture);
  // Top-down RLE: the same stream fills the rows from the top.
  const std::vector<int> flipped{5, 5, 5, 0, 7, 8, 9, 0, 0, 0, 0, 4};
  EXPECT_EQ(indices(decoded(bmpFile({4, -3, 8, 1, 1}, oneColour, kRle8Stream))), flipped);

  const Bitmap b = decoded(bmpFile({5, 2, 4, 2, 1}, oneColour, kRle4Stream));
  EXPECT_EQ(b.format(), PixelFormat::Bits4);
  EXPECT_EQ(indices(b), kRle4Picture);
}

TEST(BmpRead, SixteenBitLayouts) {
  // BI_RGB is 5-5-5; the unused top bit is dropped.
  Bitmap b = decoded(bmpFile({2, 1, 16}, {}, {0x00, 0xFC, 0xE0, 0x03}));
  EXPECT_EQ(b.format(), PixelFormat::Bits15);
  EXPECT_EQ(b.row(0)[1], 0x7C);
  EXPECT_EQ(b.pixel(0, 0), (Bgra{0, 0, 255, 255}));
  EXPECT_EQ(b.pixel(1, 0), (Bgra{0, 255, 0, 255}));

  b = decoded(bmpFile({1, 1, 16, 3}, words({0xF800, 0x07E0, 0x001F}), {0xE0, 0x07, 0, 0}));
  EXPECT_EQ(b.format(), PixelFormat::Bits16);
  EXPECT_EQ(b.pixel(0, 0), (Bgra{0, 255, 0, 255}));

  // 4-4-4-4 with alpha in a 56-byte header: 32-bit, every channel widened.
  b = decoded(
      bmpFile({2, 1, 16, 3, 0, 56, {0x0F00, 0x00F0, 0x000F, 0xF000}}, {}, {0x31, 0x8F, 0, 0}));
  EXPECT_EQ(b.format(), PixelFormat::Bits32);
  EXPECT_EQ(b.pixel(0, 0), (Bgra{0x11, 0x33, 0xFF, 0x88}));
  EXPECT_EQ(b.pixel(1, 0), (Bgra{0, 0, 0, 0}));
}

TEST(BmpRead, TrueColourAndBitFields) {
  Bitmap b = decoded(bmpFile({1, 2, 24}, {}, {1, 2, 3, 0, 4, 5, 6, 0}));
  EXPECT_EQ(b.format(), PixelFormat::Bits24);
  EXPECT_EQ(b.pixel(0, 0), (Bgra{4, 5, 6, 255}));
  EXPECT_EQ(b.pixel(0, 1), (Bgra{1, 2, 3, 255}));

  // BI_RGB keeps the fourth byte as alpha, as icons store it.
  EXPECT_EQ(decoded(bmpFile({1, 1, 32}, {}, {0x10, 0x20, 0x30, 0x40})).pixel(0, 0),
            (Bgra{0x10, 0x20, 0x30, 0x40}));
  // Masks after a 40-byte header, red in the low byte; without an alpha mask alpha is 255.
  const ByteBuffer xbgr = words({0xFF, 0xFF00, 0xFF0000});
  EXPECT_EQ(decoded(bmpFile({1, 1, 32, 3}, xbgr, {0x11, 0x22, 0x33, 0x44})).pixel(0, 0),
            (Bgra{0x33, 0x22, 0x11, 255}));
  // Compression 6 brings an alpha mask after the header.
  const ByteBuffer argb = words({0xFF0000, 0xFF00, 0xFF, 0xFF000000});
  EXPECT_EQ(decoded(bmpFile({1, 1, 32, 6}, argb, {0x10, 0x20, 0x30, 0x40})).pixel(0, 0),
            (Bgra{0x10, 0x20, 0x30, 0x40}));
  // V5 with 11-11-8-2 bits: wide channels keep their top 8 bits, the 2-bit alpha is widened.
  EXPECT_EQ(decoded(kV5File).pixel(0, 0), (Bgra{0x12, 0x80, 0xFF, 0xAA}));
}

TEST(BmpRead, Os2Headers) {
  // 1.x core header, 8-bit 2 x 1: the offset leaves room for two 3-byte entries only.
  const ByteBuffer core{'B', 'M', 36, 0, 0, 0, 0, 0, 0, 0, 32, 0, 0, 0,
                        12, 0, 0, 0, 2, 0, 1, 0, 1, 0, 8, 0,
                        0, 0, 255, 255, 0, 0,
                        1, 2, 0, 0};
  Bitmap b = decoded(core);
  EXPECT_EQ(b.format(), PixelFormat::Bits8);
  EXPECT_EQ(b.palette()[0], (Rgb{255, 0, 0}));
  EXPECT_EQ(b.pixel(0, 0), (Bgra{255, 0, 0, 255}));
  EXPECT_EQ(b.pixel(1, 0), (Bgra{0, 0, 0, 255}));

  // 2.x with a 16-byte header: no colour count, so a full table of 4-byte entries.
  b = decoded(bmpFile({1, 1, 1, 0, 0, 16}, {9, 9, 9, 0, 7, 7, 7, 0}, {0x80, 0, 0, 0}));
  EXPECT_EQ(b.pixel(0, 0), (Bgra{7, 7, 7, 255}));
}

TEST(BmpRoundTrip, EveryFormatAndOddWidths) {
  std::mt19937 rng(7);
  auto byte = [&] { return static_cast<std::uint8_t>(rng()); };
  for (int f = 1; f <= 7; ++f) {
    const auto format = static_cast<PixelFormat>(f);
    for (int width : {1, 3, 5, 17}) {
      Palette palette;
      if (isIndexed(format))
        for (int i = 0; i < (1 << bitsPerPixel(format)); ++i)
          palette.push_back({byte(), byte(), byte()});
      Bitmap b(width, 3, format, palette);
      for (int y = 0; y < 3; ++y)
        for (int x = 0; x < width; ++x) {
          if (isIndexed(format)) b.setIndex(x, y, byte());
          else b.setPixel(x, y, {byte(), byte(), byte(), byte()});
        }
      const ByteBuffer file = encodeBmp(b);
      const std::size_t stride = (width * bitsPerPixel(format) + 31) / 32 * 4;
      EXPECT_EQ(file.size(), readLE32(&file[10]) + 3 * stride);
      EXPECT_EQ(readLE32(&file[2]), file.size());
      EXPECT_EQ(decoded(file), b) << "format " << f << " width " << width;
    }
  }
}

TEST(BmpCorrupt, EveryPrefixIsRefusedOrSound) {
  const ByteBuffer table{1, 2, 3, 0, 4, 5, 6, 0};
  const std::vector<ByteBuffer> files{
      bmpFile({4, 3, 8, 1, 2}, table, kRle8Stream),
      bmpFile({5, 2, 4, 2, 2}, table, kRle4Stream),
      bmpFile({3, 2, 4, 0, 2}, table, {0x01, 0x20, 0, 0, 0x21, 0x0F, 0, 0}),
      kV5File,
      encodeBmp(Bitmap(3, 2, PixelFormat::Bits16)),
  };
  for (const ByteBuffer& file : files) {
    const Bitmap full = decoded(file);
    for (std::size_t n = 0; n < file.size(); ++n) {
      const auto r = decodeBmp(Bytes(file.data(), n));
      if (!r) {
        EXPECT_LE(r.error().offset, file.size());
        continue;
      }
      // Only cut RLE streams decode: what they hold is the full picture or still index 0.
      ASSERT_TRUE(r->sameLayout(full) && r->width() == full.width() &&
                  r->height() == full.height()) << n;
      for (int y = 0; y < full.height(); ++y)
        for (int x = 0; x < full.width(); ++x)
          EXPECT_TRUE(r->index(x, y) == 0 || r->index(x, y) == full.index(x, y)) << n;
    }
  }
}

TEST(BmpCorrupt, LyingHeadersAreRefused) {
  const ByteBuffer good = bmpFile({2, 2, 8, 0, 1}, {0, 0, 0, 0}, {1, 2, 0, 0, 3, 4, 0, 0});
  ASSERT_TRUE(decodeBmp(good).ok());
  auto patched = [&](std::size_t at, std::uint32_t v, int size = 4) {
    ByteBuffer f = good;
    for (int i = 0; i < size; ++i) f.at(at + i) = static_cast<std::uint8_t>(v >> (8 * i));
    return f;
  };
  const struct {
    const char* what;
    ByteBuffer file;
  } cases[] = {
      {"signature", patched(0, 'B' | 'A' << 8, 2)},
      {"pixel offset past the end", patched(10, 71)},
      {"pixel offset inside the headers", patched(10, 40)},
      {"pixel data short", ByteBuffer(good.begin(), good.end() - 1)},
      {"header size", patched(14, 41)},
      {"header cut short", ByteBuffer(good.begin(), good.begin() + 30)},
      {"negative width", patched(18, static_cast<std::uint32_t>(-2))},
      {"huge width", patched(18, 40000)},
      {"too many pixels", bmpFile({20000, 20000, 1}, {0, 0, 0, 0, 0, 0, 0, 0}, {})},
      {"zero height", patched(22, 0)},
      {"minimal height", patched(22, static_cast<std::uint32_t>(INT_MIN))},
      {"bit count 3", patched(28, 3, 2)},
      {"bit count 0 (JPEG)", patched(28, 0, 2)},
      {"RLE8 at 4 bits", bmpFile({2, 2, 4, 1, 1}, {0, 0, 0, 0}, {0, 1})},
      {"RLE4 at 8 bits", bmpFile({2, 2, 8, 2, 1}, {0, 0, 0, 0}, {0, 1})},
      {"bit fields at 24 bits", bmpFile({1, 1, 24, 3}, words({0xFF, 0xFF00, 0xFF0000}), {0, 0})},
      {"scattered mask", bmpFile({1, 1, 32, 3}, words({0xF0F, 0xF000, 0xFF0000}), {0, 0, 0, 0})},
      {"JPEG compression", bmpFile({1, 1, 24, 4}, {}, {0, 0, 0, 0})},
      {"PNG compression", bmpFile({1, 1, 24, 5}, {}, {0, 0, 0, 0})},
      {"unknown compression", bmpFile({1, 1, 24, 7}, {}, {0, 0, 0, 0})},
      {"OS/2 Huffman", bmpFile({1, 1, 1, 3, 0, 64}, {0, 0, 0, 0, 0, 0, 0, 0}, {0, 0})},
      {"colour table past the end", bmpFile({1, 1, 8, 0, 200}, {}, {0, 0, 0, 0})},
  };
  for (const auto& c : cases) {
    const auto r = decodeBmp(c.file);
    EXPECT_FALSE(r.ok()) << c.what;
    if (!r.ok()) {
      EXPECT_LE(r.error().offset, c.file.size()) << c.what;
    }
  }
}

namespace {

struct Mismatch {
  int pixels = 0, worst = 0;
};

// Compares our picture with another decoder's RGBA; alpha only when `withAlpha`.
Mismatch compare(const Bitmap& ours, const vexilo::test::RgbaImage& theirs, bool withAlpha) {
  Mismatch m;
  for (int y = 0; y < ours.height(); ++y)
    for (int x = 0; x < ours.width(); ++x) {
      const Bgra c = ours.pixel(x, y);
      const std::uint8_t* t = theirs.at(x, y);
      int worst =
          std::max({std::abs(c.red - t[0]), std::abs(c.green - t[1]), std::abs(c.blue - t[2])});
      if (withAlpha) worst = std::max(worst, std::abs(c.alpha - t[3]));
      if (worst > 0) ++m.pixels;
      m.worst = std::max(m.worst, worst);
    }
  return m;
}

std::vector<fs::path> bmpFiles(const fs::path& dir) {
  std::vector<fs::path> out;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.path().extension() == ".bmp") out.push_back(e.path());
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace

// Files judged by ImageMagick's rendering instead of Pillow, with the tolerance of its channel
// scaling (-1: not compared). Pillow 9.4 misreads the RLE ones (one index a byte in RLE4
// absolute runs; it loses its place after a delta) and refuses the others (bit-field layouts it
// does not know, 16-byte OS/2 and 52/56-byte headers). ImageMagick rounds 11-bit channels where
// we keep their top 8 bits, and shifts channels of 1 to 4 bits up (4-bit 15 reads 240) where we
// widen them to 255.
constexpr std::pair<const char*, int> kJudgedByImageMagick[] = {
    {"pal4rle.bmp", 0},  {"pal4rletrns.bmp", 0},  {"pal8rletrns.bmp", 0},  {"rgb32bf.bmp", 0},
    {"rgba32.bmp", 0},   {"rgb32h52.bmp", 0},     {"rgba32h56.bmp", 0},    {"pal8os2v2-16.bmp", 0},
    {"rgb32-111110.bmp", 1}, {"rgb16-231.bmp", -1}, {"rgba16-4444.bmp", -1},
};

TEST(BmpCorpus, SuitesAgreeWithPillowOrImageMagick) {
  VEXILO_REQUIRE_SHARED();
  VEXILO_REQUIRE_PILLOW();
  const fs::path root = vexilo::test::sharedDir() / "corpus" / "bmp";
  const fs::path expected = vexilo::test::sharedDir() / "corpus" / "expected" / "bmp";
  int compared = 0;
  for (const char* sub : {"suite-g", "suite-q"}) {
    for (const fs::path& path : bmpFiles(root / sub)) {
      const std::string name = path.filename().string();
      SCOPED_TRACE(name);
      const ByteBuffer file = vexilo::test::readFile(path);
      const auto ours = decodeBmp(file);
      std::optional<int> magick;
      for (const auto& [judged, tolerance] : kJudgedByImageMagick)
        if (name == judged) magick = tolerance;
      if (magick && *magick < 0) continue;
      const fs::path reference =
          expected / (std::string(sub) + "__" + path.stem().string() + ".im6.png");
      const auto theirs = vexilo::test::decodeWithPillow(magick ? reference : path);
      if (!theirs) continue;
      ASSERT_TRUE(ours.ok()) << ours.error().what;
      ASSERT_EQ(ours->width(), theirs->width);
      ASSERT_EQ(ours->height(), theirs->height);
      // Pillow drops the fourth byte of BI_RGB 32-bit pixels, and ImageMagick makes up alpha
      // for bit fields without an alpha mask. Pillow widens 5- and 6-bit channels by rounding
      // down, within 1 of the bit replication of Bitmap::pixel.
      const bool rgb32 =
          readLE32(&file[14]) >= 40 && readLE16(&file[28]) == 32 && readLE32(&file[30]) == 0;
      const bool sixteen =
          ours->format() == PixelFormat::Bits15 || ours->format() == PixelFormat::Bits16;
      const Mismatch m = compare(*ours, *theirs, !magick && !rgb32);
      EXPECT_LE(m.worst, magick ? *magick : sixteen ? 1 : 0) << m.pixels << " pixels differ";
      ++compared;
    }
  }
  EXPECT_GE(compared, 39);

  // Files no other decoder here reads, each the same picture as one compared above.
  for (const auto& [name, twin] : {std::pair{"suite-q/rgba32abf.bmp", "suite-q/rgba32.bmp"},
                                   std::pair{"suite-q/pal8oversizepal.bmp", "suite-g/pal8.bmp"}}) {
    const Bitmap a = decoded(vexilo::test::readFile(root / name));
    const Bitmap b = decoded(vexilo::test::readFile(root / twin));
    ASSERT_EQ(a.width() * a.height(), b.width() * b.height()) << name;
    int differ = 0;
    for (int y = 0; y < a.height(); ++y)
      for (int x = 0; x < a.width(); ++x) differ += a.pixel(x, y) != b.pixel(x, y);
    EXPECT_EQ(differ, 0) << name;
  }
}

TEST(BmpCorpus, BadFilesAreRefusedOrReadCleanly) {
  VEXILO_REQUIRE_SHARED();
  // Refused: impossible depth, header size, width, size, and a file cut inside its pixels.
  // The rest are damaged in fields the reader ignores or clips (planes, densities, file and
  // image sizes, palette count, RLE running off the picture, indices past the table).
  const std::vector<std::string> refused{"badbitcount.bmp", "badheadersize.bmp", "badwidth.bmp",
                                         "reallybig.bmp", "shortfile.bmp"};
  for (const fs::path& path : bmpFiles(vexilo::test::sharedDir() / "corpus" / "bmp" / "suite-b")) {
    const auto r = decodeBmp(vexilo::test::readFile(path));
    const bool expectRefused =
        std::find(refused.begin(), refused.end(), path.filename().string()) != refused.end();
    EXPECT_EQ(r.ok(), !expectRefused) << path.filename() << (r ? "" : ": " + r.error().what);
    if (r) {
      EXPECT_EQ(r->width() * r->height(), 127 * 64) << path.filename();
    }
  }
}

TEST(BmpCorpus, OtherProgramsSamples) {
  VEXILO_REQUIRE_SHARED();
  VEXILO_REQUIRE_PILLOW();
  const struct {
    const char* file;
    PixelFormat format;
    int size;
  } samples[] = {
      {"peer_magick_1bit.bmp", PixelFormat::Bits1, 32},
      {"peer_magick_4bit.bmp", PixelFormat::Bits4, 32},
      {"peer_magick_8bit.bmp", PixelFormat::Bits8, 48},  // RLE8
      {"peer_magick_24bit.bmp", PixelFormat::Bits24, 48},
      // Despite its name ImageMagick wrote this one as 32-bit V5 bit fields with alpha.
      {"peer_magick_16bit_565.bmp", PixelFormat::Bits32, 16},
      {"peer_magick_32bit_v5.bmp", PixelFormat::Bits32, 128},
  };
  for (const auto& s : samples) {
    const fs::path path = vexilo::test::sharedDir() / "samples" / s.file;
    const auto ours = decodeBmp(vexilo::test::readFile(path));
    ASSERT_TRUE(ours.ok()) << s.file << ": " << ours.error().what;
    EXPECT_EQ(ours->format(), s.format) << s.file;
    EXPECT_EQ(ours->width(), s.size) << s.file;
    EXPECT_EQ(ours->height(), s.size) << s.file;
    const auto pillow = vexilo::test::decodeWithPillow(path);
    ASSERT_TRUE(pillow) << s.file;
    EXPECT_EQ(compare(*ours, *pillow, true).worst, 0) << s.file;
  }
}
