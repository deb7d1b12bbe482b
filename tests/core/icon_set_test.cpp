// The board: the depth rule, pasteboard placement, drawing into slots; and the slot and element
// type tables it is built on.
#include <gtest/gtest.h>

#include "core/bmp_codec.h"
#include "core/element_types.h"
#include "core/icon_set.h"
#include "support/pictures.h"

using namespace vexilo::core;
using vexilo::test::solid;
using F = PixelFormat;
using S = SlotId;

static constexpr Bgra kRed{0, 0, 255, 255}, kBlue{255, 0, 0, 255}, kHalfGreen{0, 200, 0, 128};

TEST(IconSet, ASlotKeepsTheDeepestPictureOfEqualDepthsTheFirstAtItsTopLeft) {
  IconSet set;
  const Bitmap eight = solid(32, 32, F::Bits8, kRed), eightBlue = solid(32, 32, F::Bits8, kBlue);
  const Bitmap deep = solid(32, 32, F::Bits32, kHalfGreen), mono = solid(32, 32, F::Bits1, kBlue);
  const struct { const Bitmap& offered; const Bitmap& kept; int depth; } steps[] = {
      {eight, eight, 3}, {eightBlue, eight, 3}, {deep, deep, 7}, {eight, deep, 7}};
  for (const auto& s : steps) {  // alpha stored, not blended
    set.offerBitmap(S::ic32, s.offered);
    EXPECT_TRUE(*set.slot(S::ic32).picture == s.kept && set.slot(S::ic32).depth == s.depth) << s.depth;
  }
  EXPECT_EQ(set.cursor(S::PB32).count, 4) << "the pasteboard receives every picture";
  set.wipeSlot(S::ic32);
  EXPECT_FALSE(set.slot(S::ic32).filled() || set.slot(S::ic32).picture);
  set.offerBitmap(S::ic32, mono);  // after a wipe any depth is taken
  EXPECT_EQ(*set.slot(S::ic32).picture, mono);
  // A BMP file: the length in its header, bytes beyond it ignored; bytes that do not load change
  // nothing.
  ByteBuffer file = encodeBmp(solid(48, 48, F::Bits24, kRed)), broken = encodeBmp(mono);
  file.resize(file.size() + 100, 0xEE);
  broken.resize(broken.size() / 2);
  EXPECT_TRUE(set.storeBitmapFile(S::ic48, file, 0) && set.storeBitmapFile(S::im48, file, 1 << 20));
  EXPECT_EQ(set.slot(S::ic48).depth, 6);
  EXPECT_FALSE(set.storeBitmapFile(S::ic16, broken, 0) || set.storeBitmapFile(S::ic16, ByteBuffer{'B', 'M'}, 0) ||
               set.slot(S::ic16).filled() || set.cursor(S::PB32).count != 5);
  // Pictures of other sizes cover the top-left in a layout that holds them.
  set.offerBitmap(S::ic12, solid(16, 12, F::Bits8, kRed));  // in its 16x16 control, white below
  const Bitmap& mini = *set.slot(S::ic12).picture;
  EXPECT_TRUE(mini.width() == 16 && mini.height() == 16 && mini.format() == F::Bits8 && mini.pixel(15, 11) == kRed &&
              mini.pixel(0, 12) == kWhite);
  const Bitmap blue4 = solid(8, 8, F::Bits4, kBlue);  // another palette: the slot turns 32-bit
  set.drawIntoSlot(S::ic12, blue4);
  EXPECT_TRUE(mini.format() == F::Bits32 && mini.pixel(7, 7) == blue4.pixel(0, 0));
  EXPECT_TRUE(mini.pixel(8, 8) == kRed && mini.pixel(8, 12) == kWhite);
  set.wipeSlot(S::ic32);
  set.offerBitmap(S::ic32, solid(24, 24, F::Bits32, kHalfGreen));
  const Bitmap& p32 = *set.slot(S::ic32).picture;
  EXPECT_TRUE(p32.pixel(23, 23) == kHalfGreen && p32.pixel(24, 0) == kWhite) << "alpha kept, white around";
  set.offerBitmap(S::ic128, vexilo::test::pattern(640, 480, F::Bits24));
  EXPECT_EQ(*set.slot(S::ic128).picture, vexilo::test::pattern(128, 128, F::Bits24)) << "clipped";
  // All alpha 0: a whole picture is stored as it is, part of a larger one opaque, as shown.
  const Bitmap clear = solid(16, 16, F::Bits32, {10, 20, 30, 0});
  set.offerBitmap(S::ic16, clear);
  set.offerBitmap(S::ic12, solid(16, 12, F::Bits32, {10, 20, 30, 0}));
  EXPECT_EQ(*set.slot(S::ic16).picture, clear);
  EXPECT_EQ(set.slot(S::ic12).picture->pixel(3, 3), (Bgra{10, 20, 30, 255}));
}

TEST(IconSet, PasteboardCellsFillRowsByWidthClassThenStopWhenFull) {
  IconSet set;
  // 17 cells a row (2 + 16 * 18 + 16 = 306 <= 320), 18 rows (2 + 17 * 18 + 16 = 324 <= 328).
  for (auto [count, x, y] : {std::tuple{1, 2, 2}, {2, 20, 2}, {17, 290, 2}, {18, 2, 20}, {306, 290, 308}}) {
    while (set.cursor(S::PB16).count < count) set.addToPasteboard(solid(16, 16, F::Bits32, kRed));
    EXPECT_TRUE(set.cursor(S::PB16).x == x && set.cursor(S::PB16).y == y) << count;
  }
  const Bitmap full = *set.slot(S::PB16).picture;
  for (auto [x, y] : {std::pair{20, 2}, {35, 17}, {305, 323}}) EXPECT_EQ(full.pixel(x, y), kRed);
  for (auto [x, y] : {std::pair{19, 2}, {36, 2}, {5, 19}, {306, 309}}) EXPECT_EQ(full.pixel(x, y), kCream);
  set.addToPasteboard(solid(16, 16, F::Bits32, kBlue));
  EXPECT_TRUE(set.cursor(S::PB16).count == 306 && *set.slot(S::PB16).picture == full);
  for (F f : {F::Bits4, F::Bits32, F::Bits1}) set.addToPasteboard(solid(24, 24, f, kRed));
  for (int i = 0; i < 5; ++i) set.addToPasteboard(solid(128, 128, F::Bits8, kBlue));
  EXPECT_EQ(set.slot(S::PB32).depth, 7) << "the deepest picture it holds";
  EXPECT_EQ(set.cursor(S::PB128).count, 4) << "two cells a row, two rows";
  // Reset: cream sheets with black lines at y = 2 + k * step, cursors back at (2, 2).
  set.resetPasteboard();
  for (S pb : kPasteboards)
    EXPECT_TRUE(set.slot(pb).depth == 0 && set.cursor(pb).count == 0 && set.cursor(pb).x == 2 &&
                set.cursor(pb).y == 2);
  const Bitmap &pb16 = *set.slot(S::PB16).picture, &pb128 = *set.slot(S::PB128).picture;
  EXPECT_TRUE(pb16.width() == 320 && pb16.height() == 328);
  for (auto [x, y] : {std::pair{0, 20}, {319, 38}, {0, 326}}) EXPECT_EQ(pb16.pixel(x, y), kBlack) << y;
  for (int y : {2, 19, 21, 327}) EXPECT_EQ(pb16.pixel(319, y), kCream) << y;
  EXPECT_TRUE(pb128.pixel(100, 132) == kBlack && pb128.pixel(100, 262) == kBlack && pb128.pixel(100, 131) == kCream);
}

TEST(Slots, SizesFindTheirSlotsWidthsTheirPasteboardAndElementTypesTheirSlots) {
  for (const SlotInfo& s : slotTable())
    EXPECT_TRUE(slotFromName(s.name) == s.id && slotInfo(s.partner).partner == s.id) << s.name;
  const struct { int w, h; std::optional<S> colour, mask; } sizes[] = {
      {16, 12, S::ic12, S::im12}, {16, 16, S::ic16, S::im16}, {48, 48, S::ic48, S::im48}, {128, 128, S::ic128, S::im128},
      {256, 256, S::ic256, {}}, {1024, 1024, S::ic1024, {}}, {512, 256, {}, {}},
      {12, 16, {}, {}}, {24, 24, {}, {}}, {320, 328, {}, {}}};
  for (const auto& c : sizes)
    EXPECT_TRUE(colourSlotOf(c.w, c.h) == c.colour && maskSlotOf(c.w, c.h) == c.mask) << c.w << "x" << c.h;
  const std::pair<int, std::optional<S>> widths[] = {{0, {}}, {15, {}}, {17, {}}, {23, {}}, {24, S::PB32},
      {33, {}}, {40, S::PB48}, {64, S::PB128}, {80, S::PB128}, {127, {}}, {129, {}}};
  for (auto [w, pasteboard] : widths)
    EXPECT_EQ(widthClassOf(w) ? std::optional(widthClassOf(w)->pasteboard) : std::nullopt, pasteboard) << w;
  // Every element type is found by its code and shape and feeds the slot of its size.
  for (const ElementType& t : elementTypes()) {
    EXPECT_EQ(findElementType(t.name()), &t);
    if (t.role == ElementRole::Container || t.role == ElementRole::Encoded || t.role == ElementRole::Ignored) continue;
    EXPECT_EQ(findElementType(t.role, t.bits, t.width, t.height), &t);
    const bool colour = t.role == ElementRole::Colour;
    const auto mask = t.index == 1 ? S::imNB : maskSlotOf(t.width, t.height);  // ICN# feeds imNB
    EXPECT_EQ(colour ? t.image : t.mask, colour ? colourSlotOf(t.width, t.height) : mask) << t.name();
  }
  for (std::string_view bad : {"icn#", "ICN", "ICN##", "il33"}) EXPECT_FALSE(findElementType(bad));
  for (auto [n, code] : {std::pair<std::size_t, std::string_view>{192, "m8mk"}, {2304, "h8mk"}, {512, ""}})
    EXPECT_EQ(maskTypeForPixels(n), findElementType(code)) << n;
}
