// The BMP reader and writer: hand-made files of every variant, byte-exact output, round trips,
// damaged files, and the BMP Suite and other programs' files against Pillow and ImageMagick.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>

#include "core/bmp_codec.h"
#include "support/oracle.h"

using namespace vexilo::core;
namespace fs = std::filesystem;
namespace test = vexilo::test;

namespace {

// The fields of a 40-byte info header (cut or padded to `headerSize`); `masks` are written at
// offset 40 of the header, where headers of 52 bytes and more keep them.
struct Info {
  std::int32_t width, height;
  std::uint16_t bits;
  std::uint32_t compression = 0, coloursUsed = 0, headerSize = 40;
  std::vector<std::uint32_t> masks = {};
};

// A whole file: file header, info header, `extra` (masks after the header, colour table), pixels.
ByteBuffer bmpFile(const Info& in, const ByteBuffer& extra, const ByteBuffer& pixels) {
  ByteBuffer f{'B', 'M'};
  const auto offset = static_cast<std::uint32_t>(14 + in.headerSize + extra.size());
  for (std::uint32_t v : {offset + std::uint32_t(pixels.size()), 0u, offset, in.headerSize, std::uint32_t(in.width),
                          std::uint32_t(in.height), 1u | std::uint32_t(in.bits) << 16, in.compression, 0u, 2834u,
                          2834u, in.coloursUsed, 0u})
    appendLE32(f, v);
  for (std::uint32_t m : in.masks) appendLE32(f, m);
  f.resize(14 + in.headerSize, 0);
  f.insert(f.end(), extra.begin(), extra.end());
  f.insert(f.end(), pixels.begin(), pixels.end());
  return f;
}

ByteBuffer words(std::vector<std::uint32_t> values) {
  ByteBuffer out;
  for (std::uint32_t v : values) appendLE32(out, v);
  return out;
}

Bitmap decoded(const ByteBuffer& file) {
  auto r = decodeBmp(file);
  return r.ok() ? *r : Bitmap();
}

std::vector<Bgra> pixels(const Bitmap& b) {
  std::vector<Bgra> out;
  for (int y = 0; y < b.height(); ++y)
    for (int x = 0; x < b.width(); ++x) out.push_back(b.pixel(x, y));
  return out;
}

// Index i of the table is (i, i, i).
const ByteBuffer kGreyTable = words({0, 0x10101, 0x20202, 0x30303, 0x40404, 0x50505, 0x60606, 0x70707, 0x80808, 0x90909});
std::vector<Bgra> greys(std::initializer_list<std::uint8_t> levels) {
  std::vector<Bgra> out;
  for (std::uint8_t v : levels) out.push_back({v, v, v, 255});
  return out;
}

// RLE8, 4 x 3: a run of 3, end of line, an absolute run of 3 (padded), a delta of
// one row, a run of 2 of which one falls outside, end of bitmap.
const ByteBuffer kRle8Stream{3, 5, 0, 0, 0, 3, 7, 8, 9, 0, 0, 2, 0, 1, 2, 4, 0, 1, 1, 6};
// RLE4, 5 x 2: an alternating run, end of line, absolute runs of 3 and 5 nibbles (clipped),
// then the data stops without an end-of-bitmap code.
const ByteBuffer kRle4Stream{5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 0, 5, 0x67, 0x89, 0xA0, 0};
const ByteBuffer kV5File = bmpFile({1, 1, 32, 3, 0, 124, {0xFFE00000, 0x001FFC00, 0x3FC, 0x3}}, {}, {0x4A, 0, 0xF0, 0xFF});

}  // namespace

TEST(BmpWrite, OneBitLayoutWorkedOutByHand) {
  Bitmap b(2, 2, PixelFormat::Bits1);  // 0 white, 1 black
  b.setIndex(0, 0, 1);
  b.setIndex(1, 1, 1);
  const ByteBuffer expected{'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 62, 0, 0, 0,         // file header
                            40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0,  // 2 x 2, 1 bit, BI_RGB
                            8, 0, 0, 0, 0x12, 0x0B, 0, 0, 0x12, 0x0B, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                            0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0,  // white, black
                            0x40, 0, 0, 0, 0x80, 0, 0, 0};    // bottom row first
  EXPECT_EQ(encodeBmp(b), expected);
  EXPECT_EQ(decoded(expected), b);
}

// Cases the corpus does not settle: compared there without alpha, or read but not compared.
TEST(BmpRead, HandMadeVariants) {
  const struct {
    const char* what;
    ByteBuffer file;
    PixelFormat format;
    std::vector<Bgra> pixels;  // rows top-down
  } cases[] = {
      {"4-bit, three colours, a garbage nibble past the width; the rest of the table black",
       bmpFile({3, 2, 4, 0, 3}, {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0}, {0x31, 0x20, 0, 0, 0x21, 0x0F, 0, 0}),
       PixelFormat::Bits4, {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {0, 0, 0, 255}, {0, 255, 0, 255}, {255, 0, 0, 255}}},
      {"RLE8 top-down: run, end of line, padded absolute run, delta, clipped run",
       bmpFile({4, -3, 8, 1, 10}, kGreyTable, kRle8Stream), PixelFormat::Bits8, greys({5, 5, 5, 0, 7, 8, 9, 0, 0, 0, 0, 4})},
      {"RLE4: alternating run, absolute runs of 3 and 5 (clipped), no end code",
       bmpFile({5, 2, 4, 2, 10}, kGreyTable, kRle4Stream), PixelFormat::Bits4, greys({3, 4, 5, 6, 7, 1, 2, 1, 2, 1})},
      {"32-bit BI_RGB keeps the fourth byte as alpha, as icons store it", bmpFile({1, 1, 32}, {}, {0x10, 0x20, 0x30, 0x40}),
       PixelFormat::Bits32, {{0x10, 0x20, 0x30, 0x40}}},
      {"4-4-4-4 with alpha in a 56-byte header: 32-bit, every channel widened",
       bmpFile({2, 1, 16, 3, 0, 56, {0x0F00, 0x00F0, 0x000F, 0xF000}}, {}, {0x31, 0x8F, 0, 0}), PixelFormat::Bits32,
       {{0x11, 0x33, 0xFF, 0x88}, {0, 0, 0, 0}}},
      {"V5 11-11-8-2: the 2-bit alpha widened, 1024 of 2047 is 128", kV5File, PixelFormat::Bits32, {{0x12, 0x80, 0xFF, 0xAA}}},
      {"10-10-10: 3, 513 and 7 of 1023 round to 1, 128 and 2",
       bmpFile({1, 1, 32, 3}, words({0x3FF00000, 0xFFC00, 0x3FF}), {7, 4, 0x38, 0}), PixelFormat::Bits32, {{2, 128, 1, 255}}},
  };
  for (const auto& c : cases) {
    const Bitmap b = decoded(c.file);
    EXPECT_EQ(b.format(), c.format) << c.what;
    EXPECT_EQ(pixels(b), c.pixels) << c.what;
  }
  EXPECT_EQ(decoded(cases[0].file).row(0)[1], 0x00);  // bits past the width are 0 in the picture
}

TEST(BmpRoundTrip, EveryFormatAndOddWidths) {
  std::mt19937 rng(7);
  auto byte = [&] { return static_cast<std::uint8_t>(rng()); };
  for (int f = 1; f <= 7; ++f)
    for (int width : {1, 3, 5, 17}) {
      const auto format = static_cast<PixelFormat>(f);
      Palette palette;
      for (int i = 0; isIndexed(format) && i < (1 << bitsPerPixel(format)); ++i) palette.push_back({byte(), byte(), byte()});
      Bitmap b(width, 3, format, palette);
      for (int y = 0; y < 3; ++y)
        for (int x = 0; x < width; ++x)
          isIndexed(format) ? b.setIndex(x, y, byte()) : b.setPixel(x, y, {byte(), byte(), byte(), byte()});
      const ByteBuffer file = encodeBmp(b);
      EXPECT_EQ(readLE32(&file[2]), file.size());
      EXPECT_EQ(decoded(file), b) << "format " << f << " width " << width;
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
  const std::pair<const char*, ByteBuffer> cases[] = {
      {"signature", patched(0, 'B' | 'A' << 8, 2)}, {"pixel offset past the end", patched(10, 71)},
      {"pixel offset inside the headers", patched(10, 40)},
      {"pixel data short", ByteBuffer(good.begin(), good.end() - 1)}, {"header size", patched(14, 41)},
      {"header cut short", ByteBuffer(good.begin(), good.begin() + 30)},
      {"negative width", patched(18, std::uint32_t(-2))}, {"huge width", patched(18, 40000)},
      {"too many pixels", bmpFile({20000, 20000, 1}, {0, 0, 0, 0, 0, 0, 0, 0}, {})}, {"zero height", patched(22, 0)},
      {"minimal height", patched(22, std::uint32_t(INT_MIN))}, {"bit count 3", patched(28, 3, 2)},
      {"bit count 0 (JPEG)", patched(28, 0, 2)}, {"RLE8 at 4 bits", bmpFile({2, 2, 4, 1, 1}, {0, 0, 0, 0}, {0, 1})},
      {"RLE4 at 8 bits", bmpFile({2, 2, 8, 2, 1}, {0, 0, 0, 0}, {0, 1})},
      {"bit fields at 24 bits", bmpFile({1, 1, 24, 3}, words({0xFF, 0xFF00, 0xFF0000}), {0, 0})},
      {"scattered mask", bmpFile({1, 1, 32, 3}, words({0xF0F, 0xF000, 0xFF0000}), {0, 0, 0, 0})},
      {"JPEG compression", bmpFile({1, 1, 24, 4}, {}, {0, 0, 0, 0})},
      {"PNG compression", bmpFile({1, 1, 24, 5}, {}, {0, 0, 0, 0})},
      {"unknown compression", bmpFile({1, 1, 24, 7}, {}, {0, 0, 0, 0})},
      {"OS/2 Huffman", bmpFile({1, 1, 1, 3, 0, 64}, {0, 0, 0, 0, 0, 0, 0, 0}, {0, 0})},
      {"colour table past the end", bmpFile({1, 1, 8, 0, 200}, {}, {0, 0, 0, 0})},
  };
  for (const auto& [what, file] : cases) {
    const auto r = decodeBmp(file);
    EXPECT_TRUE(!r.ok() && r.error().offset <= file.size()) << what;
  }
}

// Files judged by ImageMagick's rendering instead of Pillow, with the tolerance of its channel
// scaling (-1: not compared). Pillow 9.4 misreads the RLE ones (one index a byte in RLE4
// absolute runs; it loses its place after a delta) and refuses the others (bit-field layouts it
// does not know, 16-byte OS/2 and 52/56-byte headers). ImageMagick shifts channels of 1 to 4
// bits up (4-bit 15 reads 240) where we widen them to 255, and puts some levels of channels
// wider than 8 bits one below the nearest, which we take.
constexpr std::pair<const char*, int> kJudgedByImageMagick[] = {
    {"pal4rle.bmp", 0},   {"pal4rletrns.bmp", 0}, {"pal8rletrns.bmp", 0},      {"rgb32bf.bmp", 0},
    {"rgba32.bmp", 0},    {"rgb32h52.bmp", 0},    {"rgba32h56.bmp", 0},        {"pal8os2v2-16.bmp", 0},
    {"rgb32-111110.bmp", 1}, {"rgb16-231.bmp", -1}, {"rgba16-4444.bmp", -1},
};

TEST(BmpCorpus, SuitesAgreeWithPillowOrImageMagick) {
  VEXILO_REQUIRE_SHARED();
  VEXILO_REQUIRE_PILLOW();
  const fs::path root = test::sharedDir() / "corpus" / "bmp", expected = test::sharedDir() / "corpus" / "expected" / "bmp";
  int compared = 0;
  // The BMP Suite, other programs' test files, and the samples ImageMagick wrote.
  for (const fs::path& dir : {root / "suite-g", root / "suite-q", root, test::sharedDir() / "samples"})
    for (const auto& e : fs::directory_iterator(dir)) {
      const std::string name = e.path().filename().string();
      if (e.path().extension() != ".bmp") continue;
      SCOPED_TRACE(name);
      const ByteBuffer file = test::readFile(e.path());
      const auto ours = decodeBmp(file);
      std::optional<int> magick;
      for (const auto& [judged, tolerance] : kJudgedByImageMagick)
        if (name == judged) magick = tolerance;
      if (magick && *magick < 0) continue;
      const auto theirs = test::decodeWithPillow(
          magick ? expected / (dir.filename().string() + "__" + e.path().stem().string() + ".im6.png") : e.path());
      if (!theirs) continue;
      ASSERT_TRUE(ours.ok()) << ours.error().what;
      ASSERT_TRUE(ours->width() == theirs->width && ours->height() == theirs->height);
      // Pillow drops the fourth byte of BI_RGB 32-bit pixels, and ImageMagick makes up alpha
      // for bit fields without an alpha mask. Pillow widens 5- and 6-bit channels by rounding
      // down, within 1 of the bit replication of Bitmap::pixel.
      const bool rgb32 = readLE32(&file[14]) >= 40 && readLE16(&file[28]) == 32 && readLE32(&file[30]) == 0;
      const bool sixteen = ours->format() == PixelFormat::Bits15 || ours->format() == PixelFormat::Bits16;
      const bool alpha = !magick && !rgb32;
      int worst = 0, off = 0;
      for (int y = 0; y < ours->height(); ++y)
        for (int x = 0; x < ours->width(); ++x) {
          const Bgra c = ours->pixel(x, y);
          const std::uint8_t* t = theirs->at(x, y);
          for (int d : {c.red - t[0], c.green - t[1], c.blue - t[2], alpha ? c.alpha - t[3] : 0}) {
            worst = std::max(worst, std::abs(d));
            off += d != 0;
          }
        }
      EXPECT_LE(worst, magick ? *magick : sixteen ? 1 : 0);
      // ImageMagick's 16-bit quantum puts some wide-channel levels one below the nearest.
      EXPECT_TRUE(magick != 1 || off * 16 <= 3 * ours->width() * ours->height()) << off << " channel values off";
      ++compared;
    }
  EXPECT_GE(compared, 50);
  // Files no other decoder here reads, each the same picture as one compared above.
  for (const auto& [name, twin] : {std::pair{"suite-q/rgba32abf.bmp", "suite-q/rgba32.bmp"},
                                   std::pair{"suite-q/pal8oversizepal.bmp", "suite-g/pal8.bmp"}})
    EXPECT_TRUE(pixels(decoded(test::readFile(root / name))) == pixels(decoded(test::readFile(root / twin)))) << name;
}
