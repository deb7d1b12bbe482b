// Cut, Copy, Paste and Wipe Out on the board model, with a clipboard in memory.
#include <gtest/gtest.h>

#include "core/edit_commands.h"

using namespace vexilo;
using core::Bgra;
using core::Bitmap;
using core::PixelFormat;
using core::SlotId;

namespace {

class MemoryClipboard : public core::Clipboard {
 public:
  std::optional<core::ClipboardBitmap> held;
  int writes = 0;

  bool hasBitmap() const override { return held.has_value(); }
  void setBitmap(const Bitmap& bitmap) override {
    held = core::ClipboardBitmap{bitmap, core::depthOrdinal(bitmap.format())};
    ++writes;
  }
  std::optional<core::ClipboardBitmap> read() const override { return held; }
};

// Every pixel its own colour, so that a shifted or clipped copy shows.
Bitmap pattern(int w, int h, PixelFormat format = PixelFormat::Bits32) {
  Bitmap b(w, h, PixelFormat::Bits32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.setPixel(x, y, {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
                        static_cast<std::uint8_t>(x ^ y), static_cast<std::uint8_t>(x + y)});
  b.convertTo(format);
  return b;
}

}  // namespace

TEST(EditCommands, CopyWidensTheSlotAndCopies32Bits) {
  core::IconSet board;
  MemoryClipboard clipboard;
  const Bitmap four = pattern(32, 32, PixelFormat::Bits4);
  board.offerBitmap(SlotId::ic32, four);
  ASSERT_TRUE(core::copySlot(board, clipboard, SlotId::ic32));
  const core::Slot& slot = board.slot(SlotId::ic32);
  EXPECT_EQ(slot.picture->format(), PixelFormat::Bits32);
  EXPECT_EQ(slot.depth, 2) << "the recorded depth stays";
  EXPECT_EQ(slot.picture->pixel(9, 3), four.pixel(9, 3));
  ASSERT_TRUE(clipboard.bitmap());
  EXPECT_EQ(*clipboard.bitmap(), *slot.picture);

  EXPECT_FALSE(core::copySlot(board, clipboard, SlotId::ic16));
  EXPECT_EQ(clipboard.writes, 1) << "an empty slot leaves the clipboard alone";
}

TEST(EditCommands, CutKeepsTheStoredFormatAndEmptiesTheSlot) {
  core::IconSet board;
  MemoryClipboard clipboard;
  const Bitmap four = pattern(32, 32, PixelFormat::Bits4);
  board.offerBitmap(SlotId::icNB, four);
  ASSERT_TRUE(core::cutSlot(board, clipboard, SlotId::icNB));
  EXPECT_EQ(*clipboard.bitmap(), four);
  EXPECT_EQ(board.slot(SlotId::icNB).depth, 0);
  EXPECT_FALSE(board.slot(SlotId::icNB).picture);
  EXPECT_FALSE(core::cutSlot(board, clipboard, SlotId::icNB));
  EXPECT_EQ(clipboard.writes, 1);

  // Pasting it back undoes the cut exactly.
  ASSERT_TRUE(core::pasteSlot(board, clipboard, SlotId::icNB));
  EXPECT_EQ(*board.slot(SlotId::icNB).picture, four);
  EXPECT_EQ(board.slot(SlotId::icNB).depth, 2);
}

TEST(EditCommands, PasteDrawsFromTheTopLeftAndRecordsTheDepth) {
  core::IconSet board;
  MemoryClipboard clipboard;
  EXPECT_FALSE(core::pasteSlot(board, clipboard, SlotId::ic16));
  EXPECT_FALSE(board.slot(SlotId::ic16).picture);

  // Larger: clipped to its top-left 16x16.
  const Bitmap large = pattern(300, 300, PixelFormat::Bits24);
  clipboard.setBitmap(large);
  ASSERT_TRUE(core::pasteSlot(board, clipboard, SlotId::ic16));
  const Bitmap& p = *board.slot(SlotId::ic16).picture;
  ASSERT_EQ(p.width(), 16);
  ASSERT_EQ(p.height(), 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) ASSERT_EQ(p.pixel(x, y), large.pixel(x, y));
  EXPECT_EQ(board.slot(SlotId::ic16).depth, 6);

  // Smaller: covers the top-left, alpha included; the rest keeps what was there.
  const Bitmap before = p;
  const Bitmap small = pattern(5, 3);
  clipboard.setBitmap(small);
  ASSERT_TRUE(core::pasteSlot(board, clipboard, SlotId::ic16));
  const Bitmap& q = *board.slot(SlotId::ic16).picture;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      ASSERT_EQ(q.pixel(x, y), x < 5 && y < 3 ? small.pixel(x, y) : before.pixel(x, y))
          << x << "," << y;
  EXPECT_EQ(board.slot(SlotId::ic16).depth, 7);

  // Into an empty slot the rest is white.
  ASSERT_TRUE(core::pasteSlot(board, clipboard, SlotId::ic32));
  EXPECT_EQ(board.slot(SlotId::ic32).picture->pixel(20, 20), core::kWhite);
  EXPECT_EQ(board.slot(SlotId::ic32).picture->pixel(1, 1), small.pixel(1, 1));

  // A picture whose format has no name still fills the slot.
  clipboard.held->depth = -1;
  ASSERT_TRUE(core::pasteSlot(board, clipboard, SlotId::im32));
  EXPECT_EQ(board.slot(SlotId::im32).depth, -1);
  EXPECT_TRUE(board.slot(SlotId::im32).filled());
}

TEST(EditCommands, WipeOutEmptiesWhatTheTabShows) {
  core::IconSet board;
  for (SlotId id : core::kBoardSlots) {
    const core::SlotSize size = core::controlSize(id);
    board.offerBitmap(id, pattern(size.width, size.height, PixelFormat::Bits8));
  }
  const core::IconSet filled = board;
  ASSERT_EQ(board.slot(SlotId::PB16).depth, 3);

  core::wipeOut(board, core::MainTab::Palettes);
  for (SlotId id : core::kBoardSlots) EXPECT_TRUE(board.slot(id).filled());
  EXPECT_EQ(board.slot(SlotId::PB16).picture, filled.slot(SlotId::PB16).picture);

  core::wipeOut(board, core::MainTab::Pasteboard);
  for (SlotId id : core::kBoardSlots) EXPECT_TRUE(board.slot(id).filled()) << core::slotName(id);
  const core::IconSet fresh;
  for (SlotId id : core::kPasteboards) {
    EXPECT_EQ(board.slot(id).depth, 0);
    EXPECT_EQ(board.slot(id).picture, fresh.slot(id).picture);
    EXPECT_EQ(board.cursor(id).count, 0);
  }

  board = filled;
  core::wipeOut(board, core::MainTab::Board);
  for (SlotId id : core::kBoardSlots) {
    EXPECT_FALSE(board.slot(id).filled()) << core::slotName(id);
    EXPECT_FALSE(board.slot(id).picture) << core::slotName(id);
  }
  EXPECT_EQ(board.slot(SlotId::PB128).picture, filled.slot(SlotId::PB128).picture)
      << "the pasteboards stay";
}
