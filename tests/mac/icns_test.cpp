// The icns reader and writers: byte layouts worked out by hand, damaged files, round trips and
// cross-checks with Pillow's and libicns's decoders.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "core/bitmap.h"
#include "core/command_context.h"
#include "core/string_table.h"
#include "mac/icns.h"
#include "mac/icon_elements.h"
#include "support/fake_prompter.h"
#include "support/oracle.h"
#include "support/shared_data.h"
#include "support/temp_dir.h"

using namespace vexilo;
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

// A board, a scripted person and the context joining them.
struct Session {
  core::IconSet board;
  test::FakePrompter prompter;
  core::CommandContext ctx{board, prompter};

  void read(const ByteBuffer& file) { mac::readIcnsElements(ctx, file, 0, file.size()); }
  int depth(SlotId id) const { return board.slot(id).depth; }
  const Bitmap& picture(SlotId id) const {
    static const Bitmap none;
    return board.slot(id).picture ? *board.slot(id).picture : none;
  }
};

void append(ByteBuffer& out, std::initializer_list<int> bytes) {
  for (int b : bytes) out.push_back(static_cast<std::uint8_t>(b));
}

// One element record: type, big-endian length counting the 8 header bytes, data.
ByteBuffer record(std::string_view type, const ByteBuffer& data) {
  ByteBuffer out(type.begin(), type.end());
  core::appendBE32(out, static_cast<std::uint32_t>(data.size() + 8));
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

ByteBuffer icnsFile(std::initializer_list<ByteBuffer> records) {
  ByteBuffer out = {'i', 'c', 'n', 's', 0, 0, 0, 0};
  for (const auto& r : records) out.insert(out.end(), r.begin(), r.end());
  core::writeBE32(out.data() + 4, static_cast<std::uint32_t>(out.size()));
  return out;
}

// A coded plane of n equal values: runs of 130 (FF v), the rest (3 or more here) as one run.
void appendFlatPlane(ByteBuffer& out, std::size_t n, int value) {
  for (; n > 130; n -= 130) append(out, {0xFF, value});
  append(out, {static_cast<int>(n) + 125, value});
}

// The coded channels of a 32-bit element of one colour.
ByteBuffer flatRle(std::size_t n, Bgra c) {
  ByteBuffer out;
  for (int v : {c.red, c.green, c.blue}) appendFlatPlane(out, n, v);
  return out;
}

Bitmap solid(int w, int h, Bgra c) {
  Bitmap b(w, h, PixelFormat::Bits32);
  b.fill(c);
  return b;
}

// Flat rows, gradients and scattered values, so that the planes code into runs and literals.
template <class Alpha>
Bitmap pattern(int size, int seed, Alpha alpha) {
  Bitmap b(size, size, PixelFormat::Bits32);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      Bgra c{200, 90, static_cast<std::uint8_t>(40 + seed), 0};
      if (y >= size / 4)
        c = {static_cast<std::uint8_t>((x * y + seed) % 3 == 0 ? 255 : x ^ y),
             static_cast<std::uint8_t>(y * 5 + x / 3), static_cast<std::uint8_t>(x * 7 + seed), 0};
      c.alpha = static_cast<std::uint8_t>(alpha(x, y));
      b.setPixel(x, y, c);
    }
  return b;
}
const auto kOpaque = [](int, int) { return 255; };

// 8-bit mask levels: a transparent corner, a ramp along the bottom row, opaque elsewhere.
ByteBuffer maskLevels(int size) {
  ByteBuffer m(static_cast<std::size_t>(size) * size, 255);
  for (int x = 0; x < size; ++x) m[static_cast<std::size_t>(size - 1) * size + x] = static_cast<std::uint8_t>(x * 255 / (size - 1));
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) m[static_cast<std::size_t>(y) * size + x] = 0;
  return m;
}

SlotId colourSlot(int height) {
  return height == 12 ? SlotId::ic12 : height == 16 ? SlotId::ic16 : height == 32 ? SlotId::ic32
       : height == 48 ? SlotId::ic48 : SlotId::ic128;
}
SlotId maskSlot(int height) {
  return height == 12 ? SlotId::im12 : height == 16 ? SlotId::im16 : height == 32 ? SlotId::im32
       : height == 48 ? SlotId::im48 : SlotId::im128;
}

// 32-bit pictures at 16, 32, 48 and 128 with 8-bit masks at 16, 32 and 48 (128: its alpha).
void fillFamily(core::IconSet& board) {
  for (int size : {16, 32, 48}) {
    board.offerBitmap(colourSlot(size), pattern(size, size, kOpaque));
    board.storeBitmapFile(maskSlot(size), mac::buildBitmapFile(maskLevels(size), size, size, -8), 0);
  }
  board.offerBitmap(SlotId::ic128, pattern(128, 4, [](int x, int y) { return (x * 2 + y) % 256; }));
}
std::uint8_t familyAlpha(int size, int x, int y) {
  if (size == 128) return static_cast<std::uint8_t>((x * 2 + y) % 256);
  return maskLevels(size)[static_cast<std::size_t>(y) * size + x];
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

// A picture (its top-left w x h) against a decoded RGBA one: colour where their alpha is above
// 0, alpha exactly when asked.
::testing::AssertionResult sameRgba(const Bitmap& ours, const test::RgbaImage& theirs,
                                    bool compareAlpha = true) {
  if (ours.width() < theirs.width || ours.height() < theirs.height)
    return ::testing::AssertionFailure() << "ours is " << ours.width() << "x" << ours.height();
  for (int y = 0; y < theirs.height; ++y)
    for (int x = 0; x < theirs.width; ++x) {
      const Bgra p = ours.pixel(x, y);
      const std::uint8_t* q = theirs.at(x, y);
      if ((compareAlpha && p.alpha != q[3]) ||
          (q[3] > 0 && (p.red != q[0] || p.green != q[1] || p.blue != q[2])))
        return ::testing::AssertionFailure()
               << "(" << x << "," << y << "): ours " << int(p.red) << "," << int(p.green) << ","
               << int(p.blue) << "," << int(p.alpha) << " theirs " << int(q[0]) << "," << int(q[1])
               << "," << int(q[2]) << "," << int(q[3]);
    }
  return ::testing::AssertionSuccess();
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Writing

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

// ---------------------------------------------------------------------------------------------
// Reading files made by hand

TEST(IcnsRead, HeaderOnlyChangesNothing) {
  Session s;
  s.read(icnsFile({}));
  for (SlotId id : core::kBoardSlots) EXPECT_EQ(s.depth(id), 0) << core::slotName(id);
  for (SlotId id : core::kPasteboards) EXPECT_EQ(s.board.cursor(id).count, 0);
  EXPECT_TRUE(s.prompter.infos.empty());
}

TEST(IcnsRead, Il32WithL8mkGivesAlphaAGreyMaskAndTwoPasteboardPictures) {
  Session s;
  const ByteBuffer mask = maskLevels(32);
  s.read(icnsFile({record("il32", flatRle(1024, {30, 20, 10, 255})), record("l8mk", mask)}));
  ASSERT_EQ(s.depth(SlotId::ic32), kDepth32);
  ASSERT_EQ(s.depth(SlotId::im32), kDepth8);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const std::uint8_t level = mask[static_cast<std::size_t>(y) * 32 + x];
      ASSERT_EQ(s.picture(SlotId::ic32).pixel(x, y), (Bgra{30, 20, 10, level})) << x << "," << y;
      ASSERT_EQ(s.picture(SlotId::im32).pixel(x, y), (Bgra{level, level, level, 255})) << x << "," << y;
    }
  EXPECT_EQ(s.board.cursor(SlotId::PB32).count, 2);
}

TEST(IcnsRead, MaskNotNextToItsPictureIsSearchedForInTheWholeRange) {
  const ByteBuffer il32 = record("il32", flatRle(1024, {30, 20, 10, 255}));
  Session before;  // before the picture, an unknown element between
  before.read(icnsFile({record("l8mk", ByteBuffer(1024, 0x40)), record("vers", {1, 2}), il32}));
  EXPECT_EQ(before.picture(SlotId::ic32).pixel(5, 5), (Bgra{30, 20, 10, 0x40}));

  // A short mask sets the alpha of its first pixels only, in every picture that looks for it.
  Session shortMask;
  shortMask.read(icnsFile({record("l8mk", ByteBuffer(100, 0x40)), il32, il32}));
  for (int cell : {1, 2}) {  // pasteboard cells 34 pixels apart; the mask is in the first
    EXPECT_EQ(shortMask.picture(SlotId::PB32).pixel(2 + 34 * cell + 3, 5).alpha, 0x40) << cell;
    EXPECT_EQ(shortMask.picture(SlotId::PB32).pixel(2 + 34 * cell + 4, 5).alpha, 255) << cell;
  }

  Session none;  // no l8mk anywhere (an s8mk does not count): opaque
  none.read(icnsFile({il32, record("s8mk", ByteBuffer(256, 0x40))}));
  EXPECT_EQ(none.picture(SlotId::ic32).pixel(5, 5), (Bgra{30, 20, 10, 255}));
}

TEST(IcnsRead, ThirtyTwoBitPictureStaysBeforeLaterShallowerOnes) {
  Session s;
  s.read(icnsFile({record("il32", flatRle(1024, {30, 20, 10, 255})), record("icl8", ByteBuffer(1024, 5)),
                   record("icl4", ByteBuffer(512, 0x12))}));
  EXPECT_EQ(s.depth(SlotId::ic32), kDepth32);
  EXPECT_EQ(s.picture(SlotId::ic32).pixel(9, 9), (Bgra{30, 20, 10, 255}));
  EXPECT_EQ(s.board.cursor(SlotId::PB32).count, 3) << "every picture reaches the pasteboard";
}

TEST(IcnsRead, EachElementTypeGoesToItsSlot) {
  // ICN#: image rows alternate AA.. and 00..; its mask is opaque in the left half. ics#: an
  // empty image and a mask with only its top row opaque: the mask slot takes the mask plane.
  ByteBuffer icn(256, 0);
  for (std::size_t i = 0; i < 128; ++i) icn[i] = (i / 4) % 2 ? 0x00 : 0xAA;
  for (std::size_t i = 128; i < 256; ++i) icn[i] = i % 4 < 2 ? 0xFF : 0x00;
  ByteBuffer ics(64, 0);
  ics[32] = ics[33] = 0xFF;
  Session s;
  s.read(icnsFile({record("ICN#", icn), record("ics#", ics), record("icm8", ByteBuffer(192, 5)),
                   record("m8mk", ByteBuffer(192, 0x80)), record("ict4", ByteBuffer(8192, 0x33)),
                   record("ich8", ByteBuffer(2304, 5)), record("h8mk", ByteBuffer(2304, 9))}));

  ASSERT_EQ(s.depth(SlotId::icNB), kDepth1);
  ASSERT_EQ(s.depth(SlotId::imNB), kDepth1);
  EXPECT_EQ(s.picture(SlotId::icNB).pixel(0, 0), core::kBlack);
  EXPECT_EQ(s.picture(SlotId::icNB).pixel(1, 0), core::kWhite);
  EXPECT_EQ(s.picture(SlotId::icNB).pixel(0, 1), core::kWhite);
  EXPECT_EQ(s.picture(SlotId::imNB).pixel(15, 7), core::kBlack);
  EXPECT_EQ(s.picture(SlotId::imNB).pixel(16, 7), core::kWhite);
  ASSERT_EQ(s.depth(SlotId::im16), kDepth1);
  EXPECT_EQ(s.picture(SlotId::im16).pixel(7, 0), core::kBlack);
  EXPECT_EQ(s.picture(SlotId::im16).pixel(7, 1), core::kWhite);
  EXPECT_EQ(s.depth(SlotId::ic16), 0);
  EXPECT_EQ(s.depth(SlotId::ic32), 0) << "an icns ICN# goes to the black-and-white pair";

  EXPECT_EQ(s.depth(SlotId::ic12), kDepth8);
  EXPECT_EQ(s.picture(SlotId::ic12).pixel(0, 11), s.picture(SlotId::ic12).pixel(0, 0));
  EXPECT_EQ(s.picture(SlotId::ic12).pixel(0, 12), core::kWhite) << "16x12 fills the top of 16x16";
  EXPECT_EQ(s.depth(SlotId::im12), kDepth8);
  EXPECT_EQ(s.depth(SlotId::ic128), kDepth4);
  EXPECT_EQ(s.depth(SlotId::ic48), kDepth8);
  EXPECT_EQ(s.picture(SlotId::im48).pixel(47, 47), (Bgra{9, 9, 9, 255}));
}

TEST(IcnsRead, UnknownElementsAreNamedOnceEachAndSkipped) {
  Session s;
  s.read(icnsFile({record("vers", {0, 0, 0, 1}), record("TOC ", ByteBuffer(24, 0)),
                   record("info", ByteBuffer(300, 'x')), record("is32", flatRle(256, {1, 2, 3, 255}))}));
  EXPECT_EQ(s.prompter.infos, (std::vector<std::string>{"Unknown vers resource.", "Unknown TOC  resource.",
                                                        "Unknown info resource."}));
  EXPECT_EQ(s.depth(SlotId::ic16), kDepth32);

  Session french;
  french.ctx.langOffset = core::kFrench;
  french.read(icnsFile({record("ICON", ByteBuffer(128, 0))}));
  EXPECT_EQ(french.prompter.infos, (std::vector<std::string>{"Ressource ICON inconnue."}));
}

TEST(IcnsRead, It32RedPlaneStartingWithAOneByteLiteralDecodes) {
  // Four zero bytes; red: 00 0A (a literal of one), 126 runs FF 0B and 80 0B; flat green and
  // blue. A reader that took the zero bytes for the plane would shift every value.
  ByteBuffer data = {0, 0, 0, 0, 0x00, 0x0A};
  for (int i = 0; i < 126; ++i) append(data, {0xFF, 0x0B});
  append(data, {0x80, 0x0B});
  appendFlatPlane(data, 16384, 0x14);
  appendFlatPlane(data, 16384, 0x1E);
  Session s;
  s.read(icnsFile({record("it32", data)}));
  ASSERT_EQ(s.depth(SlotId::ic128), kDepth32);
  EXPECT_EQ(s.picture(SlotId::ic128).pixel(0, 0), (Bgra{0x1E, 0x14, 0x0A, 255}));
  EXPECT_EQ(s.picture(SlotId::ic128).pixel(1, 0), (Bgra{0x1E, 0x14, 0x0B, 255}));
  EXPECT_EQ(s.picture(SlotId::ic128).pixel(127, 127), (Bgra{0x1E, 0x14, 0x0B, 255}));
}

TEST(IcnsRead, ElementOfFourBytesAPixelIsRawAlphaRedGreenBlue) {
  // 1024 bytes for 256 pixels. Taken as coded, 0x7F would start a 128-value literal.
  ByteBuffer raw;
  for (int i = 0; i < 256; ++i) append(raw, {0x7F, 0x7E, 0x7D, 0x7C});
  Session s;
  s.read(icnsFile({record("is32", raw)}));
  EXPECT_EQ(s.picture(SlotId::ic16).pixel(15, 15), (Bgra{0x7C, 0x7D, 0x7E, 0x7F}));
  Session plane;  // the same bytes as a raw element file read the same way
  test::TempDir dir;
  test::writeFile(dir / "x.is32", raw);
  mac::readPlaneFile(plane.ctx, dir / "x.is32", 16, 16, 32);
  EXPECT_EQ(s.picture(SlotId::ic16), plane.picture(SlotId::ic16));

  // A raw it32 may keep the four zero bytes of the coded form: 65,540 bytes.
  ByteBuffer big = {0, 0, 0, 0};
  for (int i = 0; i < 16384; ++i) append(big, {0x7F, 0x7E, 0x7D, 0x7C});
  Session t;
  t.read(icnsFile({record("it32", big)}));
  EXPECT_EQ(t.picture(SlotId::ic128).pixel(0, 0), (Bgra{0x7C, 0x7D, 0x7E, 0x7F}));
  EXPECT_EQ(t.picture(SlotId::ic128).pixel(127, 127), (Bgra{0x7C, 0x7D, 0x7E, 0x7F}));
}

TEST(IcnsRead, LyingLengthsEndTheReadingWithoutLoopingOrReadingOutside) {
  const ByteBuffer is32 = record("is32", flatRle(256, {1, 2, 3, 255}));
  const ByteBuffer s8mk = record("s8mk", ByteBuffer(256, 0x55));
  auto withLength = [](ByteBuffer r, std::uint32_t length) {
    core::writeBE32(r.data() + 4, length);
    return r;
  };
  for (std::uint32_t bad : {0u, 4u, 7u}) {  // no way on to a next header: the reading ends
    Session s;
    s.read(icnsFile({is32, withLength(record("icl8", {}), bad), s8mk}));
    EXPECT_EQ(s.depth(SlotId::ic16), kDepth32) << bad;
    EXPECT_EQ(s.depth(SlotId::im16), 0) << bad;
    Session t;
    t.read(icnsFile({withLength(record("junk", {}), bad), is32}));
    EXPECT_TRUE(t.prompter.infos.empty()) << "a length below 8 is no element, known or not";
    EXPECT_EQ(t.depth(SlotId::ic16), 0);
  }
  {  // a huge length: the last element is read as far as it goes
    Session s;
    s.read(icnsFile({is32, withLength(record("ics8", ByteBuffer(100, 0xFF)), 0xFFFFFFFFu)}));
    EXPECT_EQ(s.depth(SlotId::ic16), kDepth32);
    EXPECT_EQ(s.board.cursor(SlotId::PB16).count, 2);
  }
  {  // cut short by the end of the file: its bytes, then zeros (index 0 is white)
    ByteBuffer file = icnsFile({record("icl8", ByteBuffer(1024, 0xFF))});
    file.resize(8 + 8 + 100);
    Session s;
    s.read(file);
    ASSERT_EQ(s.depth(SlotId::ic32), kDepth8);
    EXPECT_EQ(s.picture(SlotId::ic32).index(3, 3), 0xFF);
    EXPECT_EQ(s.picture(SlotId::ic32).index(4, 3), 0);
    EXPECT_EQ(s.picture(SlotId::ic32).pixel(31, 31), core::kWhite);
  }
  for (std::uint32_t headerLength : {0u, 1u, 0xFFFFFFFFu}) {  // the header's length is not used
    Session s;
    s.read(withLength(icnsFile({is32}), headerLength));
    EXPECT_EQ(s.depth(SlotId::ic16), kDepth32) << headerLength;
  }
  {  // an element without data gives no picture; data longer than needed are cut
    Session s;
    s.read(icnsFile({record("icl8", {}), record("s8mk", ByteBuffer(300, 0x55)), is32}));
    EXPECT_EQ(s.depth(SlotId::ic32), 0);
    EXPECT_EQ(s.depth(SlotId::im16), kDepth8);
    EXPECT_EQ(s.picture(SlotId::ic16).pixel(0, 0), (Bgra{1, 2, 3, 0x55}));
  }
}

TEST(IcnsRead, OnlyTheGivenRangeIsReadClampedToTheFile) {
  // An icns inside a larger file, as a data fork or a resource holds it.
  const ByteBuffer inner = icnsFile({record("is32", flatRle(256, {1, 2, 3, 255}))});
  ByteBuffer outer(128, 0xEE);
  outer.insert(outer.end(), inner.begin(), inner.end());
  const ByteBuffer tail = record("icl8", ByteBuffer(1024, 1));
  outer.insert(outer.end(), tail.begin(), tail.end());

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
  source.offerBitmap(SlotId::ic16, pattern(16, 5, [](int x, int) { return x * 16; }));
  source.offerBitmap(SlotId::ic32, pattern(32, 6, kOpaque));
  source.storeBitmapFile(SlotId::im32, mac::buildBitmapFile(maskLevels(32), 32, 32, -8), 0);
  ByteBuffer file = mac::writeIcnsFamily(source);
  for (const ByteBuffer& r : {record("ICN#", ByteBuffer(256, 0x5A)), record("icl4", ByteBuffer(512, 0x9C))})
    file.insert(file.end(), r.begin(), r.end());

  Session s;  // one board (a new one draws four pasteboards), its slots emptied each time
  for (std::size_t n = 0; n <= file.size(); ++n) {
    for (SlotId id : core::kBoardSlots) s.board.wipeSlot(id);
    s.read(ByteBuffer(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n)));  // exact size
  }
  EXPECT_EQ(s.depth(SlotId::ic16), kDepth32);
  EXPECT_EQ(s.depth(SlotId::icNB), kDepth1);
}

// ---------------------------------------------------------------------------------------------
// Round trip

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
  EXPECT_EQ(types, (std::vector<std::string>{"is32", "s8mk", "il32", "l8mk", "ih32", "h8mk", "it32", "t8mk"}));
  EXPECT_EQ(total, file.size());

  Session s;
  s.read(file);
  EXPECT_TRUE(s.prompter.infos.empty());
  for (int size : {16, 32, 48, 128}) {
    ASSERT_EQ(s.depth(colourSlot(size)), kDepth32) << size;
    ASSERT_EQ(s.depth(maskSlot(size)), kDepth8) << size;
    const Bitmap& original = *board.slot(colourSlot(size)).picture;
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        const Bgra a = original.pixel(x, y);
        const Bgra b = s.picture(colourSlot(size)).pixel(x, y);
        ASSERT_EQ(b.alpha, familyAlpha(size, x, y)) << size << " at " << x << "," << y;
        ASSERT_EQ(s.picture(maskSlot(size)).pixel(x, y).blue, b.alpha) << size << " at " << x << "," << y;
        ASSERT_TRUE(b.alpha == 0 || (a.red == b.red && a.green == b.green && a.blue == b.blue))
            << size << " at " << x << "," << y;
      }
  }
  EXPECT_EQ(mac::writeIcnsFamily(s.board), file) << "written again, the board gives the same file";
}

// ---------------------------------------------------------------------------------------------
// Independent decoders

TEST(IcnsOracle, WrittenFamilyDecodesTheSameWithPillowAndIcns2png) {
  VEXILO_REQUIRE_PILLOW();
  VEXILO_REQUIRE_ICNS2PNG();
  core::IconSet board;
  fillFamily(board);
  test::TempDir dir;
  const auto path = dir / "family.icns";
  test::writeFile(path, mac::writeIcnsFamily(board));
  Session s;
  mac::readIcnsFile(s.ctx, path);

  EXPECT_EQ(test::pillowIcnsSizes(path), (std::vector<int>{16, 32, 48, 128}));
  const auto libicns = test::decodeIcnsWithIcns2png(path);
  for (int size : {16, 32, 48, 128}) {
    const auto pillow = test::decodeIcnsWithPillow(path, size);
    ASSERT_TRUE(pillow) << size;
    EXPECT_TRUE(sameRgba(s.picture(colourSlot(size)), *pillow)) << "Pillow at " << size;
    const std::string key = std::to_string(size) + "x" + std::to_string(size) + "x32";
    ASSERT_TRUE(libicns.count(key)) << key;
    EXPECT_TRUE(sameRgba(s.picture(colourSlot(size)), libicns.at(key))) << "icns2png " << key;
  }
}

TEST(IcnsOracle, RawElementReadsAsIcns2pngReadsIt) {
  VEXILO_REQUIRE_ICNS2PNG();
  ByteBuffer raw;  // alpha, red, green, blue; the mask then sets the alpha
  for (int i = 0; i < 256; ++i) append(raw, {0x11, i, 0x80, 255 - i});
  const ByteBuffer file = icnsFile({record("is32", raw), record("s8mk", maskLevels(16))});
  test::TempDir dir;
  test::writeFile(dir / "raw.icns", file);
  const auto libicns = test::decodeIcnsWithIcns2png(dir / "raw.icns");
  ASSERT_TRUE(libicns.count("16x16x32"));
  Session s;
  s.read(file);
  EXPECT_TRUE(sameRgba(s.picture(SlotId::ic16), libicns.at("16x16x32")));
}

TEST(IcnsOracle, Png2icnsFileOpensWithThePixelsOfItsPngs) {
  VEXILO_REQUIRE_SHARED();
  VEXILO_REQUIRE_PILLOW();
  Session s;
  mac::readIcnsFile(s.ctx, test::sharedDir() / "samples" / "peer_png2icns.icns");
  EXPECT_TRUE(s.prompter.infos.empty());
  for (int size : {16, 32, 48, 128}) {
    const auto png = test::decodeWithPillow(test::sharedDir() / "samples" / ("src_" + std::to_string(size) + ".png"));
    ASSERT_TRUE(png) << size;
    ASSERT_EQ(s.depth(colourSlot(size)), kDepth32) << size;
    ASSERT_EQ(s.depth(maskSlot(size)), kDepth8) << size;
    EXPECT_TRUE(sameRgba(s.picture(colourSlot(size)), *png)) << size;
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) ASSERT_EQ(s.picture(maskSlot(size)).pixel(x, y).blue, png->at(x, y)[3]);
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
  const auto corpus = test::sharedDir() / "corpus" / "icns";
  int compared = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(corpus)) {
    if (!entry.is_regular_file() || entry.path().extension() != ".icns") continue;
    const auto relative = std::filesystem::relative(entry.path(), corpus);
    const std::string stem = (relative.has_parent_path() ? relative.parent_path().string() + "__" : "") +
                             relative.stem().string();
    const auto refDir = test::sharedDir() / "corpus" / "expected" / "icns" / stem / "libicns";
    if (!std::filesystem::is_directory(refDir)) continue;
    const auto elements = elementsOf(test::readFile(entry.path()));

    for (const auto& ref : std::filesystem::directory_iterator(refDir)) {
      const std::string name = ref.path().stem().string();
      const std::string key = name.substr(name.rfind('_') + 1);
      const auto types = kTypes.find(key);
      if (types == kTypes.end()) continue;  // a modern element
      ByteBuffer single = {'i', 'c', 'n', 's', 0, 0, 0, 8};
      bool found = false;
      for (const auto& [type, data] : elements) {
        if (std::find(types->second.begin(), types->second.end(), type) == types->second.end()) continue;
        const ByteBuffer r = record(type, data);
        single.insert(single.end(), r.begin(), r.end());
        found = found || type == types->second[0];
      }
      if (!found) continue;  // libicns made it from another element
      const auto theirs = test::decodeWithPillow(ref.path());
      ASSERT_TRUE(theirs) << ref.path();
      Session s;
      s.read(single);
      const std::string where = stem + " " + key;
      if (key.ends_with("x1")) {
        // libicns shows the image plane with the mask plane as alpha; our mask slot holds the
        // mask plane, opaque as black.
        test::RgbaImage mask = *theirs;
        for (std::size_t i = 0; i < mask.rgba.size(); i += 4) {
          const std::uint8_t v = mask.rgba[i + 3] ? 0 : 255;
          mask.rgba[i] = mask.rgba[i + 1] = mask.rgba[i + 2] = v;
          mask.rgba[i + 3] = 255;
        }
        const bool icn = theirs->height == 32;
        EXPECT_TRUE(sameRgba(s.picture(icn ? SlotId::imNB : maskSlot(theirs->height)), mask)) << where;
        if (icn) {
          EXPECT_TRUE(sameRgba(s.picture(SlotId::icNB), *theirs, false)) << where;
        }
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
  for (const auto& entry : std::filesystem::recursive_directory_iterator(test::sharedDir() / "corpus" / "icns")) {
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
  mac::readIcnsFile(bad.ctx, test::sharedDir() / "corpus" / "icns" / "bad" / "pillow_oom-8ed3316a.icns");
  EXPECT_LE(bad.prompter.infos.size(), 2u);

  Session prefixes;  // a real family cut every 97 bytes
  const ByteBuffer wish = test::readFile(test::sharedDir() / "corpus" / "icns" / "tk_carbon_Wish.icns");
  for (std::size_t n = 0; n < wish.size(); n += 97)
    prefixes.read(ByteBuffer(wish.begin(), wish.begin() + static_cast<std::ptrdiff_t>(n)));

  Session missing;
  mac::readIcnsFile(missing.ctx, "/nonexistent folder/x.icns");
  EXPECT_EQ(missing.prompter.infos,
            (std::vector<std::string>{core::formatMessage(core::loadLocalString(1041, 0), "/nonexistent folder/x.icns")}));
}

// ---------------------------------------------------------------------------------------------
// The pop-up command

TEST(IcnsClick, WritesTheSelectedSlotAfterTheSaveDialog) {
  test::TempDir dir;
  const auto path = (dir / "out.icns").string();
  Session s;
  s.board.offerBitmap(SlotId::ic32, pattern(32, 7, kOpaque));
  s.board.select(SlotId::ic32);
  s.prompter.paths.push_back(path);
  mac::icnsClick(s.ctx);

  ASSERT_EQ(s.prompter.saveDialogs.size(), 1u);
  EXPECT_EQ(s.prompter.saveDialogs[0].title, "Saving an icns File");
  EXPECT_EQ(s.prompter.saveDialogs[0].filter, "icns Files [*.icns]|*.icns|All Files [*.*]|*.*");
  EXPECT_EQ(s.prompter.saveDialogs[0].defaultExtension, "icns");
  EXPECT_EQ(s.prompter.saveDialogs[0].initialName, "*.icns");
  EXPECT_TRUE(s.prompter.questions.empty());
  EXPECT_TRUE(s.prompter.infos.empty());
  core::IconSet same;
  same.offerBitmap(SlotId::ic32, pattern(32, 7, kOpaque));
  EXPECT_EQ(test::readFile(path), mac::writeSlotIcns(same, SlotId::ic32));
}

TEST(IcnsClick, ExistingFileIsReplacedOnlyOnYes) {
  test::TempDir dir;
  const auto path = (dir / "old.icns").string();
  test::writeFile(path, ByteBuffer{'o', 'l', 'd'});
  Session s;
  s.board.offerBitmap(SlotId::ic16, pattern(16, 8, kOpaque));
  s.board.select(SlotId::ic16);
  s.prompter.paths = {path, path};
  s.prompter.answers = {false, true};

  mac::icnsClick(s.ctx);
  ASSERT_EQ(s.prompter.questions.size(), 1u);
  EXPECT_EQ(s.prompter.questions[0], core::formatMessage(core::loadLocalString(1051, 0), path));
  EXPECT_EQ(test::readFile(path), (ByteBuffer{'o', 'l', 'd'}));
  mac::icnsClick(s.ctx);
  EXPECT_EQ(typeAt(test::readFile(path), 8), "is32");
}

TEST(IcnsClick, CancelUnwritableFolderAndPasteboardWriteNothing) {
  test::TempDir dir;
  Session s;
  s.board.storeBitmapFile(SlotId::ic128, mac::buildBitmapFile(ByteBuffer(16384, 5), 128, 128, 8), 0);
  mac::icnsClick(s.ctx);  // cancelled: the picture is not converted for nothing
  EXPECT_EQ(s.prompter.saveDialogs.size(), 1u);
  EXPECT_EQ(s.picture(SlotId::ic128).format(), PixelFormat::Bits8);

  const auto path = (dir / "no such folder" / "x.icns").string();
  s.prompter.paths.push_back(path);
  mac::icnsClick(s.ctx);
  EXPECT_EQ(s.prompter.infos, (std::vector<std::string>{core::formatMessage(core::loadLocalString(1041, 0), path)}));
  EXPECT_FALSE(std::filesystem::exists(dir / "no such folder"));

  s.board.select(SlotId::PB128);  // refused without a word
  s.prompter.paths.push_back((dir / "pb.icns").string());
  mac::icnsClick(s.ctx);
  EXPECT_EQ(s.prompter.saveDialogs.size(), 2u);
  EXPECT_EQ(s.prompter.infos.size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(dir / "pb.icns"));
}
