// The Macintosh writers and the board edge of the readers: channel coding and colour matching,
// byte layouts worked out by hand, round trips, independent decoders and splitters, and the
// save commands with their dialogs.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "core/element_types.h"
#include "core/palettes.h"
#include "core/string_table.h"
#include "mac/channel_rle.h"
#include "mac/colour_match.h"
#include "mac/envelopes.h"
#include "mac/icns.h"
#include "mac/icon_elements.h"
#include "mac/resource_fork.h"
#include "mac/save_commands.h"
#include "support/icns_builder.h"
#include "support/shared_data.h"
#include "support/temp_dir.h"

using namespace vexilo;
using namespace vexilo::test;
using core::Bgra;
using core::Bitmap;
using core::ByteBuffer;
using core::PixelFormat;
using core::SlotId;

namespace {

Bitmap solid(int w, int h, Bgra c) {
  Bitmap b(w, h, PixelFormat::Bits32);
  return b.fill(c), b;
}

ByteBuffer alphaOf(const Bitmap& b) {
  ByteBuffer out;
  for (int y = 0; y < b.height(); ++y)
    for (int x = 0; x < b.width(); ++x) out.push_back(b.pixel(x, y).alpha);
  return out;
}

ByteBuffer counting(std::size_t n, std::size_t from = 0) {
  ByteBuffer b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(from + i);
  return b;
}

ByteBuffer undated(ByteBuffer file) {
  std::fill(file.begin() + 91, file.begin() + 99, 0);
  return file;
}

}  // namespace

TEST(ChannelRle, PackChunksByteForByteAndUnpackWithinBounds) {
  const std::pair<ByteBuffer, ByteBuffer> packed[] = {
      {ByteBuffer(256, 5), {0xFF, 5, 0xFB, 5}},                          // 130 is the longest run
      {concat({{7}, ByteBuffer(255, 5)}), {0x00, 7, 0xFF, 5, 0xFA, 5}},  // a literal flushed first
      {{1, 2, 2, 3}, {0x03, 1, 2, 2, 3}},                                // two equal values are no run
      {{1, 2, 9, 9, 9}, {0x01, 1, 2, 0x80, 9}},                          // three at the end are
      {{1, 2, 9, 9}, {0x03, 1, 2, 9, 9}},
      {concat({ByteBuffer(131, 4), {6}}), {0xFF, 4, 0x01, 4, 6}},
      {{}, {}},
      {counting(128), concat({{0x7E}, counting(127), {0x00, 127}})},  // literals hold at most 127
      {counting(254), concat({{0x7E}, counting(127), {0x7E}, counting(127, 127)})},
  };
  for (const auto& [plane, coded] : packed) {
    ByteBuffer out{0xAA};
    EXPECT_EQ(mac::packChannel(plane, out), coded.size());
    EXPECT_EQ(out, concat({{0xAA}, coded})) << plane.size() << " values";
  }
  const struct { ByteBuffer coded; std::size_t start, n, end; ByteBuffer plane; } unpacked[] = {  // 0xEE: not written
      {{0xFF, 9}, 0, 3, 2, {9, 9, 9}},  // a run cut to the plane
      {{0x02, 1, 2, 3, 0x81, 7}, 0, 7, 6, {1, 2, 3, 7, 7, 7, 7}},
      {{0x03, 1, 2, 3, 4, 0x00, 8}, 0, 2, 5, {1, 2}},  // a literal keeps its bytes
      {{0x80, 5, 0x00, 0x99}, 2, 1, 4, {0x99}},        // the next plane goes on
      {{0x80}, 0, 3, 1, {0xEE, 0xEE, 0xEE}},           // a header without its value
      {{0x05, 1, 2}, 0, 4, 3, {1, 2, 0xEE, 0xEE}},     // a literal cut short
      {{0x80, 1}, 10, 1, 2, {0xEE}},                   // a start past the end
  };
  for (const auto& c : unpacked) {
    ByteBuffer pixels(c.n * 4, 0xEE), expected(c.n * 4, 0xEE);
    for (std::size_t i = 0; i < c.n; ++i) expected[i * 4] = c.plane[i];
    EXPECT_EQ(mac::unpackChannel(c.coded, c.start, pixels, c.n), c.end);
    EXPECT_EQ(pixels, expected);
  }
  ByteBuffer small(5, 0);  // the output span bounds the writes whatever n says
  EXPECT_EQ(mac::unpackChannel(ByteBuffer{0xFF, 1}, 0, small, 1000), 2u);
  EXPECT_EQ(small, (ByteBuffer{1, 0, 0, 0, 1}));
  std::mt19937 rng(1234);  // random planes round trip within the worst case
  auto uniform = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int trial = 0; trial < 400; ++trial) {
    // Few distinct values give runs of every length; many give long literal stretches.
    const auto n = static_cast<std::size_t>(uniform(0, 2000));
    const int distinct = uniform(1, 256), runBias = uniform(0, 3);
    ByteBuffer plane(n), coded, pixels(n * 4);
    for (std::size_t i = 0; i < n; ++i)
      plane[i] = i > 0 && uniform(0, runBias) != 0 ? plane[i - 1] : static_cast<std::uint8_t>(uniform(0, distinct - 1));
    const std::size_t first = mac::packChannel(plane, coded);
    EXPECT_LE(first, n + (n + 126) / 127) << "n " << n;
    ASSERT_EQ(mac::unpackChannel(coded, 0, pixels, n), first);
    for (std::size_t i = 0; i < n; ++i) ASSERT_EQ(pixels[i * 4], plane[i]) << "trial " << trial;
  }
}

TEST(ColourMatch, NearestEntriesAndRoundingAtGridHalves) {
  const struct { int red, green, blue, index; } cases[] = {
      {0, 0, 0, 255},       {255, 255, 255, 0},   {255, 0, 0, 35},      {0, 0, 255, 210},
      {240, 0, 0, 215},     // a ramp colour off the cube: EE0000
      {128, 128, 128, 249}, {200, 100, 50, 58},   {10, 20, 30, 214},
      {17, 34, 51, 0},      // counted as greyish, 112233 is nowhere: white
      {0, 0, 8, 255},       {0, 0, 9, 244},       {8, 8, 8, 255},       {9, 9, 9, 254},  // 16 levels
      {255, 204, 25, 11},   {255, 204, 26, 10},   // 6 levels: 25 rounds down, 26 up
  };
  auto match = [](int r, int g, int b, int a) {
    return mac::nearestMacColour(Bgra{std::uint8_t(b), std::uint8_t(g), std::uint8_t(r), std::uint8_t(a)});
  };
  for (const auto& c : cases)
    for (int alpha : {255, 0}) EXPECT_EQ(match(c.red, c.green, c.blue, alpha), c.index) << c.red << "," << c.green << "," << c.blue;
  // The cube levels lie on the 16-level grid too, and no colour appears twice.
  for (int i = 0; i < 256; ++i) {
    const auto c = core::macPalette256()[static_cast<std::size_t>(i)];
    EXPECT_EQ(match(c.red, c.green, c.blue, 255), i) << "entry " << i;
  }
}

TEST(IcnsWrite, FamiliesAndOneSlotLaidOutByteForByte) {
  // Pixel 0 differs in red and green: those planes code as a one-value literal (00 w), seven
  // runs of 130 (FF v) and a run of 113 (EE v), 18 bytes; the flat blue plane as seven runs and
  // a run of 114 (EF v). Without a mask slot picture the mask is opaque. The 16x12 and
  // black-and-white slots never go in. The t8mk of ic128 is its alpha, not im128.
  Session s;
  EXPECT_EQ(mac::writeIcnsFamily(s.board), (ByteBuffer{'i', 'c', 'n', 's', 0, 0, 0, 8}));
  Bitmap b = solid(32, 32, {30, 20, 10, 255}), big = solid(128, 128, {60, 50, 40, 0});
  b.setPixel(0, 0, {30, 21, 11, 255});
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x) big.setPixel(x, y, {60, 50, 40, static_cast<std::uint8_t>(x + y)});
  s.board.offerBitmap(SlotId::ic32, b);
  s.board.offerBitmap(SlotId::ic128, big);
  s.board.offerBitmap(SlotId::ic12, solid(16, 12, {30, 20, 10, 255}));
  s.board.offerBitmap(SlotId::icNB, solid(32, 32, core::kBlack));
  core::applyFamily(s.ctx, mac::decodeRawElement(*core::findElementType("t8mk"), ByteBuffer(16384, 0x77)));
  ByteBuffer il32;
  for (auto [w, v] : {std::pair{11, 10}, std::pair{21, 20}}) {
    append(il32, {0x00, w});
    for (int i = 0; i < 7; ++i) append(il32, {0xFF, v});
    append(il32, {0xEE, v});
  }
  appendFlatPlane(il32, 1024, 30);
  ByteBuffer expected = {'i', 'c', 'n', 's', 0x00, 0x00, 0x47, 0x5A, 'i', 'l', '3', '2', 0, 0, 0, 60};
  expected = concat({expected, il32, {'l', '8', 'm', 'k', 0, 0, 4, 8}, ByteBuffer(1024, 0xFF),
                     {'i', 't', '3', '2', 0, 0, 3, 6, 0, 0, 0, 0}, flatRle(16384, {60, 50, 40, 0}),
                     {'t', '8', 'm', 'k', 0, 0, 0x40, 0x08}, alphaOf(big)});
  EXPECT_EQ(mac::writeIcnsFamily(s.board), expected);
  // The 16x12 picture fills the top 12 rows of the white 16x16 control: each plane is a run of
  // 130 (FF v), one of 62 (BB v) and 64 white values (BD FF).
  expected = {'i', 'c', 'n', 's', 0, 0, 0x01, 0x2A, 'i', 's', '3', '2', 0, 0, 0, 26};
  for (int v : {10, 20, 30}) append(expected, {0xFF, v, 0xBB, v, 0xBD, 0xFF});
  expected = concat({expected, {'s', '8', 'm', 'k', 0, 0, 1, 8}, ByteBuffer(256, 0xFF)});
  EXPECT_EQ(mac::writeSlotIcns(s.board, SlotId::ic12), expected);
  for (SlotId slot : {SlotId::PB16, SlotId::PB128, SlotId::ipal256}) EXPECT_FALSE(mac::writeSlotIcns(s.board, slot));
}

TEST(IcnsWrite, FamilyRoundTripsAndDecodesAlikeWithPillowAndIcns2png) {
  // 8-bit masks at 16, 32 and 48 (128: its alpha), so that every size reads back as pattern(size).
  // The large slots go in as PNG elements.
  Session s, back;
  for (int size : {16, 32, 48, 128, 256, 512, 1024}) {
    s.board.offerBitmap(*core::colourSlotOf(size, size), pattern(size));
    if (size < 128)
      core::applyFamily(s.ctx, mac::decodeRawElement(*core::maskTypeForPixels(std::size_t(size) * size), alphaOf(pattern(size))));
  }
  const ByteBuffer file = mac::writeIcnsFamily(s.board);
  core::applyFamily(back.ctx, mac::decodeIcns(file));
  EXPECT_TRUE(back.prompter.infos.empty());
  for (int size : {16, 32, 48, 128}) {
    const SlotId colour = *core::colourSlotOf(size, size), mask = *core::maskSlotOf(size, size);
    ASSERT_EQ(back.depth(colour), core::depthOrdinal(PixelFormat::Bits32)) << size;
    ASSERT_EQ(back.depth(mask), core::depthOrdinal(PixelFormat::Bits8)) << size;
    EXPECT_EQ(back.picture(colour), pattern(size)) << size;
    EXPECT_EQ(alphaOf(back.picture(colour)), alphaOf(pattern(size)));
  }
  for (int size : {256, 512, 1024}) EXPECT_EQ(back.picture(*core::colourSlotOf(size, size)), pattern(size)) << size;
  // A large slot alone: its one element.
  const ByteBuffer alone = *mac::writeSlotIcns(s.board, SlotId::ic512);
  EXPECT_EQ(std::string(alone.begin() + 8, alone.begin() + 12), "ic09");
  EXPECT_EQ(mac::decodeIcns(alone).pictures.at(0).bitmap, pattern(512));
  EXPECT_EQ(mac::writeIcnsFamily(back.board), file) << "written again, the board gives the same file";
  VEXILO_REQUIRE_PILLOW();
  VEXILO_REQUIRE_ICNS2PNG();
  TempDir dir;
  writeFile(dir / "family.icns", file);
  EXPECT_EQ(pillowIcnsSizes(dir / "family.icns"), (std::vector<int>{16, 32, 48, 128, 256, 512}));
  const auto libicns = decodeIcnsWithIcns2png(dir / "family.icns");
  for (int size : {16, 32, 48, 128, 256, 512, 1024}) {
    const auto pillow = decodeIcnsWithPillow(dir / "family.icns", std::min(size, 512), size == 1024 ? 2 : 1);
    ASSERT_TRUE(pillow) << size;
    EXPECT_TRUE(sameRgba(pattern(size), *pillow)) << "Pillow at " << size;
    const std::string key = std::to_string(size) + "x" + std::to_string(size) + "x32";
    ASSERT_TRUE(libicns.count(key)) << key;
    EXPECT_TRUE(sameRgba(pattern(size), libicns.at(key))) << "icns2png " << key;
  }
}

TEST(ForkWrite, ResourceForkAndMacBinaryLayoutsByteForByte) {
  const ByteBuffer icns = counting(10000, 3);
  const ByteBuffer header = {0, 0, 1, 0, 0, 0, 0x28, 0x14, 0, 0, 0x27, 0x14, 0, 0, 0, 0x32};
  ByteBuffer expected = concat({header, ByteBuffer(240, 0), {0, 0, 0x27, 0x10}, icns, header, ByteBuffer(8, 0)});
  append(expected, {0x00, 0x1C, 0x00, 0x32, 0x00, 0x00, 'i', 'c', 'n', 's', 0x00, 0x00, 0x00, 0x0A, 0xBF, 0xB9,
                    0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(mac::writeResourceFork({{{'i', 'c', 'n', 's'}, icns}}), expected);
  const ByteBuffer out = mac::macBinaryFile(ByteBuffer(130, 1), ByteBuffer(5, 2), 0x01020304);
  expected.assign(128, 0);
  std::memcpy(&expected[1], "\x05Icon\r", 6);
  std::memcpy(&expected[65], "ICNSMACS\x40", 9);
  expected[86] = 130, expected[90] = 5;
  for (std::size_t at : {91, 95}) std::memcpy(&expected[at], "\x01\x02\x03\x04", 4);
  EXPECT_EQ(out, concat({expected, ByteBuffer(130, 1), ByteBuffer(126, 0), ByteBuffer(5, 2), ByteBuffer(123, 0)}));
  EXPECT_TRUE(mac::isMacBinary(std::span<const std::uint8_t, 128>(out.data(), 128), out.size()));
}

TEST(MacSave, ForksOneSlotAsResourceAndIcnsClick) {
  TempDir dir;
  Session s;
  s.board.offerBitmap(SlotId::ic48, solid(48, 48, {1, 2, 3, 255}));
  const ByteBuffer icns = mac::writeIcnsFamily(s.board);
  const ByteBuffer fork = mac::writeResourceFork({{{'i', 'c', 'n', 's'}, icns}});
  s.prompter.paths = {(dir / "r.bin").string(), (dir / "b.bin").string(), (dir / "a").string()};
  EXPECT_EQ(mac::saveResourceFork(s.ctx), core::Outcome::Written);
  EXPECT_EQ(mac::saveBothForks(s.ctx), core::Outcome::Written);
  EXPECT_EQ(s.prompter.saveDialogs.at(0).initialName, "*.bin");
  const ByteBuffer r = readFile(dir / "r.bin");
  EXPECT_EQ(core::readBE32(&r[91]), core::readBE32(&r[95])) << "creation and modification dates";
  EXPECT_EQ(undated(r), mac::macBinaryFile({}, fork, 0));
  EXPECT_EQ(undated(readFile(dir / "b.bin")), mac::macBinaryFile(icns, fork, 0));
  s.board.select(SlotId::ic48);  // one image as an icns resource: ".bin" always appended
  EXPECT_EQ(mac::saveSlotAsResource(s.ctx), core::Outcome::Written);
  const ByteBuffer one = *mac::writeSlotIcns(s.board, SlotId::ic48);
  EXPECT_EQ(undated(readFile(dir / "a.bin")), mac::macBinaryFile({}, mac::writeResourceFork({{{'i', 'c', 'n', 's'}, one}}), 0));
  s.board.select(SlotId::PB32);  // no icon size: refused before any dialog
  EXPECT_EQ(mac::saveSlotAsResource(s.ctx), core::Outcome::Refused);
  EXPECT_EQ(mac::icnsClick(s.ctx), core::Outcome::Refused);
  EXPECT_EQ(s.prompter.saveDialogs.size(), 3u);

  const auto path = (dir / "out.icns").string();  // the slot icns, after the dialog and its question
  writeFile(path, ByteBuffer{'o', 'l', 'd'});
  core::applyFamily(s.ctx, mac::decodeRawElement(*core::findElementType("icl8"), ByteBuffer(1024, 5)));
  s.board.select(SlotId::ic32);
  EXPECT_EQ(mac::icnsClick(s.ctx), core::Outcome::Cancelled);
  EXPECT_EQ(s.prompter.saveDialogs.at(3).filter, "icns Files [*.icns]|*.icns|All Files [*.*]|*.*");
  EXPECT_EQ(s.picture(SlotId::ic32).format(), PixelFormat::Bits8) << "not converted for nothing";
  s.prompter.paths = {path, path};
  s.prompter.answers = {false, true};
  EXPECT_EQ(mac::icnsClick(s.ctx), core::Outcome::Cancelled);
  EXPECT_EQ(readFile(path), (ByteBuffer{'o', 'l', 'd'}));
  EXPECT_EQ(mac::icnsClick(s.ctx), core::Outcome::Written);
  EXPECT_EQ(readFile(path), mac::writeSlotIcns(s.board, SlotId::ic32));
  EXPECT_TRUE(s.prompter.infos.empty());
}

TEST(MacSave, CustomIconLayoutAndItsMaskByRecordedDepth) {
  TempDir dir;
  Session s;
  Bitmap picture = solid(32, 32, core::kWhite);  // ic32: white, a red line in row 10 from 4 to 19, 8-bit
  for (int x = 4; x < 20; ++x) picture.setPixel(x, 10, {0, 0, 255, 255});
  picture.convertTo(PixelFormat::Bits8);
  s.board.offerBitmap(SlotId::ic32, picture);
  s.board.offerBitmap(SlotId::ic48, solid(48, 48, {1, 2, 3, 255}));
  ByteBuffer bits(128, 0);  // the line keyed on white, the image and its mask the same bitmap
  bits[40] = 0x0F, bits[41] = 0xFF, bits[42] = 0xF0;
  const ByteBuffer icnElement = record("ICN#", concat({bits, bits}));
  ByteBuffer icl8 = concat({{'i', 'c', 'l', '8', 0, 0, 4, 8}, ByteBuffer(1024, 0)});  // white 0, red 35
  std::fill_n(icl8.begin() + 8 + 10 * 32 + 4, 16, 35);
  s.prompter.paths = {(dir / "Icon.bin").string(), (dir / "none.bin").string()};
  EXPECT_EQ(mac::saveCustomIcon(s.ctx), core::Outcome::Written);
  EXPECT_EQ(s.depth(SlotId::im32), 0) << "the keyed mask shows in im32 without a depth";
  EXPECT_EQ(s.picture(SlotId::im32).pixel(4, 10), core::kBlack);
  ByteBuffer icns = concat({{'i', 'c', 'n', 's', 0, 0, 0, 0}, icnElement, icl8});
  mac::writeElement32(s.board, icns, SlotId::ic32, 32, SlotId::im32);
  mac::writeElement32(s.board, icns, SlotId::ic48, 48, SlotId::im48);
  core::writeBE32(&icns[4], static_cast<std::uint32_t>(icns.size()));
  const ByteBuffer fork = mac::writeResourceFork({{{'i', 'c', 'l', '8'}, ByteBuffer(icl8.begin() + 8, icl8.end())},
                                                  {{'I', 'C', 'N', '#'}, concat({bits, bits})},
                                                  {{'i', 'c', 'n', 's'}, icns}});
  EXPECT_EQ(undated(readFile(dir / "Icon.bin")), mac::macBinaryFile(icns, fork, 0));
  // Widened to 32 bits by that save, ic32 (recorded 8-bit) is still keyed on white; a 1-bit
  // im32 widened the same way still gives black as opaque.
  s.board.wipeSlot(SlotId::im32);
  EXPECT_EQ(mac::buildIcnElement(s.ctx), icnElement);
  ByteBuffer pair(256, 0);
  pair[128 + 5] = 0x3C;
  core::applyFamily(s.ctx, mac::decodeRawElement(*core::findElementType("ICN#"), pair));
  const auto fromPair = mac::buildIcnElement(s.ctx);
  ByteBuffer alpha(1024, 0), before, after;  // as the 32-bit element's mask, opaque is 255
  std::fill_n(alpha.begin() + 32 + 10, 4, 255);
  mac::encodeElement32(s.board, SlotId::ic32, SlotId::im32, 32, before);
  mac::writeIcnsFamily(s.board);
  ASSERT_EQ(s.picture(SlotId::im32).format(), PixelFormat::Bits32);
  mac::encodeElement32(s.board, SlotId::ic32, SlotId::im32, 32, after);
  EXPECT_EQ(before, alpha);
  EXPECT_EQ(after, alpha);
  EXPECT_EQ(mac::buildIcnElement(s.ctx), fromPair);
  EXPECT_EQ((*fromPair)[8 + 5], 0x3C);
  EXPECT_EQ((*fromPair)[8 + 6], 0x00);
  Session empty;  // no 32x32 picture at all: message 6100, no file
  empty.prompter.paths.push_back((dir / "none.bin").string());
  EXPECT_EQ(mac::saveCustomIcon(empty.ctx), core::Outcome::Refused);
  EXPECT_EQ(empty.prompter.infos, std::vector<std::string>{"No contents for the 32*32 icon (neither color or B&W). Aborting."});
  EXPECT_EQ(empty.prompter.kinds, std::vector<core::MessageKind>{core::MessageKind::Warning});
  EXPECT_FALSE(std::filesystem::exists(dir / "none.bin"));
  VEXILO_REQUIRE_TOOL(runCommand("command -v macsave >/dev/null") == 0, "macsave (macutils)");
  ASSERT_EQ(runCommand("cd " + shellQuote(dir.path().string()) + " && macsave -3 < Icon.bin 2>/dev/null"), 0);
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    if (const auto ext = entry.path().extension(); ext == ".data" || ext == ".rsrc") {
      EXPECT_EQ(readFile(entry.path()), ext == ".data" ? icns : fork);
    }
}

TEST(ReaderBoardEdge, ClampedRangesAndMessages) {
  Session s;
  const ByteBuffer family = icnsFile({record("is32", flatRle(256, {1, 2, 3, 255}))});
  mac::readIcnsElements(s.ctx, concat({ByteBuffer(8, 0xEE), family}), 8, std::size_t(-1));
  EXPECT_EQ(s.depth(SlotId::ic16), core::depthOrdinal(PixelFormat::Bits32)) << "a range clamped to the file";
  mac::readResourceFork(s.ctx, mac::writeResourceFork({{{'i', 'c', 'l', '8'}, ByteBuffer(1024, 0x23)}}));
  EXPECT_EQ(s.picture(SlotId::ic32).index(0, 0), 0x23);
  TempDir dir;  // messages: unknown elements in French; files that cannot be opened
  writeFile(dir / "x.icns", icnsFile({record("ICON", ByteBuffer(128))}));
  writeFile(dir / "x.bin", ByteBuffer(200, 0));
  Session m;
  m.ctx.langOffset = core::kFrench;
  mac::readIcnsFile(m.ctx, dir / "x.icns");
  m.ctx.langOffset = 0;
  mac::readIcnsFile(m.ctx, dir / "missing.icns");
  mac::readElementFile(m.ctx, dir.path(), *core::findElementType("icl8"));
  mac::readMaskFile(m.ctx, dir / "missing.s8mk", 16, 16);
  mac::readMacBinary(m.ctx, dir / "x.bin");
  mac::readAppleDouble(m.ctx, dir / "x.bin");
  mac::readAppleSingle(m.ctx, dir / "missing.as");  // gone since it was recognised: nothing to say
  const std::string noFile = core::loadLocalString(1041, 0);
  EXPECT_EQ(m.prompter.infos, (std::vector<std::string>{
      "Ressource ICON inconnue.", core::formatMessage(noFile, (dir / "missing.icns").string()),
      core::formatMessage(noFile, dir.path().string()), core::formatMessage(noFile, (dir / "missing.s8mk").string()),
      core::formatMessage(core::loadLocalString(6410, 0), (dir / "x.bin").string())}));
  using enum core::MessageKind;  // an element skipped; files not read
  EXPECT_EQ(m.prompter.kinds, (std::vector<core::MessageKind>{Warning, Error, Error, Error, Error}));
  for (SlotId id : core::kBoardSlots) EXPECT_FALSE(m.board.slot(id).filled());
}
