// The single icon elements: type lookup, bitmap files built from element data, 32-bit channel
// decoding and mask pairing, raw element files (against libicns' decodes of the corpus), and
// the encoders. Round trips of the encoders and their reading by Pillow and libicns are in
// icns_test.cpp, through the family writer that calls them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "core/bmp_codec.h"
#include "core/palettes.h"
#include "mac/icon_elements.h"
#include "support/icns_builder.h"
#include "support/shared_data.h"
#include "support/temp_dir.h"

using namespace vexilo;
using namespace vexilo::test;
using core::Bgra;
using core::Bitmap;
using core::ByteBuffer;
using core::Bytes;
using core::PixelFormat;
using core::SlotId;
namespace fs = std::filesystem;

namespace {

constexpr int kDepth8 = core::depthOrdinal(PixelFormat::Bits8);

const mac::IconType& typeOf(std::string_view code) {
  return mac::iconTypeTable().at(static_cast<std::size_t>(mac::elementTypeIndex(code)));
}

// Opens a raw element file the way the open command does: loader and size from the extension.
void openRaw(core::CommandContext& ctx, const fs::path& file) {
  const mac::IconType& t = typeOf(file.extension().string().substr(1));
  if (t.depth == 1) mac::readPairFile(ctx, file, t.width, t.height);
  else if (t.depth == -8) mac::readMaskFile(ctx, file, t.width, t.height);
  else mac::readPlaneFile(ctx, file, t.width, t.height, t.depth);
}

}  // namespace

// --- Type lookup and bitmap files -----------------------------------------------------------

TEST(IconElementsTable, LookupIsByTheExactFourByteCode) {
  for (const mac::IconType& t : mac::iconTypeTable())
    EXPECT_EQ(mac::elementTypeIndex(std::string_view(t.code.data(), 4)), t.index);
  EXPECT_EQ(mac::elementTypeIndex("icns"), 0);
  for (const char* code : {"icn#", "IS32", "ic08", "icl", "icl8x", ""})
    EXPECT_EQ(mac::elementTypeIndex(code), -1) << code;
}

TEST(IconElementsBitmapFile, OneBitHeaderAndPaddedRowsByteExact) {
  ByteBuffer plane(32);
  for (std::size_t i = 0; i < plane.size(); ++i) plane[i] = static_cast<std::uint8_t>(i + 1);
  ByteBuffer expected = {'B', 'M'};  // 54 + 8 + 16 rows of 4 bytes = 126
  for (std::uint32_t v : {126u, 0u, 62u, 40u, 16u, std::uint32_t(-16)})
    core::appendLE32(expected, v);
  core::appendLE16(expected, 1);
  core::appendLE16(expected, 1);
  for (std::uint32_t v : {0u, 0u, 2834u, 2834u, 0u, 0u}) core::appendLE32(expected, v);
  append(expected, {0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00});
  for (std::size_t y = 0; y < 16; ++y) append(expected, {plane[y * 2], plane[y * 2 + 1], 0, 0});
  EXPECT_EQ(mac::buildBitmapFile(plane, 16, 16, 1), expected);

  // 48 pixels: 6 bytes a row and 2 of padding.
  const ByteBuffer wide = mac::buildBitmapFile(ByteBuffer(288, 0xA5), 48, 48, 1);
  ASSERT_EQ(wide.size(), 62u + 48 * 8);
  EXPECT_EQ(ByteBuffer(wide.begin() + 67, wide.begin() + 71), (ByteBuffer{0xA5, 0, 0, 0xA5}));
}

TEST(IconElementsBitmapFile, DecodesToTheElementPixelsAShortSourcePaddedWithZeros) {
  std::mt19937 rng(7);
  const struct {
    int width, height, depth;
    PixelFormat format;
    const core::Palette& palette;
  } cases[] = {{48, 48, 1, PixelFormat::Bits1, core::monoPalette()},
               {32, 32, 4, PixelFormat::Bits4, core::macPalette16()},
               {16, 12, 8, PixelFormat::Bits8, core::macPalette256()},
               {16, 12, -8, PixelFormat::Bits8, core::greyPalette()}};
  for (const auto& c : cases) {
    const int bits = std::abs(c.depth);
    const std::size_t rowBytes = std::size_t(c.width) * bits / 8;
    ByteBuffer src(rowBytes * c.height);
    for (auto& v : src) v = static_cast<std::uint8_t>(rng());
    for (std::size_t given : {src.size(), std::size_t(10)}) {  // 10: within the second row
      SCOPED_TRACE(testing::Message() << "depth " << c.depth << ", " << given << " bytes");
      const Bytes source = Bytes(src).first(given);
      const auto pic = core::decodeBmp(mac::buildBitmapFile(source, c.width, c.height, c.depth));
      ASSERT_TRUE(pic);
      EXPECT_EQ(pic->format(), c.format);
      EXPECT_EQ(pic->palette(), c.palette);
      ASSERT_EQ(pic->height(), c.height);
      for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
          const std::size_t at = y * rowBytes + std::size_t(x) * bits / 8;
          const int shift = 8 - bits - x * bits % 8;
          const int want = at < given ? (src[at] >> shift) & ((1 << bits) - 1) : 0;
          ASSERT_EQ(pic->index(x, y), want) << x << "," << y;
        }
    }
  }
  ByteBuffer src(128 * 128 * 4);
  for (auto& v : src) v = static_cast<std::uint8_t>(rng());
  const auto pic = core::decodeBmp(mac::buildBitmapFile(src, 128, 128, 32));  // no colour table
  ASSERT_TRUE(pic);
  EXPECT_EQ(pic->format(), PixelFormat::Bits32);
  EXPECT_EQ(pic->data(), src);
  EXPECT_EQ(mac::buildBitmapFile(src, 16, 16, 32).size(), 54u + 1024);
  EXPECT_TRUE(mac::buildBitmapFile(src, 16, 16, 2).empty());
}

TEST(IconElementsBitmapFile, PillowReadsTheSameColours) {
  VEXILO_REQUIRE_PILLOW();
  ByteBuffer src(128 * 128 * 4);
  for (std::size_t i = 0; i < src.size(); ++i) src[i] = static_cast<std::uint8_t>(i * 37 + i / 7);
  TempDir dir;
  for (auto [size, depth] : {std::pair{48, 1}, {16, 4}, {32, 8}, {16, -8}, {128, 32}}) {
    const ByteBuffer file = mac::buildBitmapFile(src, size, size, depth);
    writeFile(dir / "x.bmp", file);
    const auto ref = decodeWithPillow(dir / "x.bmp");
    ASSERT_TRUE(ref) << depth;
    // Pillow drops the fourth byte of 32-bit pixels: alpha is compared at the other depths.
    EXPECT_TRUE(sameRgba(*core::decodeBmp(file), *ref, depth != 32)) << depth;
  }
}

// --- 32-bit channels and masks --------------------------------------------------------------

TEST(IconElementsRle32, PlanesGoToRedGreenBlueWithOpaqueAlpha) {
  // Red: a run of 3; green: literals; blue: a run of 3.
  const ByteBuffer coded{0x80, 0x10, 0x02, 0x21, 0x22, 0x23, 0x80, 0x30};
  EXPECT_EQ(mac::decodeRle32(coded, 3),
            (ByteBuffer{0x30, 0x21, 0x10, 255, 0x30, 0x22, 0x10, 255, 0x30, 0x23, 0x10, 255}));
  // Missing channels leave zeros.
  EXPECT_EQ(mac::decodeRle32(ByteBuffer{0x80, 0x10}, 3),
            (ByteBuffer{0, 0, 0x10, 255, 0, 0, 0x10, 255, 0, 0, 0x10, 255}));
  EXPECT_TRUE(mac::decodeRle32(coded, 0).empty());
}

TEST(IconElementsRle32, EveryPrefixAndGarbageDecodesWithinBounds) {
  core::IconSet board;
  board.offerBitmap(SlotId::ic32, pattern(32, 8));  // its last blue value is not 0
  ByteBuffer maskPlane;
  const ByteBuffer coded = mac::encodeElement32(board, SlotId::ic32, std::nullopt, 32, maskPlane);
  const ByteBuffer full = mac::decodeRle32(coded, 1024);
  ASSERT_EQ(full, ByteBuffer(board.slot(SlotId::ic32).picture->data()));
  for (std::size_t len = 0; len < coded.size(); ++len) {
    const ByteBuffer part = mac::decodeRle32(Bytes(coded).first(len), 1024);
    ASSERT_EQ(part.size(), 4096u);
    // A cut leaves values unwritten (0) but never misplaces one.
    for (std::size_t i = 0; i < part.size(); ++i)
      ASSERT_TRUE(part[i] == full[i] || part[i] == 0) << "prefix " << len << " byte " << i;
    ASSERT_NE(part, full) << "prefix " << len;
  }
  std::mt19937 rng(99);
  for (int trial = 0; trial < 200; ++trial) {
    ByteBuffer garbage(std::uniform_int_distribution<std::size_t>(0, 3000)(rng));
    for (auto& b : garbage) b = static_cast<std::uint8_t>(rng());
    const ByteBuffer pixels = mac::decodeRle32(garbage, 2304);
    ASSERT_EQ(pixels.size(), 2304u * 4);
    for (std::size_t i = 0; i < 2304; ++i) ASSERT_EQ(pixels[i * 4 + 3], 255);
  }
}

TEST(IconElementsMask, TheNextElementOrASearchedOneGivesTheAlpha) {
  ByteBuffer ramp(256);
  for (std::size_t i = 0; i < 256; ++i) ramp[i] = static_cast<std::uint8_t>(i);
  const ByteBuffer image = record("is32", ByteBuffer{1, 2, 3});
  const ByteBuffer il32 = record("il32", ByteBuffer(10, 1));
  // The mask before the image, an element after it where `next` points.
  auto before = [&](std::string_view type) {
    return concat({record(type, ramp), image, record("ics8", {4})});
  };
  const std::size_t next = 264 + image.size();
  ByteBuffer cut = record("l8mk", ByteBuffer(1024, 7));
  cut.resize(8 + 100);
  ByteBuffer tiny = {'l', '8', 'm', 'k', 0, 0, 0, 3};  // a length below 8
  tiny.resize(40, 0);
  auto none = [](std::size_t n) { return ByteBuffer(n, 0xEE); };
  const struct {
    const char* what;
    ByteBuffer range;
    std::size_t next, n;
    ByteBuffer alpha;
  } cases[] = {
      {"right after the image", concat({image, record("s8mk", ramp)}), image.size(), 256, ramp},
      {"before, searched", before("s8mk"), next, 256, ramp},
      {"right after, before it another", concat({record("s8mk", ByteBuffer(256, 0)), image,
       record("s8mk", ramp)}), next, 256, ramp},
      {"searched, any case", before("S8MK"), next, 256, ramp},
      {"searched, mixed case", before("s8Mk"), next, 256, ramp},
      {"a false start first", concat({image, ByteBuffer{'s', '8', 'm', 's'}, record("s8mk", ramp)}),
       image.size(), 256, ramp},
      {"no mask", il32, 18, 1024, none(1024)},
      {"the wrong size's mask", record("s8mk", ByteBuffer(1024, 0)), 18, 1024, none(1024)},
      {"a header cut short", concat({il32, {'l', '8', 'm', 'k', 0, 0}}), 18, 1024, none(1024)},
      {"no mask type for the count", record("l8mk", ByteBuffer(1024, 0)), 0, 1000, none(1000)},
      {"longer than the picture", record("m8mk", ByteBuffer(500, 9)), 0, 192, ByteBuffer(192, 9)},
      {"length beyond the range", cut, 0, 1024, concat({ByteBuffer(100, 7), none(924)})},
      {"length below 8", tiny, 0, 1024, none(1024)},
      {"next past the end", record("l8mk", ByteBuffer(1024, 1)), 5000, 1024, ByteBuffer(1024, 1)},
  };
  for (const auto& c : cases) {
    ByteBuffer pixels(c.n * 4, 0xEE);
    mac::applyElementMask(c.range, c.next, pixels, c.n);
    ByteBuffer alpha;
    for (std::size_t i = 0; i < c.n; ++i) {
      alpha.push_back(pixels[i * 4 + 3]);
      ASSERT_EQ(core::readLE32(&pixels[i * 4]) & 0xFFFFFF, 0xEEEEEEu) << c.what << ": colour kept";
    }
    EXPECT_EQ(alpha, c.alpha) << c.what;
  }
}

// --- Raw element files ----------------------------------------------------------------------

TEST(IconElementsRawFiles, CorpusFilesMatchLibicns) {
  VEXILO_REQUIRE_SHARED();
  VEXILO_REQUIRE_PILLOW();
  const fs::path corpus = sharedDir() / "corpus";
  // Files and their references under expected/.
  std::vector<std::pair<std::string, std::string>> cases = {
      {"rust-icns_icm4.icm4", "icns/rust-icns_icm4/libicns/rust-icns_icm4_16x12x4.png"},
      {"rust-icns_icm8.icm8", "icns/rust-icns_icm8/libicns/rust-icns_icm8_16x12x8.png"},
      {"rust-icns_icm_hash.icm#",
       "icns/rust-icns_icm_hash/libicns/rust-icns_icm_hash_16x12x1.png"}};
  for (std::string stem : {"Desktop_id4238", "SerialPortArbitrator_id128"}) {
    const std::string dir = stem[0] == 'D' ? "Desktop/id4238" : "Serial_Port_Arbitrator/id128";
    for (auto [ext, size] : {std::pair{"ICN#", "32x32x1"}, {"icl4", "32x32x4"}, {"icl8", "32x32x8"},
                             {"ics#", "16x16x1"}, {"ics4", "16x16x4"}, {"ics8", "16x16x8"}})
      cases.emplace_back("apple1991_" + stem + "." + ext,
                         "rsrc/apple1991_" + dir + "/" + size + ".png");
  }
  for (auto [colour, mask, size] : {std::tuple{"is32", "s8mk", "16x16"}, {"il32", "l8mk", "32x32"},
                                    {"ih32", "h8mk", "48x48"}, {"it32", "t8mk", "128x128"}})
    for (std::string ext : {colour, mask})
      cases.emplace_back("icnscvt_sample." + ext, "raw/icnscvt_sample_" + std::string(colour) +
                                                      "+" + mask + "/" + size + "x32.png");

  for (const auto& [name, reference] : cases) {
    SCOPED_TRACE(name);
    Session o;
    openRaw(o.ctx, corpus / "raw" / name);
    EXPECT_TRUE(o.prompter.infos.empty());
    const auto ref = decodeWithPillow(corpus / "expected" / reference);
    ASSERT_TRUE(ref);
    const int depth = typeOf(fs::path(name).extension().string().substr(1)).depth;
    const SlotId colour = colourSlot(ref->height), mask = maskSlot(ref->height);
    if (depth == -8) {  // an 8-bit grey picture: index = level = libicns' alpha
      ASSERT_EQ(o.depth(mask), kDepth8);
      EXPECT_EQ(o.picture(mask).palette(), core::greyPalette());
      EXPECT_TRUE(sameRgba(o.picture(mask), alphaAsMask(*ref, false)));
      EXPECT_FALSE(o.board.slot(colour).filled());
      continue;
    }
    const PixelFormat format = depth == 1 ? PixelFormat::Bits1 : depth == 4 ? PixelFormat::Bits4
                             : depth == 8 ? PixelFormat::Bits8 : PixelFormat::Bits32;
    EXPECT_EQ(o.depth(colour), core::depthOrdinal(format));
    EXPECT_TRUE(sameRgba(o.picture(colour), *ref, false));
    if (depth == 1) {  // libicns gives the mask plane as alpha
      EXPECT_EQ(o.depth(mask), 1);
      EXPECT_TRUE(sameRgba(o.picture(mask), alphaAsMask(*ref, true)));
    }
  }
}

TEST(IconElementsRawFiles, PairFilesFillTheSizedSlotsOnly) {
  TempDir dir;
  // An ICN# whose image is all black and whose mask is empty but for the first row.
  ByteBuffer pair(256, 0);
  std::fill(pair.begin(), pair.begin() + 132, 0xFF);
  writeFile(dir / "x.icn#", pair);
  Session o;
  mac::readPairFile(o.ctx, dir / "x.icn#", 32, 32);
  EXPECT_EQ(o.depth(SlotId::ic32), 1);
  EXPECT_EQ(o.depth(SlotId::im32), 1);
  EXPECT_FALSE(o.board.slot(SlotId::icNB).filled());
  EXPECT_FALSE(o.board.slot(SlotId::imNB).filled());
  EXPECT_EQ(o.picture(SlotId::im32).pixel(31, 0), core::kBlack);
  EXPECT_EQ(o.picture(SlotId::im32).pixel(0, 1), core::kWhite);
  EXPECT_EQ(o.picture(SlotId::ic32).pixel(5, 5), core::kBlack);

  // A short 16x12 pair: the image's first row only, the rest (and the mask) zero; both halves
  // go onto the 16-pixel pasteboard.
  writeFile(dir / "short.icm#", ByteBuffer{0x80, 0x01});
  Session p;
  mac::readPairFile(p.ctx, dir / "short.icm#", 16, 12);
  const Bitmap& image = p.picture(SlotId::ic12);
  EXPECT_EQ(image.height(), 16);
  for (auto [x, y, red] : {std::tuple{0, 0, 0}, {1, 0, 255}, {15, 0, 0}, {0, 1, 255}})
    EXPECT_EQ(image.pixel(x, y).red, red) << x << "," << y;
  EXPECT_EQ(p.picture(SlotId::im12).pixel(0, 0), core::kWhite);
  EXPECT_EQ(p.board.cursor(SlotId::PB16).count, 2);
}

TEST(IconElementsRawFiles, ThirtyTwoBitFilesAreRawAlphaRedGreenBlueOrCoded) {
  ByteBuffer argb;
  for (int i = 0; i < 1024; ++i) append(argb, {i % 3 == 0 ? 0x80 : 0xFF, 0x11, i, 0x33});
  Session o;
  mac::storePlaneBytes(o.board, argb, 32, 32, 32);
  EXPECT_EQ(o.picture(SlotId::ic32).pixel(0, 0), (Bgra{0x33, 0, 0x11, 0x80}));
  EXPECT_EQ(o.picture(SlotId::ic32).pixel(1, 0), (Bgra{0x33, 1, 0x11, 0xFF}));
  EXPECT_EQ(o.picture(SlotId::ic32).pixel(31, 31), (Bgra{0x33, 0xFF, 0x11, 0x80}));  // pixel 1023

  // Shorter than four bytes a pixel: coded channels, opaque.
  mac::storePlaneBytes(o.board, flatRle(256, {1, 2, 3, 0}), 16, 16, 32);
  EXPECT_EQ(o.picture(SlotId::ic16).pixel(15, 15), (Bgra{1, 2, 3, 255}));

  // A raw it32 may keep the four zero bytes of the coded form; without them the same pixels.
  ByteBuffer it32(4, 0);
  for (int i = 0; i < 16384; ++i) append(it32, {0xFF, 1, 2, i});
  mac::storePlaneBytes(o.board, it32, 128, 128, 32);
  EXPECT_EQ(o.picture(SlotId::ic128).pixel(0, 0), (Bgra{0, 2, 1, 0xFF}));
  EXPECT_EQ(o.picture(SlotId::ic128).pixel(127, 127), (Bgra{0xFF, 2, 1, 0xFF}));
  Session plain;
  mac::storePlaneBytes(plain.board, Bytes(it32).subspan(4), 128, 128, 32);
  EXPECT_EQ(plain.picture(SlotId::ic128).data(), o.picture(SlotId::ic128).data());
}

TEST(IconElementsRawFiles, UnreadableFileIsReported) {
  TempDir dir;
  Session o;
  mac::readPlaneFile(o.ctx, dir / "missing.icl8", 32, 32, 8);
  mac::readPairFile(o.ctx, dir.path(), 32, 32);  // a folder
  mac::readMaskFile(o.ctx, dir / "missing.s8mk", 16, 16);
  ASSERT_EQ(o.prompter.infos.size(), 3u);
  EXPECT_NE(o.prompter.infos[0].find("missing.icl8"), std::string::npos);
  EXPECT_NE(o.prompter.infos[0].find("could not be opened"), std::string::npos);
  for (SlotId id : core::kBoardSlots) EXPECT_FALSE(o.board.slot(id).filled());
}

TEST(IconElementsRawFiles, EmptyAndOversizedFilesStayInTheirSlot) {
  Session o;
  mac::storePlaneBytes(o.board, Bytes(), 32, 32, 8);
  EXPECT_EQ(o.depth(SlotId::ic32), kDepth8);
  EXPECT_EQ(o.picture(SlotId::ic32).index(0, 0), 0);
  mac::storePlaneBytes(o.board, ByteBuffer(100000, 0xAB), 48, 48, 32);
  EXPECT_EQ(o.picture(SlotId::ic48).pixel(47, 47), (Bgra{0xAB, 0xAB, 0xAB, 0xAB}));
  mac::storeMaskBytes(o.board, ByteBuffer(100000, 0x40), 16, 12);
  EXPECT_EQ(o.picture(SlotId::im12).pixel(0, 11).red, 0x40);
  EXPECT_EQ(o.picture(SlotId::im12).pixel(0, 12), core::kWhite);
  // Sizes that are no element's change nothing.
  Session p;
  mac::storePairBytes(p.board, ByteBuffer(10), 128, 128);
  mac::storePlaneBytes(p.board, ByteBuffer(10), 20, 20, 8);
  mac::storePlaneBytes(p.board, ByteBuffer(10), 16, 16, 1);
  mac::storeMaskBytes(p.board, ByteBuffer(10), 16, 20);
  for (SlotId id : core::kBoardSlots) EXPECT_FALSE(p.board.slot(id).filled());
}

// --- Encoders -------------------------------------------------------------------------------

TEST(IconElementsEncode, EmptySlotIsWrittenAsAWhiteOpaquePictureByteForByte) {
  core::IconSet board;
  ByteBuffer out;
  mac::writeElement32(board, out, SlotId::ic16, 16, std::nullopt);
  const ByteBuffer whitePlane{0xFF, 0xFF, 0xFB, 0xFF};  // 130 + 126 times 255
  EXPECT_EQ(out, concat({record("is32", concat({whitePlane, whitePlane, whitePlane})),
                         record("s8mk", ByteBuffer(256, 0xFF))}));
  ASSERT_TRUE(board.slot(SlotId::ic16).picture);  // the white picture is kept, the slot empty
  EXPECT_EQ(board.slot(SlotId::ic16).picture->pixel(15, 15), core::kWhite);
  EXPECT_EQ(board.slot(SlotId::ic16).depth, 0);

  out.clear();  // sizes that are no element's write nothing
  mac::writeElement32(board, out, SlotId::ic12, 12, std::nullopt);
  mac::writeElement8(board, out, SlotId::ic12, 12);
  EXPECT_TRUE(out.empty());
}

TEST(IconElementsEncode, MaskPlaneIsOpaqueWithoutAMask) {
  // 16: no mask slot, an empty one, an all-transparent grey one; 128: a colour alpha all 0.
  core::IconSet board;
  board.offerBitmap(SlotId::ic16, Bitmap(16, 16, PixelFormat::Bits8));
  board.offerBitmap(SlotId::ic128, Bitmap(128, 128, PixelFormat::Bits32));
  auto plane = [&](SlotId colour, std::optional<SlotId> mask, int size) {
    ByteBuffer out;
    mac::encodeElement32(board, colour, mask, size, out);
    return out;
  };
  EXPECT_EQ(plane(SlotId::ic16, std::nullopt, 16), ByteBuffer(256, 255));
  EXPECT_EQ(plane(SlotId::ic16, SlotId::im16, 16), ByteBuffer(256, 255));
  board.offerBitmap(SlotId::im16, Bitmap(16, 16, PixelFormat::Bits8, core::greyPalette()));
  EXPECT_EQ(plane(SlotId::ic16, SlotId::im16, 16), ByteBuffer(256, 255));
  EXPECT_EQ(plane(SlotId::ic128, SlotId::im128, 128), ByteBuffer(16384, 255));
}

TEST(IconElementsEncode, OneBitMaskSlotGivesOpaqueAs255OnEverySave) {
  // The raw pair's mask: 1 = opaque, shown black in the slot.
  ByteBuffer pair(256, 0);
  pair[128] = 0xF0;  // mask row 0, pixels 0..3 opaque
  pair[255] = 0x01;  // mask row 31, pixel 31 opaque
  core::IconSet board;
  mac::storePairBytes(board, pair, 32, 32);
  ASSERT_EQ(board.slot(SlotId::im32).picture->format(), PixelFormat::Bits1);
  ByteBuffer expected(1024, 0);
  std::fill(expected.begin(), expected.begin() + 4, 255);
  expected[1023] = 255;
  for (int pass = 0; pass < 2; ++pass) {
    // The second pass meets the mask already converted to 32 bits: same plane.
    ByteBuffer plane;
    mac::encodeElement32(board, SlotId::ic32, SlotId::im32, 32, plane);
    EXPECT_EQ(plane, expected) << "pass " << pass;
    EXPECT_EQ(board.slot(SlotId::im32).picture->format(), PixelFormat::Bits32);
  }
}

TEST(IconElementsEncode, EightBitRecordsUseTheNearestMacColour) {
  core::IconSet board;
  Bitmap pic(32, 32, PixelFormat::Bits32);
  pic.fill(Bgra{0, 0, 240, 255});                 // EE0000: 215
  pic.setPixel(0, 0, Bgra{0, 0, 0, 0});           // black: 255
  pic.setPixel(31, 31, Bgra{50, 100, 200, 255});  // CC6633: 58
  board.offerBitmap(SlotId::ic32, pic);
  ByteBuffer out;
  mac::writeElement8(board, out, SlotId::ic32, 32);
  ByteBuffer indices(1024, 215);
  indices[0] = 255;
  indices[1023] = 58;
  EXPECT_EQ(out, record("icl8", indices));

  // An 8-bit picture of palette entries comes back index for index, here from the 16x16
  // picture of the 16x12 slot: white (index 0) below its 12 rows.
  core::IconSet indexed;
  ByteBuffer data(192);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(255 - i);
  mac::storePlaneBytes(indexed, data, 16, 12, 8);
  EXPECT_EQ(mac::encodeElement8(indexed, SlotId::ic12, 16), concat({data, ByteBuffer(64, 0)}));
}
