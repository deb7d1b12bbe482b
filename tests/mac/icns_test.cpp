// The icns reader and writers: byte layouts worked out by hand, damaged files, round trips and
// cross-checks with Pillow's and libicns's decoders.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "core/bitmap.h"
#include "core/string_table.h"
#include "mac/icns.h"
#include "mac/icon_elements.h"
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

constexpr int kDepth1 = core::depthOrdinal(PixelFormat::Bits1);
constexpr int kDepth4 = core::depthOrdinal(PixelFormat::Bits4);
constexpr int kDepth8 = core::depthOrdinal(PixelFormat::Bits8);
constexpr int kDepth32 = core::depthOrdinal(PixelFormat::Bits32);

void read(Session& s, const ByteBuffer& file) { mac::readIcnsElements(s.ctx, file, 0, file.size()); }

Bitmap solid(int w, int h, Bgra c) {
  Bitmap b(w, h, PixelFormat::Bits32);
  b.fill(c);
  return b;
}

// The alpha of pattern(size, seed, true) as the levels of an 8-bit mask.
ByteBuffer rampMask(int size) {
  ByteBuffer m;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) m.push_back(static_cast<std::uint8_t>((x * 2 + y) % 256));
  return m;
}

// 32-bit pictures at 16, 32, 48 and 128 with 8-bit masks at 16, 32 and 48 (128: its alpha), so
// that every size reads back as pattern(size, size, true).
void fillFamily(core::IconSet& board) {
  for (int size : {16, 32, 48}) {
    board.offerBitmap(colourSlot(size), pattern(size, size));
    board.storeBitmapFile(maskSlot(size), mac::buildBitmapFile(rampMask(size), size, size, -8), 0);
  }
  board.offerBitmap(SlotId::ic128, pattern(128, 128, true));
}

std::uint32_t be32At(const ByteBuffer& b, std::size_t pos) { return core::readBE32(b.data() + pos); }
std::string typeAt(const ByteBuffer& b, std::size_t pos) {
  return std::string(reinterpret_cast<const char*>(b.data() + pos), 4);
}

// The well-formed element records of an icns file: type and data.
std::vector<std::pair<std::string, ByteBuffer>> elementsOf(const ByteBuffer& file) {
  std::vector<std::pair<std::string, ByteBuffer>> out;
  for (std::size_t pos = 8; pos + 8 <= file.size();) {
    const std::uint32_t len = be32At(file, pos + 4);
    if (len < 8 || len > file.size() - pos) break;
    out.emplace_back(typeAt(file, pos), ByteBuffer(file.begin() + static_cast<std::ptrdiff_t>(pos + 8),
                                                   file.begin() + static_cast<std::ptrdiff_t>(pos + len)));
    pos += len;
  }
  return out;
}

}  // namespace

// --- Writing --------------------------------------------------------------------------------

TEST(IcnsWrite, EmptyBoardAndLoneIc32AreLaidOutByteForByte) {
  core::IconSet board;
  EXPECT_EQ(mac::writeIcnsFamily(board), (ByteBuffer{'i', 'c', 'n', 's', 0, 0, 0, 8}));

  // Pixel 0 differs in red and green: those planes code as a one-value literal (00 w), seven
  // runs of 130 (FF v) and a run of 113 (EE v), 18 bytes; the flat blue plane as seven runs and
  // a run of 114 (EF v), 16 bytes. 8 + (8 + 52) + (8 + 1024) = 1100 = 0x44C. Without a mask slot
  // picture the mask is opaque. The 16x12 and black-and-white slots never go in.
  Bitmap b = solid(32, 32, {30, 20, 10, 255});
  b.setPixel(0, 0, {30, 21, 11, 255});
  board.offerBitmap(SlotId::ic32, b);
  board.offerBitmap(SlotId::ic12, solid(16, 12, {1, 2, 3, 255}));
  board.offerBitmap(SlotId::icNB, solid(32, 32, core::kBlack));
  ByteBuffer expected = {'i', 'c', 'n', 's', 0x00, 0x00, 0x04, 0x4C, 'i', 'l', '3', '2', 0, 0, 0, 60};
  for (auto [w, v] : {std::pair{11, 10}, std::pair{21, 20}}) {
    append(expected, {0x00, w});
    for (int i = 0; i < 7; ++i) append(expected, {0xFF, v});
    append(expected, {0xEE, v});
  }
  appendFlatPlane(expected, 1024, 30);
  append(expected, {'l', '8', 'm', 'k', 0, 0, 4, 8});
  expected.resize(expected.size() + 1024, 0xFF);
  EXPECT_EQ(mac::writeIcnsFamily(board), expected);
}

TEST(IcnsWrite, T8mkComesFromTheAlphaOfIc128NotFromIm128) {
  // Each flat plane of 16384 values is 126 runs of 130 and a run of 4 (81 v), 254 bytes:
  // it32 = 8 + 4 zero bytes + 762 = 774, t8mk = 8 + 16384, file = 8 + 774 + 16392 = 17174.
  core::IconSet board;
  Bitmap b(128, 128, PixelFormat::Bits32);
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x) b.setPixel(x, y, {60, 50, 40, static_cast<std::uint8_t>(x + y)});
  board.offerBitmap(SlotId::ic128, b);
  board.storeBitmapFile(SlotId::im128, mac::buildBitmapFile(ByteBuffer(16384, 0x77), 128, 128, -8), 0);

  const ByteBuffer out = mac::writeIcnsFamily(board);
  ASSERT_EQ(out.size(), 17174u);
  EXPECT_EQ(be32At(out, 4), 17174u);
  EXPECT_EQ(typeAt(out, 8), "it32");
  EXPECT_EQ(be32At(out, 12), 774u);
  EXPECT_EQ(be32At(out, 16), 0u) << "four zero bytes before the red plane";
  EXPECT_EQ(ByteBuffer(out.begin() + 20, out.begin() + 782), flatRle(16384, {60, 50, 40, 0}));
  EXPECT_EQ(typeAt(out, 782), "t8mk");
  EXPECT_EQ(be32At(out, 786), 16392u);
  for (std::size_t i = 0; i < 16384; ++i)
    ASSERT_EQ(out[790 + i], static_cast<std::uint8_t>(i % 128 + i / 128)) << i;
}

TEST(IcnsWrite, SlotIcnsOfIc12IsAnIs32OfTheWhole16x16Control) {
  // The 16x12 picture fills the top 12 rows of the white 16x16 control: each plane is a run of
  // 130 (FF v), one of 62 (BB v) and 64 white values (BD FF). No mask slot: opaque.
  core::IconSet board;
  board.offerBitmap(SlotId::ic12, solid(16, 12, {30, 20, 10, 255}));
  board.storeBitmapFile(SlotId::im12, mac::buildBitmapFile(ByteBuffer(192, 9), 16, 12, -8), 0);
  ByteBuffer expected = {'i', 'c', 'n', 's', 0, 0, 0x01, 0x2A, 'i', 's', '3', '2', 0, 0, 0, 26};
  for (int v : {10, 20, 30}) append(expected, {0xFF, v, 0xBB, v, 0xBD, 0xFF});
  append(expected, {'s', '8', 'm', 'k', 0, 0, 1, 8});
  expected.resize(expected.size() + 256, 0xFF);
  EXPECT_EQ(mac::writeSlotIcns(board, SlotId::ic12), expected);

  for (SlotId s : {SlotId::PB16, SlotId::PB128, SlotId::ipal16, SlotId::ipalicon, SlotId::ipal256})
    EXPECT_FALSE(mac::writeSlotIcns(board, s)) << core::slotName(s);
}

// --- Reading files made by hand -------------------------------------------------------------

TEST(IcnsRead, MaskIsTakenNextToItsPictureOrSearchedForInTheWholeRange) {
  const ByteBuffer il32 = record("il32", flatRle(1024, {30, 20, 10, 255}));
  const ByteBuffer mask = rampMask(32);
  Session s;  // next to it: alpha, a grey mask slot, both pictures on the pasteboard
  read(s, icnsFile({il32, record("l8mk", mask)}));
  ASSERT_EQ(s.depth(SlotId::ic32), kDepth32);
  ASSERT_EQ(s.depth(SlotId::im32), kDepth8);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const std::uint8_t level = mask[static_cast<std::size_t>(y) * 32 + x];
      ASSERT_EQ(s.picture(SlotId::ic32).pixel(x, y), (Bgra{30, 20, 10, level})) << x << "," << y;
      ASSERT_EQ(s.picture(SlotId::im32).pixel(x, y), (Bgra{level, level, level, 255})) << x << "," << y;
    }
  EXPECT_EQ(s.board.cursor(SlotId::PB32).count, 2);

  Session before;  // before the picture, an unknown element between
  read(before, icnsFile({record("l8mk", ByteBuffer(1024, 0x40)), record("vers", {1, 2}), il32}));
  EXPECT_EQ(before.picture(SlotId::ic32).pixel(5, 5), (Bgra{30, 20, 10, 0x40}));
  Session both;  // one before, one right after: the one after
  read(both, icnsFile({record("l8mk", ByteBuffer(1024, 0x40)), il32, record("l8mk", mask)}));
  EXPECT_EQ(both.picture(SlotId::ic32).pixel(5, 5).alpha, mask[5 * 32 + 5]);

  // A short mask sets the alpha of its first pixels only, in every picture that looks for it.
  Session shortMask;
  read(shortMask, icnsFile({record("l8mk", ByteBuffer(100, 0x40)), il32, il32}));
  for (int cell : {1, 2}) {  // pasteboard cells 34 pixels apart; the mask is in the first
    EXPECT_EQ(shortMask.picture(SlotId::PB32).pixel(2 + 34 * cell + 3, 5).alpha, 0x40) << cell;
    EXPECT_EQ(shortMask.picture(SlotId::PB32).pixel(2 + 34 * cell + 4, 5).alpha, 255) << cell;
  }

  Session none;  // no l8mk anywhere (an s8mk does not count): opaque
  read(none, icnsFile({il32, record("s8mk", ByteBuffer(256, 0x40))}));
  EXPECT_EQ(none.picture(SlotId::ic32).pixel(5, 5), (Bgra{30, 20, 10, 255}));
}

TEST(IcnsRead, EachElementTypeGoesToItsSlot) {
  // ICN#: image rows alternate AA.. and 00..; its mask is opaque in the left half. ics#: an
  // empty image and a mask with only its top row opaque: the mask slot takes the second plane.
  ByteBuffer icn(256, 0);
  for (std::size_t i = 0; i < 128; ++i) icn[i] = (i / 4) % 2 ? 0x00 : 0xAA;
  for (std::size_t i = 128; i < 256; ++i) icn[i] = i % 4 < 2 ? 0xFF : 0x00;
  ByteBuffer ics(64, 0);
  ics[32] = ics[33] = 0xFF;
  Session s;  // ih32 first: the later, shallower ich8 does not replace it
  read(s, icnsFile({record("ICN#", icn), record("ics#", ics), record("icm8", ByteBuffer(192, 5)),
                    record("m8mk", ByteBuffer(192, 0x80)), record("ict4", ByteBuffer(8192, 0x33)),
                    record("ih32", flatRle(2304, {1, 2, 3, 255})), record("ich8", ByteBuffer(2304, 5)),
                    record("h8mk", ByteBuffer(2304, 9))}));

  using enum SlotId;
  constexpr Bgra kBlack = core::kBlack, kWhite = core::kWhite;
  // An icns ICN# goes to the black-and-white pair; 16x12 pictures fill the top of 16x16.
  const std::pair<SlotId, int> depths[] = {
      {icNB, kDepth1}, {imNB, kDepth1}, {im16, kDepth1}, {ic16, 0},         {ic32, 0},
      {ic12, kDepth8}, {im12, kDepth8}, {ic128, kDepth4}, {ic48, kDepth32}};
  for (auto [slot, depth] : depths) EXPECT_EQ(s.depth(slot), depth) << core::slotName(slot);
  const std::tuple<SlotId, int, int, Bgra> pixels[] = {
      {icNB, 0, 0, kBlack},  {icNB, 1, 0, kWhite},  {icNB, 0, 1, kWhite},   {imNB, 15, 7, kBlack},
      {imNB, 16, 7, kWhite}, {im16, 7, 0, kBlack},  {im16, 7, 1, kWhite},   {ic12, 0, 12, kWhite},
      {ic48, 47, 47, {1, 2, 3, 9}}, {im48, 47, 47, {9, 9, 9, 255}}};
  for (auto [slot, x, y, colour] : pixels)
    EXPECT_EQ(s.picture(slot).pixel(x, y), colour) << core::slotName(slot) << " " << x << "," << y;
  EXPECT_EQ(s.picture(SlotId::ic12).pixel(0, 11), s.picture(SlotId::ic12).pixel(0, 0));
  EXPECT_EQ(s.board.cursor(SlotId::PB48).count, 3) << "every picture reaches the pasteboard";
}

TEST(IcnsRead, UnknownElementsAreNamedOnceEachAndSkipped) {
  Session s;
  read(s, icnsFile({record("vers", {0, 0, 0, 1}), record("TOC ", ByteBuffer(24, 0)),
                    record("info", ByteBuffer(300, 'x')), record("is32", flatRle(256, {1, 2, 3, 255}))}));
  EXPECT_EQ(s.prompter.infos, (std::vector<std::string>{"Unknown vers resource.", "Unknown TOC  resource.",
                                                         "Unknown info resource."}));
  EXPECT_EQ(s.depth(SlotId::ic16), kDepth32);

  Session french;
  french.ctx.langOffset = core::kFrench;
  read(french, icnsFile({record("ICON", ByteBuffer(128, 0))}));
  EXPECT_EQ(french.prompter.infos, (std::vector<std::string>{"Ressource ICON inconnue."}));
}

TEST(IcnsRead, It32RedPlaneStartingWithAOneByteLiteralDecodes) {
  // Four zero bytes; red: 00 0A (a literal of one), 126 runs FF 0B and 80 0B; flat green and
  // blue. A reader that took the zero bytes for the plane would shift every value.
  ByteBuffer coded = {0, 0, 0, 0, 0x00, 0x0A};
  for (int i = 0; i < 126; ++i) append(coded, {0xFF, 0x0B});
  append(coded, {0x80, 0x0B});
  appendFlatPlane(coded, 16384, 0x14);
  appendFlatPlane(coded, 16384, 0x1E);
  Session s;
  read(s, icnsFile({record("it32", coded)}));
  ASSERT_EQ(s.depth(SlotId::ic128), kDepth32);
  EXPECT_EQ(s.picture(SlotId::ic128).pixel(0, 0), (Bgra{0x1E, 0x14, 0x0A, 255}));
  EXPECT_EQ(s.picture(SlotId::ic128).pixel(1, 0), (Bgra{0x1E, 0x14, 0x0B, 255}));
  EXPECT_EQ(s.picture(SlotId::ic128).pixel(127, 127), (Bgra{0x1E, 0x14, 0x0B, 255}));
}

TEST(IcnsRead, ElementOfFourBytesAPixelIsRawAlphaRedGreenBlueAsIcns2pngReadsIt) {
  // Taken as coded, 0x7F would start a 128-value literal. The mask then sets the alpha.
  ByteBuffer raw;
  for (int i = 0; i < 256; ++i) append(raw, {0x7F, i, 0x80, 255 - i});
  const ByteBuffer file = icnsFile({record("is32", raw), record("s8mk", rampMask(16))});
  Session s;
  read(s, file);
  EXPECT_EQ(s.picture(SlotId::ic16).pixel(2, 0), (Bgra{253, 0x80, 2, 4}));
  Session plane;  // the same bytes as a raw element file read the same way, without a mask
  TempDir dir;
  writeFile(dir / "x.is32", raw);
  mac::readPlaneFile(plane.ctx, dir / "x.is32", 16, 16, 32);
  EXPECT_EQ(plane.picture(SlotId::ic16).pixel(2, 0), (Bgra{253, 0x80, 2, 0x7F}));

  // A raw it32 after the four zero bytes of the coded form: 65,540 bytes.
  ByteBuffer big = {0, 0, 0, 0};
  for (int i = 0; i < 16384; ++i) append(big, {0x7F, 0x7E, 0x7D, i % 128});
  read(s, icnsFile({record("it32", big)}));
  EXPECT_EQ(s.picture(SlotId::ic128).pixel(0, 0), (Bgra{0, 0x7D, 0x7E, 0x7F}));
  EXPECT_EQ(s.picture(SlotId::ic128).pixel(127, 127), (Bgra{127, 0x7D, 0x7E, 0x7F}));

  VEXILO_REQUIRE_ICNS2PNG();
  writeFile(dir / "raw.icns", file);
  const auto libicns = decodeIcnsWithIcns2png(dir / "raw.icns");
  ASSERT_TRUE(libicns.count("16x16x32"));
  EXPECT_TRUE(sameRgba(s.picture(SlotId::ic16), libicns.at("16x16x32")));
}

TEST(IcnsRead, LyingLengthsEndTheReadingWithoutLoopingOrReadingOutside) {
  const ByteBuffer is32 = record("is32", flatRle(256, {1, 2, 3, 255}));
  const ByteBuffer s8mk = record("s8mk", ByteBuffer(256, 0x55));
  auto withLength = [](ByteBuffer r, std::uint32_t length) {
    core::writeBE32(r.data() + 4, length);
    return r;
  };
  Session empty;  // the header alone changes nothing
  read(empty, icnsFile({}));
  for (SlotId id : core::kBoardSlots) EXPECT_EQ(empty.depth(id), 0) << core::slotName(id);
  EXPECT_TRUE(empty.prompter.infos.empty());

  for (std::uint32_t bad : {0u, 4u, 7u}) {  // no way on to a next header: the reading ends
    Session s;
    read(s, icnsFile({is32, withLength(record("icl8", {}), bad), s8mk}));
    EXPECT_EQ(s.depth(SlotId::ic16), kDepth32) << bad;
    EXPECT_EQ(s.depth(SlotId::im16), 0) << bad;
    Session t;
    read(t, icnsFile({withLength(record("junk", {}), bad), is32}));
    EXPECT_TRUE(t.prompter.infos.empty()) << "a length below 8 is no element, known or not";
    EXPECT_EQ(t.depth(SlotId::ic16), 0);
  }
  Session huge;  // a huge length: the last element is read as far as it goes
  read(huge, icnsFile({is32, withLength(record("ics8", ByteBuffer(100, 0xFF)), 0xFFFFFFFFu)}));
  EXPECT_EQ(huge.depth(SlotId::ic16), kDepth32);
  EXPECT_EQ(huge.board.cursor(SlotId::PB16).count, 2);

  ByteBuffer cut = icnsFile({record("icl8", ByteBuffer(1024, 0xFF))});
  cut.resize(8 + 8 + 100);  // cut by the end of the file: its bytes, then zeros (0 is white)
  Session c;
  read(c, cut);
  ASSERT_EQ(c.depth(SlotId::ic32), kDepth8);
  EXPECT_EQ(c.picture(SlotId::ic32).index(3, 3), 0xFF);
  EXPECT_EQ(c.picture(SlotId::ic32).index(4, 3), 0);
  EXPECT_EQ(c.picture(SlotId::ic32).pixel(31, 31), core::kWhite);

  for (std::uint32_t headerLength : {0u, 1u, 0xFFFFFFFFu}) {  // the header's length is not used
    Session s;
    read(s, withLength(icnsFile({is32}), headerLength));
    EXPECT_EQ(s.depth(SlotId::ic16), kDepth32) << headerLength;
  }
  Session d;  // an element without data gives no picture; data longer than needed are cut
  read(d, icnsFile({record("icl8", {}), record("s8mk", ByteBuffer(300, 0x55)), is32}));
  EXPECT_EQ(d.depth(SlotId::ic32), 0);
  EXPECT_EQ(d.depth(SlotId::im16), kDepth8);
  EXPECT_EQ(d.picture(SlotId::ic16).pixel(0, 0), (Bgra{1, 2, 3, 0x55}));
}

TEST(IcnsRead, OnlyTheGivenRangeIsReadClampedToTheFile) {
  // An icns inside a larger file, as a data fork or a resource holds it.
  const ByteBuffer inner = icnsFile({record("is32", flatRle(256, {1, 2, 3, 255}))});
  const ByteBuffer outer = concat({ByteBuffer(128, 0xEE), inner, record("icl8", ByteBuffer(1024, 1))});
  Session s;
  mac::readIcnsElements(s.ctx, outer, 128, inner.size());
  EXPECT_EQ(s.depth(SlotId::ic16), kDepth32);
  EXPECT_EQ(s.depth(SlotId::ic32), 0);
  Session t;
  mac::readIcnsElements(t.ctx, outer, 128, std::size_t(-1));
  EXPECT_EQ(t.depth(SlotId::ic32), kDepth8);
  Session u;
  mac::readIcnsElements(u.ctx, outer, outer.size() + 5, 100);
  EXPECT_EQ(u.board.cursor(SlotId::PB16).count, 0);
}

TEST(IcnsRead, EveryPrefixOfAFileReadsWithoutHarm) {
  core::IconSet source;
  source.offerBitmap(SlotId::ic16, pattern(16, 5, true));
  source.offerBitmap(SlotId::ic32, pattern(32, 6));
  source.storeBitmapFile(SlotId::im32, mac::buildBitmapFile(rampMask(32), 32, 32, -8), 0);
  const ByteBuffer file = concat({mac::writeIcnsFamily(source), record("ICN#", ByteBuffer(256, 0x5A)),
                                  record("icl4", ByteBuffer(512, 0x9C))});
  Session s;  // one board (a new one draws four pasteboards), its slots emptied each time
  for (std::size_t n = 0; n <= file.size(); ++n) {
    for (SlotId id : core::kBoardSlots) s.board.wipeSlot(id);
    read(s, ByteBuffer(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n)));  // exact size
  }
  EXPECT_EQ(s.depth(SlotId::ic16), kDepth32);
  EXPECT_EQ(s.depth(SlotId::icNB), kDepth1);
}

// --- Round trip and independent decoders ----------------------------------------------------

TEST(IcnsRoundTrip, FamilyReadsBackWithTheSamePixelsAndMasks) {
  core::IconSet board;
  fillFamily(board);
  const ByteBuffer file = mac::writeIcnsFamily(board);
  EXPECT_EQ(be32At(file, 4), file.size());
  std::vector<std::string> types;
  std::size_t total = 8;
  for (const auto& [type, data] : elementsOf(file)) {
    types.push_back(type);
    total += 8 + data.size();
  }
  EXPECT_EQ(types,
            (std::vector<std::string>{"is32", "s8mk", "il32", "l8mk", "ih32", "h8mk", "it32", "t8mk"}));
  EXPECT_EQ(total, file.size());

  Session s;
  read(s, file);
  EXPECT_TRUE(s.prompter.infos.empty());
  for (int size : {16, 32, 48, 128}) {
    ASSERT_EQ(s.depth(colourSlot(size)), kDepth32) << size;
    ASSERT_EQ(s.depth(maskSlot(size)), kDepth8) << size;
    const RgbaImage expected = toRgba(pattern(size, size, true));
    EXPECT_TRUE(sameRgba(s.picture(colourSlot(size)), expected)) << size;
    EXPECT_TRUE(sameRgba(s.picture(maskSlot(size)), alphaAsMask(expected, false))) << size;
  }
  EXPECT_EQ(mac::writeIcnsFamily(s.board), file) << "written again, the board gives the same file";
}

TEST(IcnsOracle, WrittenFamilyDecodesTheSameWithPillowAndIcns2png) {
  VEXILO_REQUIRE_PILLOW();
  VEXILO_REQUIRE_ICNS2PNG();
  core::IconSet board;
  fillFamily(board);
  TempDir dir;
  const auto path = dir / "family.icns";
  writeFile(path, mac::writeIcnsFamily(board));
  EXPECT_EQ(pillowIcnsSizes(path), (std::vector<int>{16, 32, 48, 128}));
  const auto libicns = decodeIcnsWithIcns2png(path);
  for (int size : {16, 32, 48, 128}) {
    const auto pillow = decodeIcnsWithPillow(path, size);
    ASSERT_TRUE(pillow) << size;
    EXPECT_TRUE(sameRgba(pattern(size, size, true), *pillow)) << "Pillow at " << size;
    const std::string key = std::to_string(size) + "x" + std::to_string(size) + "x32";
    ASSERT_TRUE(libicns.count(key)) << key;
    EXPECT_TRUE(sameRgba(pattern(size, size, true), libicns.at(key))) << "icns2png " << key;
  }
}

TEST(IcnsOracle, Png2icnsFileOpensWithThePixelsOfItsPngs) {
  VEXILO_REQUIRE_SHARED();
  VEXILO_REQUIRE_PILLOW();
  Session s;
  mac::readIcnsFile(s.ctx, sharedDir() / "samples" / "peer_png2icns.icns");
  EXPECT_TRUE(s.prompter.infos.empty());
  for (int size : {16, 32, 48, 128}) {
    const auto png = decodeWithPillow(sharedDir() / "samples" / ("src_" + std::to_string(size) + ".png"));
    ASSERT_TRUE(png) << size;
    ASSERT_EQ(s.depth(colourSlot(size)), kDepth32) << size;
    ASSERT_EQ(s.depth(maskSlot(size)), kDepth8) << size;
    EXPECT_TRUE(sameRgba(s.picture(colourSlot(size)), *png)) << size;
    EXPECT_TRUE(sameRgba(s.picture(maskSlot(size)), alphaAsMask(*png, false))) << size;
  }
}

TEST(IcnsOracle, CorpusClassicElementsMatchLibicns) {
  // Each element is read alone (a 32-bit one with its mask), so that the depth rule hides none
  // of the pictures of a size. libicns names its pictures "<w>x<h>x<depth>".
  VEXILO_REQUIRE_SHARED();
  VEXILO_REQUIRE_PILLOW();
  static const std::map<std::string, std::vector<std::string>> kTypes = {
      {"32x32x1", {"ICN#"}}, {"16x16x1", {"ics#"}}, {"16x12x1", {"icm#"}}, {"48x48x1", {"ich#"}},
      {"16x16x4", {"ics4"}}, {"16x16x8", {"ics8"}}, {"16x12x4", {"icm4"}}, {"16x12x8", {"icm8"}},
      {"32x32x4", {"icl4"}}, {"32x32x8", {"icl8"}}, {"48x48x4", {"ich4"}}, {"48x48x8", {"ich8"}},
      {"128x128x4", {"ict4"}}, {"128x128x8", {"ict8"}}, {"16x16x32", {"is32", "s8mk"}},
      {"16x12x32", {"im32", "m8mk"}}, {"32x32x32", {"il32", "l8mk"}}, {"48x48x32", {"ih32", "h8mk"}},
      {"128x128x32", {"it32", "t8mk"}}};
  const auto corpus = sharedDir() / "corpus" / "icns";
  int compared = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(corpus)) {
    if (!entry.is_regular_file() || entry.path().extension() != ".icns") continue;
    const auto relative = std::filesystem::relative(entry.path(), corpus);
    const std::string stem = (relative.has_parent_path() ? relative.parent_path().string() + "__" : "") +
                             relative.stem().string();
    const auto refDir = sharedDir() / "corpus" / "expected" / "icns" / stem / "libicns";
    if (!std::filesystem::is_directory(refDir)) continue;
    const auto elements = elementsOf(readFile(entry.path()));

    for (const auto& ref : std::filesystem::directory_iterator(refDir)) {
      const std::string name = ref.path().stem().string();
      const std::string key = name.substr(name.rfind('_') + 1);
      const auto types = kTypes.find(key);
      if (types == kTypes.end()) continue;  // a modern element
      ByteBuffer single = icnsFile({});
      bool found = false;
      for (const auto& [type, data] : elements) {
        if (std::find(types->second.begin(), types->second.end(), type) == types->second.end()) continue;
        single = concat({single, record(type, data)});
        found = found || type == types->second[0];
      }
      if (!found) continue;  // libicns made it from another element
      const auto theirs = decodeWithPillow(ref.path());
      ASSERT_TRUE(theirs) << ref.path();
      Session s;
      read(s, single);
      const std::string where = stem + " " + key;
      if (key.ends_with("x1")) {  // libicns shows the image plane with the mask plane as alpha
        const bool icn = theirs->height == 32;
        const SlotId mask = icn ? SlotId::imNB : maskSlot(theirs->height);
        EXPECT_TRUE(sameRgba(s.picture(mask), alphaAsMask(*theirs, true))) << where;
        EXPECT_TRUE(!icn || sameRgba(s.picture(SlotId::icNB), *theirs, false)) << where;
      } else {
        EXPECT_TRUE(sameRgba(s.picture(colourSlot(theirs->height)), *theirs, key.ends_with("x32"))) << where;
      }
      ++compared;
    }
  }
  EXPECT_GT(compared, 40);
}

TEST(IcnsOracle, EveryCorpusFileOpensWithoutHarm) {
  VEXILO_REQUIRE_SHARED();
  int files = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(sharedDir() / "corpus" / "icns")) {
    if (!entry.is_regular_file()) continue;
    Session s;
    const auto begin = std::chrono::steady_clock::now();
    mac::readIcnsFile(s.ctx, entry.path());
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(20)) << entry.path();
    const ByteBuffer out = mac::writeIcnsFamily(s.board);  // what was read writes out again
    EXPECT_EQ(be32At(out, 4), out.size());
    ++files;
  }
  EXPECT_GT(files, 30);

  // Header length beyond the file, then an element of a garbage type 2.4 GB long.
  Session bad;
  mac::readIcnsFile(bad.ctx, sharedDir() / "corpus" / "icns" / "bad" / "pillow_oom-8ed3316a.icns");
  EXPECT_LE(bad.prompter.infos.size(), 2u);

  Session missing;
  mac::readIcnsFile(missing.ctx, "/nonexistent folder/x.icns");
  ASSERT_EQ(missing.prompter.infos.size(), 1u);
  EXPECT_EQ(missing.prompter.infos[0],
            core::formatMessage(core::loadLocalString(1041, 0), "/nonexistent folder/x.icns"));
}

// --- The pop-up command ---------------------------------------------------------------------

TEST(IcnsClick, WritesTheSelectedSlotAfterTheSaveDialogAndItsQuestion) {
  TempDir dir;
  const auto path = (dir / "out.icns").string();
  writeFile(path, ByteBuffer{'o', 'l', 'd'});
  Session s;
  s.board.storeBitmapFile(SlotId::ic32, mac::buildBitmapFile(ByteBuffer(1024, 5), 32, 32, 8), 0);
  s.board.select(SlotId::ic32);
  mac::icnsClick(s.ctx);  // cancelled: the picture is not converted for nothing
  ASSERT_EQ(s.prompter.saveDialogs.size(), 1u);
  EXPECT_EQ(s.prompter.saveDialogs[0].title, "Saving an icns File");
  EXPECT_EQ(s.prompter.saveDialogs[0].filter, "icns Files [*.icns]|*.icns|All Files [*.*]|*.*");
  EXPECT_EQ(s.picture(SlotId::ic32).format(), PixelFormat::Bits8);

  s.prompter.paths = {path, path};
  s.prompter.answers = {false, true};
  mac::icnsClick(s.ctx);
  ASSERT_EQ(s.prompter.questions.size(), 1u);
  EXPECT_EQ(s.prompter.questions[0], core::formatMessage(core::loadLocalString(1051, 0), path));
  EXPECT_EQ(readFile(path), (ByteBuffer{'o', 'l', 'd'}));
  mac::icnsClick(s.ctx);
  EXPECT_TRUE(s.prompter.infos.empty());
  EXPECT_EQ(readFile(path), mac::writeSlotIcns(s.board, SlotId::ic32));

  s.board.select(SlotId::PB128);  // refused without a word
  s.prompter.paths.push_back((dir / "pb.icns").string());
  mac::icnsClick(s.ctx);
  EXPECT_EQ(s.prompter.saveDialogs.size(), 3u);
  EXPECT_TRUE(s.prompter.infos.empty());
  EXPECT_FALSE(std::filesystem::exists(dir / "pb.icns"));
}
