// The single icon elements: the type table, bitmap files built from element data, 32-bit
// channel decoding and mask pairing, raw element files (against libicns' decodes of the
// corpus), and the encoders (round trips, byte-exact records, Pillow's and libicns' reading of
// what they write).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "core/bmp_codec.h"
#include "core/command_context.h"
#include "core/palettes.h"
#include "mac/channel_rle.h"
#include "mac/icon_elements.h"
#include "support/fake_prompter.h"
#include "support/oracle.h"
#include "support/shared_data.h"
#include "support/temp_dir.h"

using namespace vexilo;
using core::Bgra;
using core::Bitmap;
using core::ByteBuffer;
using core::Bytes;
using core::PixelFormat;
using core::SlotId;
namespace fs = std::filesystem;

namespace {

fs::path corpus() { return test::sharedDir() / "corpus"; }

ByteBuffer text(std::string_view s) { return ByteBuffer(s.begin(), s.end()); }

ByteBuffer record(std::string_view type, const ByteBuffer& data) {
  ByteBuffer out = text(type);
  core::appendBE32(out, static_cast<std::uint32_t>(data.size() + 8));
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

ByteBuffer concat(std::initializer_list<ByteBuffer> parts) {
  ByteBuffer out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// A whole icns file of the given records.
ByteBuffer icnsFile(const ByteBuffer& records) {
  ByteBuffer out = text("icns");
  core::appendBE32(out, static_cast<std::uint32_t>(records.size() + 8));
  out.insert(out.end(), records.begin(), records.end());
  return out;
}

Bitmap randomPicture(int size, std::mt19937& rng, bool randomAlpha) {
  Bitmap pic(size, size, PixelFormat::Bits32);
  // Few colours in patches, so that the coding meets runs as well as literals.
  std::uniform_int_distribution<int> byte(0, 255);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const int patch = (x / 5 + y / 3) % 4;
      Bgra c{static_cast<std::uint8_t>(patch == 0 ? 10 : byte(rng)),
             static_cast<std::uint8_t>(patch == 1 ? 200 : byte(rng)),
             static_cast<std::uint8_t>(byte(rng)),
             static_cast<std::uint8_t>(randomAlpha ? byte(rng) : 255)};
      pic.setPixel(x, y, c);
    }
  return pic;
}

Bitmap greyMask(int size, std::mt19937& rng) {
  Bitmap mask(size, size, PixelFormat::Bits8, core::greyPalette());
  std::uniform_int_distribution<int> level(0, 255);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) mask.setIndex(x, y, (y * size + x) % 7 == 0 ? 0 : level(rng));
  return mask;
}

// The records of writeElement32 taken apart.
struct Element32 {
  std::string colourType, maskType;
  std::uint32_t colourLength = 0;
  ByteBuffer data;  // colour record data (it32: with its four zero bytes)
  ByteBuffer mask;
  std::size_t maskOffset = 0;
};

Element32 split(const ByteBuffer& out) {
  Element32 e;
  EXPECT_GE(out.size(), 16u);
  if (out.size() < 16) return e;
  e.colourType.assign(out.begin(), out.begin() + 4);
  e.colourLength = core::readBE32(out.data() + 4);
  EXPECT_LE(e.colourLength + 8u, out.size());
  if (e.colourLength + 8u > out.size() || e.colourLength < 8) return e;
  e.data.assign(out.begin() + 8, out.begin() + e.colourLength);
  e.maskOffset = e.colourLength;
  const std::uint8_t* m = out.data() + e.maskOffset;
  e.maskType.assign(m, m + 4);
  const std::uint32_t maskLength = core::readBE32(m + 4);
  EXPECT_EQ(e.maskOffset + maskLength, out.size());
  if (e.maskOffset + maskLength != out.size() || maskLength < 8) return e;
  e.mask.assign(out.begin() + static_cast<std::ptrdiff_t>(e.maskOffset + 8), out.end());
  return e;
}

Bgra at(const ByteBuffer& pixels, std::size_t i) {
  return Bgra{pixels[i * 4], pixels[i * 4 + 1], pixels[i * 4 + 2], pixels[i * 4 + 3]};
}

bool icns2pngAvailable() {
  return test::runCommand("command -v icns2png >/dev/null 2>&1") == 0;
}

// libicns' decode of the `width`-pixel 32-bit picture of an icns file, or nothing.
std::optional<test::RgbaImage> decodeWithLibicns(const fs::path& icns, const test::TempDir& dir,
                                                 int width) {
  const fs::path out = dir / "libicns";
  fs::create_directories(out);
  const std::string command = "icns2png -x -o " + test::shellQuote(out.string()) + " " +
                              test::shellQuote(icns.string()) + " >/dev/null 2>&1";
  test::runCommand(command);
  const std::string name = icns.stem().string() + "_" + std::to_string(width) + "x" +
                           std::to_string(width) + "x32.png";
  if (!fs::exists(out / name)) return std::nullopt;
  return test::decodeWithPillow(out / name);
}

}  // namespace

// --- The type table -------------------------------------------------------------------------

TEST(IconElementsTable, CodesInOrderAndExactLookup) {
  const std::string order =
      "icnsICN#ics#ics4ics8is32icm#icm4icm8im32icl4icl8il32ich#ich4ich8ih32ict4ict8it32m8mks8mk"
      "l8mkh8mkt8mk";
  const auto& table = mac::iconTypeTable();
  for (std::size_t i = 0; i < table.size(); ++i) {
    const std::string code = order.substr(i * 4, 4);
    EXPECT_EQ(std::string(table[i].code.data(), 4), code);
    EXPECT_EQ(table[i].index, int(i));
    EXPECT_EQ(mac::elementTypeIndex(code), int(i));
    EXPECT_EQ(mac::elementTypeIndex(Bytes(reinterpret_cast<const std::uint8_t*>(code.data()), 4)),
              int(i));
  }
  const mac::IconType& icm = table[6];
  EXPECT_TRUE(icm.width == 16 && icm.height == 12 && icm.depth == 1 && icm.dataBytes == 48);
  EXPECT_TRUE(table[14].depth == 4 && table[14].dataBytes == 1152);
  EXPECT_TRUE(table[19].depth == 32 && table[19].dataBytes == 65536);
  EXPECT_TRUE(table[24].depth == -8 && table[24].dataBytes == 16384 && table[24].width == 128);
  // Case matters and the code is exactly four bytes.
  for (const char* code : {"icn#", "IS32", "ic08", "icl", "icl8x", ""})
    EXPECT_EQ(mac::elementTypeIndex(code), -1) << code;
  EXPECT_EQ(mac::elementTypeIndex(Bytes()), -1);
}

// --- Bitmap files ---------------------------------------------------------------------------

TEST(IconElementsBitmapFile, OneBitHeaderAndPaddedRowsByteExact) {
  ByteBuffer plane(32);
  for (std::size_t i = 0; i < plane.size(); ++i) plane[i] = static_cast<std::uint8_t>(i + 1);
  const ByteBuffer file = mac::buildBitmapFile(plane, 16, 16, 1);
  ASSERT_EQ(file.size(), 126u);  // 54 + 8 + 16 rows of 4 bytes
  ByteBuffer expected = text("BM");
  for (std::uint32_t v : {126u, 0u, 62u, 40u, 16u, std::uint32_t(-16)}) core::appendLE32(expected, v);
  core::appendLE16(expected, 1);
  core::appendLE16(expected, 1);
  for (std::uint32_t v : {0u, 0u, 2834u, 2834u, 0u, 0u}) core::appendLE32(expected, v);
  for (std::uint8_t b : {0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00}) expected.push_back(b);
  for (int y = 0; y < 16; ++y) {
    expected.push_back(plane[std::size_t(y) * 2]);
    expected.push_back(plane[std::size_t(y) * 2 + 1]);
    expected.push_back(0);
    expected.push_back(0);
  }
  EXPECT_EQ(file, expected);

  // 48 pixels: 6 bytes a row and 2 of padding.
  const ByteBuffer wide = mac::buildBitmapFile(ByteBuffer(288, 0xA5), 48, 48, 1);
  ASSERT_EQ(wide.size(), 62u + 48 * 8);
  EXPECT_EQ(wide[62 + 5], 0xA5);
  EXPECT_EQ(wide[62 + 6], 0);
  EXPECT_EQ(wide[62 + 7], 0);
  EXPECT_EQ(wide[62 + 8], 0xA5);
}

TEST(IconElementsBitmapFile, EightBitPaletteEntriesAreBlueGreenRedZero) {
  const ByteBuffer icl8 = mac::buildBitmapFile(ByteBuffer(1024, 5), 32, 32, 8);
  ASSERT_EQ(icl8.size(), 2102u);  // 54 + 1024 + 1024
  EXPECT_EQ(core::readLE32(icl8.data() + 2), 2102u);
  EXPECT_EQ(core::readLE32(icl8.data() + 10), 1078u);
  EXPECT_EQ(ByteBuffer(icl8.begin() + 54 + 20, icl8.begin() + 54 + 24),
            (ByteBuffer{0x00, 0xFF, 0xFF, 0x00}));  // entry 5, yellow
  EXPECT_EQ(mac::buildBitmapFile(ByteBuffer(1024, 9), 16, 16, 32).size(), 54u + 1024);  // no table
  EXPECT_TRUE(mac::buildBitmapFile(ByteBuffer(10), 16, 16, 2).empty());
}

TEST(IconElementsBitmapFile, DecodesToTheElementPixels) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> byte(0, 255);
  auto randomBytes = [&](std::size_t n) {
    ByteBuffer b(n);
    for (auto& v : b) v = static_cast<std::uint8_t>(byte(rng));
    return b;
  };
  {
    const ByteBuffer src = randomBytes(48 * 48 / 8);
    const auto pic = core::decodeBmp(mac::buildBitmapFile(src, 48, 48, 1));
    ASSERT_TRUE(pic);
    EXPECT_EQ(pic->format(), PixelFormat::Bits1);
    for (int y = 0; y < 48; ++y)
      for (int x = 0; x < 48; ++x)
        ASSERT_EQ(pic->index(x, y), (src[std::size_t(y) * 6 + x / 8] >> (7 - x % 8)) & 1);
    EXPECT_EQ(pic->pixel(0, 0).red, pic->index(0, 0) ? 0 : 255);  // 1 is black
  }
  {
    const ByteBuffer src = randomBytes(32 * 32 / 2);
    const auto pic = core::decodeBmp(mac::buildBitmapFile(src, 32, 32, 4));
    ASSERT_TRUE(pic);
    EXPECT_EQ(pic->format(), PixelFormat::Bits4);
    EXPECT_EQ(pic->palette(), core::macPalette16());
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) {
        const std::uint8_t b = src[std::size_t(y) * 16 + x / 2];
        ASSERT_EQ(pic->index(x, y), x % 2 ? (b & 15) : (b >> 4));
      }
  }
  for (int depth : {8, -8}) {
    const ByteBuffer src = randomBytes(16 * 12);
    const auto pic = core::decodeBmp(mac::buildBitmapFile(src, 16, 12, depth));
    ASSERT_TRUE(pic);
    EXPECT_EQ(pic->format(), PixelFormat::Bits8);
    EXPECT_EQ(pic->height(), 12);
    EXPECT_EQ(pic->palette(), depth == 8 ? core::macPalette256() : core::greyPalette());
    for (int y = 0; y < 12; ++y)
      for (int x = 0; x < 16; ++x) ASSERT_EQ(pic->index(x, y), src[std::size_t(y) * 16 + x]);
  }
  {
    const ByteBuffer src = randomBytes(128 * 128 * 4);
    const auto pic = core::decodeBmp(mac::buildBitmapFile(src, 128, 128, 32));
    ASSERT_TRUE(pic);
    EXPECT_EQ(pic->format(), PixelFormat::Bits32);
    EXPECT_EQ(pic->data(), src);
  }
}

TEST(IconElementsBitmapFile, ShortSourceIsPaddedWithZeros) {
  const auto pic = core::decodeBmp(mac::buildBitmapFile(ByteBuffer(10, 0x33), 32, 32, 8));
  ASSERT_TRUE(pic);
  EXPECT_EQ(pic->index(9, 0), 0x33);
  EXPECT_EQ(pic->index(10, 0), 0);
  EXPECT_EQ(pic->index(31, 31), 0);
  const ByteBuffer empty = mac::buildBitmapFile(Bytes(), 16, 16, 1);
  EXPECT_EQ(empty.size(), 126u);
  EXPECT_TRUE(std::all_of(empty.begin() + 62, empty.end(), [](std::uint8_t b) { return b == 0; }));
}

TEST(IconElementsBitmapFile, PillowReadsTheSameColours) {
  VEXILO_REQUIRE_PILLOW();
  ByteBuffer src(128);
  for (std::size_t i = 0; i < src.size(); ++i) src[i] = static_cast<std::uint8_t>(i * 37);
  test::TempDir dir;
  test::writeFile(dir / "ics4.bmp", mac::buildBitmapFile(src, 16, 16, 4));
  const auto ref = test::decodeWithPillow(dir / "ics4.bmp");
  ASSERT_TRUE(ref);
  ASSERT_EQ(ref->width, 16);
  ASSERT_EQ(ref->height, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const std::uint8_t b = src[std::size_t(y) * 8 + x / 2];
      const core::Rgb c = core::macPalette16()[x % 2 ? (b & 15) : (b >> 4)];
      const std::uint8_t* p = ref->at(x, y);
      ASSERT_EQ(p[0], c.red);
      ASSERT_EQ(p[1], c.green);
      ASSERT_EQ(p[2], c.blue);
    }
}

// --- 32-bit channels and masks --------------------------------------------------------------

TEST(IconElementsRle32, PlanesGoToRedGreenBlueWithOpaqueAlpha) {
  // Red: a run of 3; green: literals; blue: a run of 3.
  const ByteBuffer coded{0x80, 0x10, 0x02, 0x21, 0x22, 0x23, 0x80, 0x30};
  const ByteBuffer pixels = mac::decodeRle32(coded, 3);
  EXPECT_EQ(pixels, (ByteBuffer{0x30, 0x21, 0x10, 255, 0x30, 0x22, 0x10, 255, 0x30, 0x23, 0x10, 255}));
  // Missing channels leave zeros.
  EXPECT_EQ(mac::decodeRle32(ByteBuffer{0x80, 0x10}, 3),
            (ByteBuffer{0, 0, 0x10, 255, 0, 0, 0x10, 255, 0, 0, 0x10, 255}));
  EXPECT_TRUE(mac::decodeRle32(coded, 0).empty());
}

TEST(IconElementsRle32, EveryPrefixAndGarbageDecodesWithinBounds) {
  std::mt19937 rng(99);
  core::IconSet board;
  board.drawIntoSlot(SlotId::ic32, randomPicture(32, rng, false));
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
  std::uniform_int_distribution<int> byte(0, 255);
  for (int trial = 0; trial < 200; ++trial) {
    ByteBuffer garbage(std::uniform_int_distribution<std::size_t>(0, 3000)(rng));
    for (auto& b : garbage) b = static_cast<std::uint8_t>(byte(rng));
    const ByteBuffer pixels = mac::decodeRle32(garbage, 2304);
    ASSERT_EQ(pixels.size(), 2304u * 4);
    for (std::size_t i = 0; i < 2304; ++i) ASSERT_EQ(pixels[i * 4 + 3], 255);
  }
}

TEST(IconElementsMask, TheNextElementOrASearchedOneGivesTheAlpha) {
  ByteBuffer maskData(256);
  for (std::size_t i = 0; i < 256; ++i) maskData[i] = static_cast<std::uint8_t>(i);
  const ByteBuffer image = record("is32", ByteBuffer{1, 2, 3});
  const ByteBuffer other = record("ics8", ByteBuffer(256, 4));
  auto alphas = [](const ByteBuffer& pixels) {
    ByteBuffer a;
    for (std::size_t i = 3; i < pixels.size(); i += 4) a.push_back(pixels[i]);
    return a;
  };

  // Right after the image.
  ByteBuffer range = concat({image, record("s8mk", maskData)});
  ByteBuffer pixels(256 * 4, 0);
  mac::applyElementMask(range, image.size(), pixels, 256);
  EXPECT_EQ(alphas(pixels), maskData);
  EXPECT_EQ(pixels[0], 0);  // colour untouched

  // Elsewhere, found from the start of the range whatever the case of its type.
  for (const char* type : {"s8mk", "S8MK", "s8Mk"}) {
    range = concat({record(type, maskData), image, other});
    pixels.assign(256 * 4, 0);
    mac::applyElementMask(range, image.size() + 264, pixels, 256);
    EXPECT_EQ(alphas(pixels), maskData) << type;
  }

  // A false start on the type's first letter just before the real one.
  range = concat({image, text("s8ms"), record("s8mk", maskData)});
  pixels.assign(256 * 4, 0);
  mac::applyElementMask(range, image.size(), pixels, 256);
  EXPECT_EQ(alphas(pixels), maskData);
}

TEST(IconElementsMask, MissingShortAndLongMasks) {
  const ByteBuffer opaque(1024 * 4, 255);
  // No mask anywhere, the wrong size's mask, a header cut short.
  for (const ByteBuffer& range :
       {record("il32", ByteBuffer(10, 1)), record("s8mk", ByteBuffer(1024, 0)),
        concat({record("il32", ByteBuffer(10, 1)), ByteBuffer{'l', '8', 'm', 'k', 0, 0}})}) {
    ByteBuffer pixels = opaque;
    mac::applyElementMask(range, 18, pixels, 1024);
    EXPECT_EQ(pixels, opaque);
  }
  // A pixel count with no mask type.
  ByteBuffer pixels = opaque;
  mac::applyElementMask(record("l8mk", ByteBuffer(1024, 0)), 0, pixels, 1000);
  EXPECT_EQ(pixels, opaque);

  // Longer than the picture: cut to it.
  ByteBuffer small(192 * 4, 255);
  mac::applyElementMask(record("m8mk", ByteBuffer(500, 9)), 0, small, 192);
  for (std::size_t i = 0; i < 192; ++i) ASSERT_EQ(small[i * 4 + 3], 9);

  // A length beyond the range: what the range holds; a length below 8: nothing.
  ByteBuffer truncated = record("l8mk", ByteBuffer(1024, 7));
  truncated.resize(8 + 100);
  pixels = opaque;
  mac::applyElementMask(truncated, 0, pixels, 1024);
  EXPECT_EQ(pixels[99 * 4 + 3], 7);
  EXPECT_EQ(pixels[100 * 4 + 3], 255);
  ByteBuffer tiny = text("l8mk");
  core::appendBE32(tiny, 3);
  tiny.resize(40, 0);
  pixels = opaque;
  mac::applyElementMask(tiny, 0, pixels, 1024);
  EXPECT_EQ(pixels, opaque);
  // `next` past the end of the range is searched as well.
  pixels = opaque;
  mac::applyElementMask(record("l8mk", ByteBuffer(1024, 1)), 5000, pixels, 1024);
  EXPECT_EQ(pixels[1023 * 4 + 3], 1);
}

// --- Raw element files ----------------------------------------------------------------------

namespace {

// Opens a raw element file the way the open command does: loader and size from the extension.
void openRaw(core::CommandContext& ctx, const fs::path& file) {
  const std::string ext = file.extension().string().substr(1);
  const int index = mac::elementTypeIndex(ext);
  ASSERT_GT(index, 0) << file;
  const mac::IconType& t = mac::iconTypeTable()[static_cast<std::size_t>(index)];
  if (t.depth == 1) mac::readPairFile(ctx, file, t.width, t.height);
  else if (t.depth == -8) mac::readMaskFile(ctx, file, t.width, t.height);
  else mac::readPlaneFile(ctx, file, t.width, t.height, t.depth);
}

struct Opened {
  core::IconSet board;
  test::FakePrompter prompter;
};

// Compares the colour of `picture` with the reference where the reference is not transparent,
// over the reference's size (the 16x12 slots hold 16x16 pictures).
void expectColoursMatch(const Bitmap& picture, const test::RgbaImage& ref, const std::string& what) {
  int compared = 0;
  for (int y = 0; y < ref.height; ++y)
    for (int x = 0; x < ref.width; ++x) {
      const std::uint8_t* r = ref.at(x, y);
      if (r[3] == 0) continue;
      const Bgra c = picture.pixel(x, y);
      ++compared;
      ASSERT_TRUE(c.red == r[0] && c.green == r[1] && c.blue == r[2])
          << what << " at " << x << "," << y << ": " << int(c.red) << " " << int(c.green) << " "
          << int(c.blue) << " against " << int(r[0]) << " " << int(r[1]) << " " << int(r[2]);
    }
  EXPECT_GT(compared, 0) << what;
}

std::optional<SlotId> colourSlot(int height) {
  switch (height) {
    case 12: return SlotId::ic12;
    case 16: return SlotId::ic16;
    case 32: return SlotId::ic32;
    case 48: return SlotId::ic48;
    case 128: return SlotId::ic128;
    default: return std::nullopt;
  }
}

SlotId maskOf(SlotId colour) { return static_cast<SlotId>(static_cast<int>(colour) + 1); }

}  // namespace

TEST(IconElementsRawFiles, CorpusFilesMatchLibicns) {
  VEXILO_REQUIRE_SHARED();
  VEXILO_REQUIRE_PILLOW();
  struct Case {
    const char* file;
    const char* reference;  // under expected/
  };
  const Case cases[] = {
      {"apple1991_Desktop_id4238.ICN#", "rsrc/apple1991_Desktop/id4238/32x32x1.png"},
      {"apple1991_Desktop_id4238.icl4", "rsrc/apple1991_Desktop/id4238/32x32x4.png"},
      {"apple1991_Desktop_id4238.icl8", "rsrc/apple1991_Desktop/id4238/32x32x8.png"},
      {"apple1991_Desktop_id4238.ics#", "rsrc/apple1991_Desktop/id4238/16x16x1.png"},
      {"apple1991_Desktop_id4238.ics4", "rsrc/apple1991_Desktop/id4238/16x16x4.png"},
      {"apple1991_Desktop_id4238.ics8", "rsrc/apple1991_Desktop/id4238/16x16x8.png"},
      {"apple1991_SerialPortArbitrator_id128.ICN#",
       "rsrc/apple1991_Serial_Port_Arbitrator/id128/32x32x1.png"},
      {"apple1991_SerialPortArbitrator_id128.icl4",
       "rsrc/apple1991_Serial_Port_Arbitrator/id128/32x32x4.png"},
      {"apple1991_SerialPortArbitrator_id128.icl8",
       "rsrc/apple1991_Serial_Port_Arbitrator/id128/32x32x8.png"},
      {"apple1991_SerialPortArbitrator_id128.ics#",
       "rsrc/apple1991_Serial_Port_Arbitrator/id128/16x16x1.png"},
      {"apple1991_SerialPortArbitrator_id128.ics4",
       "rsrc/apple1991_Serial_Port_Arbitrator/id128/16x16x4.png"},
      {"apple1991_SerialPortArbitrator_id128.ics8",
       "rsrc/apple1991_Serial_Port_Arbitrator/id128/16x16x8.png"},
      {"rust-icns_icm4.icm4", "icns/rust-icns_icm4/libicns/rust-icns_icm4_16x12x4.png"},
      {"rust-icns_icm8.icm8", "icns/rust-icns_icm8/libicns/rust-icns_icm8_16x12x8.png"},
      {"rust-icns_icm_hash.icm#", "icns/rust-icns_icm_hash/libicns/rust-icns_icm_hash_16x12x1.png"},
      {"icnscvt_sample.is32", "raw/icnscvt_sample_is32+s8mk/16x16x32.png"},
      {"icnscvt_sample.il32", "raw/icnscvt_sample_il32+l8mk/32x32x32.png"},
      {"icnscvt_sample.ih32", "raw/icnscvt_sample_ih32+h8mk/48x48x32.png"},
      {"icnscvt_sample.it32", "raw/icnscvt_sample_it32+t8mk/128x128x32.png"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    Opened o;
    core::CommandContext ctx{o.board, o.prompter};
    const fs::path file = corpus() / "raw" / c.file;
    openRaw(ctx, file);
    EXPECT_TRUE(o.prompter.infos.empty());
    const auto ref = test::decodeWithPillow(corpus() / "expected" / c.reference);
    ASSERT_TRUE(ref);
    const std::optional<SlotId> slot = colourSlot(ref->height);
    ASSERT_TRUE(slot);
    const core::Slot& colour = o.board.slot(*slot);
    ASSERT_TRUE(colour.picture);
    const int index = mac::elementTypeIndex(file.extension().string().substr(1));
    const int depth = mac::iconTypeTable()[static_cast<std::size_t>(index)].depth;
    const PixelFormat format = depth == 1   ? PixelFormat::Bits1
                               : depth == 4 ? PixelFormat::Bits4
                               : depth == 8 ? PixelFormat::Bits8
                                            : PixelFormat::Bits32;
    EXPECT_EQ(colour.depth, core::depthOrdinal(format));
    expectColoursMatch(*colour.picture, *ref, c.file);
    if (depth == 1) {
      // libicns gives the 1-bit mask as alpha; the mask slot shows opaque as black.
      const core::Slot& mask = o.board.slot(maskOf(*slot));
      ASSERT_TRUE(mask.picture);
      EXPECT_EQ(mask.depth, 1);
      for (int y = 0; y < ref->height; ++y)
        for (int x = 0; x < ref->width; ++x)
          ASSERT_EQ(mask.picture->pixel(x, y).red, ref->at(x, y)[3] ? 0 : 255) << x << "," << y;
    }
  }
}

TEST(IconElementsRawFiles, CorpusMasksMatchLibicnsAlpha) {
  VEXILO_REQUIRE_SHARED();
  VEXILO_REQUIRE_PILLOW();
  const std::pair<const char*, const char*> cases[] = {
      {"icnscvt_sample.s8mk", "raw/icnscvt_sample_is32+s8mk/16x16x32.png"},
      {"icnscvt_sample.l8mk", "raw/icnscvt_sample_il32+l8mk/32x32x32.png"},
      {"icnscvt_sample.h8mk", "raw/icnscvt_sample_ih32+h8mk/48x48x32.png"},
      {"icnscvt_sample.t8mk", "raw/icnscvt_sample_it32+t8mk/128x128x32.png"},
  };
  for (const auto& [name, reference] : cases) {
    SCOPED_TRACE(name);
    Opened o;
    core::CommandContext ctx{o.board, o.prompter};
    openRaw(ctx, corpus() / "raw" / name);
    const auto ref = test::decodeWithPillow(corpus() / "expected" / reference);
    ASSERT_TRUE(ref);
    const SlotId slot = maskOf(*colourSlot(ref->height));
    const core::Slot& mask = o.board.slot(slot);
    ASSERT_TRUE(mask.picture);
    // An 8-bit grey picture: index = level = libicns' alpha.
    EXPECT_EQ(mask.depth, core::depthOrdinal(PixelFormat::Bits8));
    EXPECT_EQ(mask.picture->format(), PixelFormat::Bits8);
    EXPECT_EQ(mask.picture->palette(), core::greyPalette());
    for (int y = 0; y < ref->height; ++y)
      for (int x = 0; x < ref->width; ++x)
        ASSERT_EQ(mask.picture->index(x, y), ref->at(x, y)[3]) << x << "," << y;
    EXPECT_FALSE(o.board.slot(SlotId::ic128).filled());
  }
}

TEST(IconElementsRawFiles, PairFilesFillTheSizedSlotsOnly) {
  test::TempDir dir;
  // An ICN# whose image is all black and whose mask is empty but for the first row.
  ByteBuffer pair(256, 0);
  std::fill(pair.begin(), pair.begin() + 128, 0xFF);
  std::fill(pair.begin() + 128, pair.begin() + 132, 0xFF);
  test::writeFile(dir / "x.icn#", pair);
  Opened o;
  core::CommandContext ctx{o.board, o.prompter};
  mac::readPairFile(ctx, dir / "x.icn#", 32, 32);
  EXPECT_EQ(o.board.slot(SlotId::ic32).depth, 1);
  EXPECT_EQ(o.board.slot(SlotId::im32).depth, 1);
  EXPECT_FALSE(o.board.slot(SlotId::icNB).filled());
  EXPECT_FALSE(o.board.slot(SlotId::imNB).filled());
  const Bitmap& mask = *o.board.slot(SlotId::im32).picture;
  EXPECT_EQ(mask.pixel(31, 0), core::kBlack);
  EXPECT_EQ(mask.pixel(0, 1), core::kWhite);
  EXPECT_EQ(o.board.slot(SlotId::ic32).picture->pixel(5, 5), core::kBlack);

  // A short 16x12 pair: the image's first row only, the rest (and the mask) zero.
  test::writeFile(dir / "short.icm#", ByteBuffer{0x80, 0x01});
  Opened p;
  core::CommandContext ctx2{p.board, p.prompter};
  mac::readPairFile(ctx2, dir / "short.icm#", 16, 12);
  const Bitmap& image = *p.board.slot(SlotId::ic12).picture;
  EXPECT_EQ(image.width(), 16);
  EXPECT_EQ(image.height(), 16);
  EXPECT_EQ(image.pixel(0, 0).red, 0);
  EXPECT_EQ(image.pixel(1, 0).red, 255);
  EXPECT_EQ(image.pixel(15, 0).red, 0);
  EXPECT_EQ(image.pixel(0, 1).red, 255);
  EXPECT_TRUE(p.board.slot(SlotId::im12).filled());
  EXPECT_EQ(p.board.slot(SlotId::im12).picture->pixel(0, 0), core::kWhite);
  // Both halves went onto the 16-pixel pasteboard.
  EXPECT_EQ(p.board.cursor(SlotId::PB16).count, 2);
}

TEST(IconElementsRawFiles, T8mkGoesToIm128AsGrey) {
  test::TempDir dir;
  ByteBuffer levels(16384);
  for (std::size_t i = 0; i < levels.size(); ++i) levels[i] = static_cast<std::uint8_t>(i % 251);
  test::writeFile(dir / "m.t8mk", levels);
  Opened o;
  core::CommandContext ctx{o.board, o.prompter};
  mac::readMaskFile(ctx, dir / "m.t8mk", 128, 128);
  const core::Slot& slot = o.board.slot(SlotId::im128);
  ASSERT_TRUE(slot.picture);
  EXPECT_EQ(slot.depth, core::depthOrdinal(PixelFormat::Bits8));
  EXPECT_EQ(slot.picture->palette(), core::greyPalette());
  EXPECT_EQ(slot.picture->data(), levels);
  EXPECT_FALSE(o.board.slot(SlotId::ic128).filled());
}

TEST(IconElementsRawFiles, UncompressedPixelsAreAlphaRedGreenBlue) {
  test::TempDir dir;
  ByteBuffer argb;
  for (int i = 0; i < 1024; ++i) {
    argb.push_back(static_cast<std::uint8_t>(i % 3 == 0 ? 0x80 : 0xFF));
    argb.push_back(0x11);
    argb.push_back(static_cast<std::uint8_t>(i));
    argb.push_back(0x33);
  }
  test::writeFile(dir / "u.il32", argb);
  Opened o;
  core::CommandContext ctx{o.board, o.prompter};
  mac::readPlaneFile(ctx, dir / "u.il32", 32, 32, 32);
  const Bitmap& pic = *o.board.slot(SlotId::ic32).picture;
  EXPECT_EQ(pic.pixel(0, 0), (Bgra{0x33, 0, 0x11, 0x80}));
  EXPECT_EQ(pic.pixel(1, 0), (Bgra{0x33, 1, 0x11, 0xFF}));
  EXPECT_EQ(pic.pixel(31, 31), (Bgra{0x33, 0xFF, 0x11, 0x80}));  // pixel 1023

  // libicns reads an uncompressed element the same way (its alpha comes from the mask).
  if (!icns2pngAvailable()) {
    if (test::inCi()) FAIL() << "icns2png (icnsutils) is missing";
    GTEST_SKIP() << "icns2png (icnsutils) is missing";
  }
  VEXILO_REQUIRE_PILLOW();
  test::writeFile(dir / "u.icns",
                  icnsFile(concat({record("il32", argb), record("l8mk", ByteBuffer(1024, 255))})));
  const auto ref = decodeWithLibicns(dir / "u.icns", dir, 32);
  ASSERT_TRUE(ref);
  expectColoursMatch(pic, *ref, "uncompressed il32");
}

TEST(IconElementsRawFiles, UncompressedIt32MayKeepItsFourZeroBytes) {
  ByteBuffer data(4, 0);
  for (int i = 0; i < 16384; ++i) data.insert(data.end(), {0xFF, 1, 2, static_cast<std::uint8_t>(i)});
  core::IconSet board;
  mac::storePlaneBytes(board, data, 128, 128, 32);
  const Bitmap& pic = *board.slot(SlotId::ic128).picture;
  EXPECT_EQ(pic.pixel(0, 0), (Bgra{0, 2, 1, 0xFF}));
  EXPECT_EQ(pic.pixel(127, 127), (Bgra{0xFF, 2, 1, 0xFF}));
  // Without them the same pixels start at once.
  core::IconSet plain;
  mac::storePlaneBytes(plain, Bytes(data).subspan(4), 128, 128, 32);
  EXPECT_EQ(plain.slot(SlotId::ic128).picture->data(), pic.data());
}

TEST(IconElementsRawFiles, UnreadableFileIsReported) {
  test::TempDir dir;
  Opened o;
  core::CommandContext ctx{o.board, o.prompter};
  mac::readPlaneFile(ctx, dir / "missing.icl8", 32, 32, 8);
  mac::readPairFile(ctx, dir.path(), 32, 32);  // a folder
  mac::readMaskFile(ctx, dir / "missing.s8mk", 16, 16);
  ASSERT_EQ(o.prompter.infos.size(), 3u);
  EXPECT_NE(o.prompter.infos[0].find("missing.icl8"), std::string::npos);
  EXPECT_NE(o.prompter.infos[0].find("could not be opened"), std::string::npos);
  for (SlotId id : core::kBoardSlots) EXPECT_FALSE(o.board.slot(id).filled());
}

TEST(IconElementsRawFiles, EmptyAndOversizedFilesStayInTheirSlot) {
  Opened o;
  mac::storePlaneBytes(o.board, Bytes(), 32, 32, 8);
  EXPECT_EQ(o.board.slot(SlotId::ic32).depth, 3);
  EXPECT_EQ(o.board.slot(SlotId::ic32).picture->index(0, 0), 0);
  mac::storePlaneBytes(o.board, ByteBuffer(100000, 0xAB), 48, 48, 32);
  EXPECT_EQ(o.board.slot(SlotId::ic48).picture->pixel(47, 47), (Bgra{0xAB, 0xAB, 0xAB, 0xAB}));
  mac::storeMaskBytes(o.board, ByteBuffer(100000, 0x40), 16, 12);
  EXPECT_EQ(o.board.slot(SlotId::im12).picture->pixel(0, 11).red, 0x40);
  EXPECT_EQ(o.board.slot(SlotId::im12).picture->pixel(0, 12), core::kWhite);
  // Sizes that are no element's change nothing.
  Opened p;
  mac::storePairBytes(p.board, ByteBuffer(10), 128, 128);
  mac::storePlaneBytes(p.board, ByteBuffer(10), 20, 20, 8);
  mac::storePlaneBytes(p.board, ByteBuffer(10), 16, 16, 1);
  mac::storeMaskBytes(p.board, ByteBuffer(10), 16, 20);
  for (SlotId id : core::kBoardSlots) EXPECT_FALSE(p.board.slot(id).filled());
}

// --- Encoders -------------------------------------------------------------------------------

TEST(IconElementsEncode, RoundTripWithGreyMaskThroughDecoderAndMask) {
  std::mt19937 rng(11);
  for (int size : {16, 32, 48}) {
    SCOPED_TRACE(size);
    core::IconSet board;
    const SlotId colour = *colourSlot(size);
    const Bitmap picture = randomPicture(size, rng, false);
    const Bitmap mask = greyMask(size, rng);
    board.offerBitmap(colour, picture);
    board.offerBitmap(maskOf(colour), mask);
    ByteBuffer out;
    mac::writeElement32(board, out, colour, size, maskOf(colour));
    const Element32 e = split(out);
    const std::size_t n = std::size_t(size) * size;
    EXPECT_EQ(e.colourType, size == 16 ? "is32" : size == 32 ? "il32" : "ih32");
    EXPECT_EQ(e.maskType, size == 16 ? "s8mk" : size == 32 ? "l8mk" : "h8mk");
    EXPECT_EQ(e.colourLength, e.data.size() + 8);
    ASSERT_EQ(e.mask.size(), n);

    ByteBuffer pixels = mac::decodeRle32(e.data, n);
    mac::applyElementMask(out, e.maskOffset, pixels, n);
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        const Bgra got = at(pixels, std::size_t(y) * size + x);
        const Bgra want = picture.pixel(x, y);
        ASSERT_EQ(got.red, want.red);
        ASSERT_EQ(got.green, want.green);
        ASSERT_EQ(got.blue, want.blue);
        ASSERT_EQ(got.alpha, mask.index(x, y));
      }
    // The slots were converted to 32 bits in place.
    EXPECT_EQ(board.slot(maskOf(colour)).picture->format(), PixelFormat::Bits32);
  }
}

TEST(IconElementsEncode, IndependentDecodersReadTheRecords) {
  VEXILO_REQUIRE_PILLOW();
  std::mt19937 rng(23);
  test::TempDir dir;
  for (int size : {16, 32, 48, 128}) {
    SCOPED_TRACE(size);
    core::IconSet board;
    const SlotId colour = *colourSlot(size);
    board.offerBitmap(colour, randomPicture(size, rng, size == 128));
    if (size != 128) board.offerBitmap(maskOf(colour), greyMask(size, rng));
    ByteBuffer out;
    mac::writeElement32(board, out, colour, size, maskOf(colour));
    const fs::path file = dir / ("family" + std::to_string(size) + ".icns");
    test::writeFile(file, icnsFile(out));
    const Bitmap& pic = *board.slot(colour).picture;
    auto check = [&](const test::RgbaImage& ref, const char* who) {
      ASSERT_EQ(ref.width, size) << who;
      for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
          const Bgra c = pic.pixel(x, y);
          const std::uint8_t alpha =
              size == 128 ? c.alpha : board.slot(maskOf(colour)).picture->pixel(x, y).blue;
          const std::uint8_t* r = ref.at(x, y);
          ASSERT_EQ(r[3], alpha) << who << " " << x << "," << y;
          if (alpha == 0) continue;
          ASSERT_TRUE(r[0] == c.red && r[1] == c.green && r[2] == c.blue)
              << who << " " << x << "," << y;
        }
    };
    const auto pillow = test::decodeWithPillow(file);
    ASSERT_TRUE(pillow);
    check(*pillow, "Pillow");
    if (icns2pngAvailable()) {
      const auto libicns = decodeWithLibicns(file, dir, size);
      ASSERT_TRUE(libicns);
      check(*libicns, "libicns");
    }
  }
}

TEST(IconElementsEncode, OpaqueMasksWhenThereIsNone) {
  // A 128 picture whose alpha is all 0.
  core::IconSet board;
  board.offerBitmap(SlotId::ic128, Bitmap(128, 128, PixelFormat::Bits32));
  ByteBuffer out;
  mac::writeElement32(board, out, SlotId::ic128, 128, SlotId::im128);
  Element32 e = split(out);
  EXPECT_EQ(e.maskType, "t8mk");
  EXPECT_EQ(e.mask, ByteBuffer(16384, 255));

  // 16x16 without a mask slot, with an empty mask slot, with an all-transparent mask.
  core::IconSet small;
  small.offerBitmap(SlotId::ic16, Bitmap(16, 16, PixelFormat::Bits8));
  ByteBuffer plane;
  mac::encodeElement32(small, SlotId::ic16, std::nullopt, 16, plane);
  EXPECT_EQ(plane, ByteBuffer(256, 255));
  mac::encodeElement32(small, SlotId::ic16, SlotId::im16, 16, plane);
  EXPECT_EQ(plane, ByteBuffer(256, 255));
  small.offerBitmap(SlotId::im16, Bitmap(16, 16, PixelFormat::Bits8, core::greyPalette()));
  mac::encodeElement32(small, SlotId::ic16, SlotId::im16, 16, plane);
  EXPECT_EQ(plane, ByteBuffer(256, 255));
  out.clear();
  mac::writeElement32(small, out, SlotId::ic16, 16, std::nullopt);
  e = split(out);
  EXPECT_EQ(e.maskType, "s8mk");
  EXPECT_EQ(e.mask, ByteBuffer(256, 255));
}

TEST(IconElementsEncode, ByteExactRecordsOfAnEmptySlot) {
  // No picture: a white one of the control size is used and kept.
  core::IconSet board;
  ByteBuffer out;
  mac::writeElement32(board, out, SlotId::ic16, 16, std::nullopt);
  const ByteBuffer whitePlane{0xFF, 0xFF, 0xFB, 0xFF};  // 130 + 126 times 255
  const ByteBuffer expected =
      concat({record("is32", concat({whitePlane, whitePlane, whitePlane})),
              record("s8mk", ByteBuffer(256, 0xFF))});
  EXPECT_EQ(out, expected);
  ASSERT_TRUE(board.slot(SlotId::ic16).picture);
  EXPECT_EQ(board.slot(SlotId::ic16).picture->pixel(15, 15), core::kWhite);
  EXPECT_EQ(board.slot(SlotId::ic16).depth, 0);

  // it32: the length counts the four zero bytes before the channels.
  out.clear();
  mac::writeElement32(board, out, SlotId::ic128, 128, std::nullopt);
  ASSERT_GE(out.size(), 12u);
  EXPECT_EQ(ByteBuffer(out.begin(), out.begin() + 4), text("it32"));
  const std::uint32_t length = core::readBE32(out.data() + 4);
  EXPECT_EQ(ByteBuffer(out.begin() + 8, out.begin() + 12), ByteBuffer(4, 0));
  // 16384 values of 255: 126 runs of 130 and one of 4 a plane.
  ByteBuffer plane;
  for (int i = 0; i < 126; ++i) plane.insert(plane.end(), {0xFF, 0xFF});
  plane.insert(plane.end(), {0x81, 0xFF});
  EXPECT_EQ(length, 8u + 4 + 3 * plane.size());
  EXPECT_EQ(ByteBuffer(out.begin() + 12, out.begin() + length),
            concat({plane, plane, plane}));
  EXPECT_EQ(ByteBuffer(out.begin() + length, out.begin() + length + 8),
            concat({text("t8mk"), ByteBuffer{0x00, 0x00, 0x40, 0x08}}));
  EXPECT_EQ(out.size(), length + 16392u);

  // Sizes that are no element's write nothing.
  out.clear();
  mac::writeElement32(board, out, SlotId::ic12, 12, std::nullopt);
  mac::writeElement8(board, out, SlotId::ic12, 12);
  EXPECT_TRUE(out.empty());
}

TEST(IconElementsEncode, OneBitMaskSlotGivesOpaqueAs255) {
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

TEST(IconElementsEncode, Size128TakesTheColourAlpha) {
  core::IconSet board;
  Bitmap pic(128, 128, PixelFormat::Bits32);
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x)
      pic.setPixel(x, y, Bgra{1, 2, 3, static_cast<std::uint8_t>(x + y)});
  board.offerBitmap(SlotId::ic128, pic);
  // A mask slot is not consulted at 128.
  board.offerBitmap(SlotId::im128, Bitmap(128, 128, PixelFormat::Bits8, core::greyPalette()));
  ByteBuffer plane;
  const ByteBuffer coded = mac::encodeElement32(board, SlotId::ic128, SlotId::im128, 128, plane);
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x)
      ASSERT_EQ(plane[std::size_t(y) * 128 + x], static_cast<std::uint8_t>(x + y));
  const ByteBuffer pixels = mac::decodeRle32(coded, 16384);
  EXPECT_EQ(at(pixels, 777), (Bgra{1, 2, 3, 255}));
}

TEST(IconElementsEncode, MiniSlotEncodesItsTopLeft) {
  // ic12 holds a 16x16 picture; an element of 16 takes all of it.
  core::IconSet board;
  ByteBuffer data(192);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i);
  mac::storePlaneBytes(board, data, 16, 12, 8);
  ASSERT_EQ(board.slot(SlotId::ic12).picture->height(), 16);
  const ByteBuffer indices = mac::encodeElement8(board, SlotId::ic12, 16);
  ASSERT_EQ(indices.size(), 256u);
  EXPECT_EQ(ByteBuffer(indices.begin(), indices.begin() + 192), data);
  EXPECT_EQ(ByteBuffer(indices.begin() + 192, indices.end()), ByteBuffer(64, 0));  // white
}

TEST(IconElementsEncode, EightBitRecordsUseTheNearestMacColour) {
  core::IconSet board;
  Bitmap pic(32, 32, PixelFormat::Bits32);
  pic.fill(Bgra{0, 0, 240, 255});         // EE0000: 215
  pic.setPixel(0, 0, Bgra{0, 0, 0, 0});   // black: 255
  pic.setPixel(31, 31, Bgra{50, 100, 200, 255});  // CC6633: 58
  board.offerBitmap(SlotId::ic32, pic);
  ByteBuffer out;
  mac::writeElement8(board, out, SlotId::ic32, 32);
  ByteBuffer indices(1024, 215);
  indices[0] = 255;
  indices[1023] = 58;
  EXPECT_EQ(out, record("icl8", indices));
  EXPECT_EQ(board.slot(SlotId::ic32).picture->format(), PixelFormat::Bits32);

  // An 8-bit picture of palette entries comes back index for index.
  core::IconSet indexed;
  ByteBuffer data(256);
  for (std::size_t i = 0; i < 256; ++i) data[i] = static_cast<std::uint8_t>(255 - i);
  mac::storePlaneBytes(indexed, data, 16, 16, 8);
  EXPECT_EQ(mac::encodeElement8(indexed, SlotId::ic16, 16), data);
}
