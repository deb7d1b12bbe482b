// The board: the depth rule, pasteboard placement, drawing into slots.
#include <gtest/gtest.h>

#include "core/bmp_codec.h"
#include "core/icon_set.h"

using namespace vexilo::core;

namespace {

Bitmap solid(int w, int h, PixelFormat format, Bgra colour) {
  Bitmap b(w, h, PixelFormat::Bits32);
  b.fill(colour);
  b.convertTo(format);
  return b;
}

ByteBuffer bmpFile(const Bitmap& b) { return encodeBmp(b); }

constexpr Bgra kRed{0, 0, 255, 255};
constexpr Bgra kBlue{255, 0, 0, 255};
constexpr Bgra kHalfGreen{0, 200, 0, 128};

}  // namespace

TEST(IconSet, StartsEmptyWithIc128Selected) {
  IconSet set;
  EXPECT_EQ(set.selected(), SlotId::ic128);
  for (SlotId id : kBoardSlots) {
    EXPECT_EQ(set.slot(id).depth, 0) << slotName(id);
    EXPECT_FALSE(set.slot(id).picture) << slotName(id);
  }
  for (SlotId id : kPasteboards) EXPECT_EQ(set.slot(id).depth, 0);
}

TEST(IconSet, DeeperPictureReplacesShallowerOneButNotTheOtherWayRound) {
  IconSet set;
  const Bitmap eight = solid(32, 32, PixelFormat::Bits8, kRed);
  Bitmap thirtyTwo = solid(32, 32, PixelFormat::Bits32, kHalfGreen);

  set.offerBitmap(SlotId::ic32, eight);
  EXPECT_EQ(set.slot(SlotId::ic32).depth, 3);
  EXPECT_EQ(*set.slot(SlotId::ic32).picture, eight);

  set.offerBitmap(SlotId::ic32, thirtyTwo);
  EXPECT_EQ(set.slot(SlotId::ic32).depth, 7);
  EXPECT_EQ(*set.slot(SlotId::ic32).picture, thirtyTwo) << "alpha must be stored, not blended";

  set.offerBitmap(SlotId::ic32, eight);
  EXPECT_EQ(set.slot(SlotId::ic32).depth, 7);
  EXPECT_EQ(*set.slot(SlotId::ic32).picture, thirtyTwo);
  EXPECT_EQ(set.cursor(SlotId::PB32).count, 3) << "the pasteboard receives every picture";
}

TEST(IconSet, OfEqualDepthsTheFirstStaysAndAWipedSlotTakesAnything) {
  IconSet set;
  const Bitmap first = solid(16, 16, PixelFormat::Bits4, kRed);
  const Bitmap second = solid(16, 16, PixelFormat::Bits4, kBlue);
  set.offerBitmap(SlotId::ic16, first);
  set.offerBitmap(SlotId::ic16, second);
  EXPECT_EQ(*set.slot(SlotId::ic16).picture, first);

  set.wipeSlot(SlotId::ic16);
  EXPECT_EQ(set.slot(SlotId::ic16).depth, 0);
  EXPECT_FALSE(set.slot(SlotId::ic16).picture);
  const Bitmap mono = solid(16, 16, PixelFormat::Bits1, kBlue);
  set.offerBitmap(SlotId::ic16, mono);
  EXPECT_EQ(set.slot(SlotId::ic16).depth, 1);
  EXPECT_EQ(*set.slot(SlotId::ic16).picture, mono);
}

TEST(IconSet, StoreBitmapFileTakesTheLengthFromTheHeaderAndIgnoresBadBytes) {
  IconSet set;
  ByteBuffer file = bmpFile(solid(48, 48, PixelFormat::Bits24, kRed));
  const std::size_t realLength = file.size();
  file.resize(realLength + 100, 0xEE);  // trailing bytes beyond the header's length
  EXPECT_TRUE(set.storeBitmapFile(SlotId::ic48, file, 0));
  EXPECT_EQ(set.slot(SlotId::ic48).depth, 6);
  EXPECT_EQ(set.cursor(SlotId::PB48).count, 1);

  // A length larger than the bytes handed over is cut to them.
  IconSet other;
  file.resize(realLength);
  EXPECT_TRUE(other.storeBitmapFile(SlotId::ic48, file, realLength + 5000));

  // Bytes that do not load: the slot and the pasteboard stay as they were.
  ByteBuffer broken = bmpFile(solid(16, 16, PixelFormat::Bits32, kRed));
  broken.resize(broken.size() / 2);
  const Bitmap before = *set.slot(SlotId::PB16).picture;
  EXPECT_FALSE(set.storeBitmapFile(SlotId::ic16, broken, 0));
  EXPECT_FALSE(set.storeBitmapFile(SlotId::ic16, ByteBuffer{'B', 'M'}, 0));
  EXPECT_EQ(set.slot(SlotId::ic16).depth, 0);
  EXPECT_EQ(set.cursor(SlotId::PB16).count, 0);
  EXPECT_EQ(*set.slot(SlotId::PB16).picture, before);
}

TEST(IconSet, PasteboardCellsFillRowsThenStopWhenFull) {
  IconSet set;
  const Bitmap icon = solid(16, 16, PixelFormat::Bits32, kRed);
  set.addToPasteboard(icon);
  EXPECT_EQ(set.cursor(SlotId::PB16).x, 2);
  EXPECT_EQ(set.cursor(SlotId::PB16).y, 2);
  set.addToPasteboard(icon);
  EXPECT_EQ(set.cursor(SlotId::PB16).x, 20);
  EXPECT_EQ(set.cursor(SlotId::PB16).y, 2);
  const Bitmap& pb = *set.slot(SlotId::PB16).picture;
  EXPECT_EQ(pb.pixel(20, 2), kRed);
  EXPECT_EQ(pb.pixel(35, 17), kRed);
  EXPECT_EQ(pb.pixel(36, 2), kCream);
  EXPECT_EQ(pb.pixel(19, 2), kCream);

  // 17 cells a row (2 + 16 * 18 + 16 = 306 <= 320), then x back to 2 and y down one step.
  for (int i = 2; i < 17; ++i) set.addToPasteboard(icon);
  EXPECT_EQ(set.cursor(SlotId::PB16).x, 290);
  set.addToPasteboard(icon);
  EXPECT_EQ(set.cursor(SlotId::PB16).x, 2);
  EXPECT_EQ(set.cursor(SlotId::PB16).y, 20);

  // 18 rows (2 + 17 * 18 + 16 = 324 <= 328): 306 pictures, then nothing more is placed.
  for (int i = 18; i < 306; ++i) set.addToPasteboard(icon);
  EXPECT_EQ(set.cursor(SlotId::PB16).count, 306);
  const Bitmap full = *set.slot(SlotId::PB16).picture;
  set.addToPasteboard(solid(16, 16, PixelFormat::Bits32, kBlue));
  EXPECT_EQ(set.cursor(SlotId::PB16).count, 306);
  EXPECT_EQ(*set.slot(SlotId::PB16).picture, full);
}

TEST(IconSet, PasteboardIsChosenByWidth) {
  IconSet set;
  set.addToPasteboard(solid(24, 24, PixelFormat::Bits8, kRed));
  set.addToPasteboard(solid(40, 40, PixelFormat::Bits8, kRed));
  set.addToPasteboard(solid(72, 72, PixelFormat::Bits8, kRed));
  set.addToPasteboard(solid(20, 20, PixelFormat::Bits8, kRed));
  set.addToPasteboard(solid(256, 256, PixelFormat::Bits8, kRed));
  EXPECT_EQ(set.cursor(SlotId::PB16).count, 0);
  EXPECT_EQ(set.cursor(SlotId::PB32).count, 1);
  EXPECT_EQ(set.cursor(SlotId::PB48).count, 1);
  EXPECT_EQ(set.cursor(SlotId::PB128).count, 1);

  // 128-pixel cells: two a row, two rows.
  for (int i = 0; i < 5; ++i) set.addToPasteboard(solid(128, 128, PixelFormat::Bits24, kBlue));
  EXPECT_EQ(set.cursor(SlotId::PB128).count, 4);
}

TEST(IconSet, APasteboardHoldingPicturesRecordsADepthUntilReset) {
  IconSet set;
  set.addToPasteboard(solid(32, 32, PixelFormat::Bits4, kRed));
  EXPECT_EQ(set.slot(SlotId::PB32).depth, 2);
  set.addToPasteboard(solid(32, 32, PixelFormat::Bits32, kRed));
  set.addToPasteboard(solid(32, 32, PixelFormat::Bits1, kRed));
  EXPECT_EQ(set.slot(SlotId::PB32).depth, 7);
  set.resetPasteboard();
  EXPECT_EQ(set.slot(SlotId::PB32).depth, 0);
  EXPECT_EQ(set.cursor(SlotId::PB32).count, 0);
  EXPECT_EQ(set.cursor(SlotId::PB32).x, 2);
}

TEST(IconSet, ResetDrawsCreamPasteboardsWithGridLines) {
  IconSet set;
  const Bitmap& pb16 = *set.slot(SlotId::PB16).picture;
  EXPECT_EQ(pb16.width(), 320);
  EXPECT_EQ(pb16.height(), 328);
  for (int y : {20, 38, 326}) {
    EXPECT_EQ(pb16.pixel(0, y), kBlack) << y;
    EXPECT_EQ(pb16.pixel(319, y), kBlack) << y;
  }
  for (int y : {0, 2, 19, 21, 327}) EXPECT_EQ(pb16.pixel(5, y), kCream) << y;
  const Bitmap& pb128 = *set.slot(SlotId::PB128).picture;
  EXPECT_EQ(pb128.pixel(100, 132), kBlack);
  EXPECT_EQ(pb128.pixel(100, 262), kBlack);
  EXPECT_EQ(pb128.pixel(100, 131), kCream);
}

TEST(IconSet, SmallerPicturesCoverTheTopLeftAndKeepTheirLayoutWhenTheyCan) {
  IconSet set;
  // A 16x12 mini icon in its 16x16 control: the top 12 rows, white below, still 8-bit.
  const Bitmap mini = solid(16, 12, PixelFormat::Bits8, kRed);
  set.offerBitmap(SlotId::ic12, mini);
  const Bitmap& pic = *set.slot(SlotId::ic12).picture;
  EXPECT_EQ(pic.width(), 16);
  EXPECT_EQ(pic.height(), 16);
  EXPECT_EQ(pic.format(), PixelFormat::Bits8);
  EXPECT_EQ(pic.pixel(15, 11), kRed);
  EXPECT_EQ(pic.pixel(0, 12), kWhite);

  // A 24x24 32-bit picture in the 32 slot: its alpha kept, white opaque around it.
  const Bitmap small = solid(24, 24, PixelFormat::Bits32, kHalfGreen);
  set.offerBitmap(SlotId::ic32, small);
  const Bitmap& p32 = *set.slot(SlotId::ic32).picture;
  EXPECT_EQ(p32.format(), PixelFormat::Bits32);
  EXPECT_EQ(p32.pixel(23, 23), kHalfGreen);
  EXPECT_EQ(p32.pixel(24, 0), kWhite);

  // A 4-bit picture over an 8-bit one of another palette: the slot turns 32-bit, nothing lost.
  const Bitmap blue4 = solid(8, 8, PixelFormat::Bits4, kBlue);
  set.drawIntoSlot(SlotId::ic12, blue4);
  const Bitmap& mixed = *set.slot(SlotId::ic12).picture;
  EXPECT_EQ(mixed.format(), PixelFormat::Bits32);
  EXPECT_EQ(mixed.pixel(7, 7), blue4.pixel(0, 0));
  EXPECT_EQ(mixed.pixel(8, 8), kRed);
  EXPECT_EQ(mixed.pixel(8, 12), kWhite);
}

TEST(IconSet, LargerPicturesAreClippedAndAllZeroAlphaPartsShowOpaque) {
  IconSet set;
  Bitmap big(640, 480, PixelFormat::Bits24);
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x)
      big.setPixel(x, y, {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 0, 255});
  set.offerBitmap(SlotId::ic128, big);
  const Bitmap& pic = *set.slot(SlotId::ic128).picture;
  EXPECT_EQ(pic.width(), 128);
  EXPECT_EQ(pic.format(), PixelFormat::Bits24);
  EXPECT_EQ(pic.pixel(127, 100), big.pixel(127, 100));

  // A whole-size 32-bit picture with all alpha 0 is stored as it is...
  const Bitmap clear = solid(32, 32, PixelFormat::Bits32, {10, 20, 30, 0});
  set.offerBitmap(SlotId::ic32, clear);
  EXPECT_EQ(*set.slot(SlotId::ic32).picture, clear);
  // ...while as part of a larger picture it is written opaque, as it is shown.
  set.offerBitmap(SlotId::ic12, solid(16, 12, PixelFormat::Bits32, {10, 20, 30, 0}));
  EXPECT_EQ(set.slot(SlotId::ic12).picture->pixel(3, 3), (Bgra{10, 20, 30, 255}));
  EXPECT_EQ(set.slot(SlotId::PB16).picture->pixel(2, 2), (Bgra{10, 20, 30, 255}));
  EXPECT_EQ(set.slot(SlotId::PB32).picture->pixel(2, 2), (Bgra{10, 20, 30, 255}));
}

TEST(IconSet, SlotNamesAndSizes) {
  for (std::size_t i = 0; i < kSlotCount; ++i) {
    const auto id = static_cast<SlotId>(i);
    EXPECT_EQ(slotFromName(slotName(id)), id);
  }
  EXPECT_FALSE(slotFromName("ic64"));
  EXPECT_EQ(controlSize(SlotId::ic12).height, 16);
  EXPECT_EQ(controlSize(SlotId::imNB).width, 32);
  EXPECT_EQ(controlSize(SlotId::ipal256).height, 328);
}
