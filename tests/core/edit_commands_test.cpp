// Cut, Copy, Paste and Wipe Out on the board model, with a clipboard in memory.
#include <gtest/gtest.h>

#include "core/edit_commands.h"
#include "support/pictures.h"

using namespace vexilo::core;
using vexilo::test::pattern;

namespace {

struct MemoryClipboard : Clipboard {
  std::optional<ClipboardBitmap> held;
  bool hasBitmap() const override { return held.has_value(); }
  void setBitmap(const Bitmap& b) override { held = ClipboardBitmap{b, depthOrdinal(b.format())}; }
  std::optional<ClipboardBitmap> read() const override { return held; }
};

}  // namespace

TEST(EditCommands, CopyWidensCutKeepsTheFormatPasteUndoesTheCutAndDrawsFromTheTopLeft) {
  IconSet board;
  MemoryClipboard clipboard;
  const Bitmap four = pattern(32, 32, PixelFormat::Bits4);
  board.offerBitmap(SlotId::ic32, four);
  board.offerBitmap(SlotId::icNB, four);
  EXPECT_FALSE(copySlot(board, clipboard, SlotId::ic16) || cutSlot(board, clipboard, SlotId::ic16) ||
               pasteSlot(board, clipboard, SlotId::ic16) || clipboard.held) << "an empty slot leaves the clipboard alone";
  ASSERT_TRUE(copySlot(board, clipboard, SlotId::ic32));
  EXPECT_EQ(board.slot(SlotId::ic32).depth, 2) << "the recorded depth stays";
  Bitmap wide = four;
  wide.convertTo(PixelFormat::Bits32);
  EXPECT_TRUE(*board.slot(SlotId::ic32).picture == wide && *clipboard.bitmap() == wide);
  ASSERT_TRUE(cutSlot(board, clipboard, SlotId::icNB));
  EXPECT_EQ(*clipboard.bitmap(), four);
  EXPECT_FALSE(board.slot(SlotId::icNB).filled() || board.slot(SlotId::icNB).picture);
  ASSERT_TRUE(pasteSlot(board, clipboard, SlotId::icNB));
  EXPECT_TRUE(*board.slot(SlotId::icNB).picture == four && board.slot(SlotId::icNB).depth == 2);
  // Paste draws from the top-left and records the depth.
  const Bitmap small = pattern(5, 3);
  clipboard.setBitmap(pattern(300, 300, PixelFormat::Bits24));
  ASSERT_TRUE(pasteSlot(board, clipboard, SlotId::ic16));
  const Bitmap before = *board.slot(SlotId::ic16).picture;
  EXPECT_TRUE(before == pattern(16, 16, PixelFormat::Bits24) && board.slot(SlotId::ic16).depth == 6) << "top-left";
  clipboard.setBitmap(small);
  ASSERT_TRUE(pasteSlot(board, clipboard, SlotId::ic16) && pasteSlot(board, clipboard, SlotId::im16));
  EXPECT_EQ(board.slot(SlotId::ic16).depth, 7);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const bool covered = x < 5 && y < 3;  // alpha included; the rest keeps what was there
      const Bgra pasted = covered ? small.pixel(x, y) : kWhite;
      ASSERT_EQ(board.slot(SlotId::ic16).picture->pixel(x, y), covered ? pasted : before.pixel(x, y));
      ASSERT_EQ(board.slot(SlotId::im16).picture->pixel(x, y), pasted);
    }
  clipboard.held->depth = -1;  // a format without a name still fills the slot
  ASSERT_TRUE(pasteSlot(board, clipboard, SlotId::im32));
  EXPECT_TRUE(board.slot(SlotId::im32).depth == -1 && board.slot(SlotId::im32).filled());
}

TEST(EditCommands, WipeOutEmptiesWhatTheTabShows) {
  IconSet board;
  for (SlotId id : kBoardSlots)
    board.offerBitmap(id, pattern(controlSize(id).width, controlSize(id).height, PixelFormat::Bits8));
  const IconSet filled = board, fresh;
  auto same = [&](const IconSet& other, SlotId id) {
    const Slot &a = board.slot(id), &b = other.slot(id);
    return a.depth == b.depth && a.picture == b.picture &&
           (!isPasteboard(id) || board.cursor(id).count == other.cursor(id).count);
  };
  for (auto [tab, boardAs, pasteboardsAs] : {std::tuple{MainTab::Palettes, &filled, &filled},
                                             {MainTab::Pasteboard, &filled, &fresh}, {MainTab::Board, &fresh, &filled}}) {
    board = filled;
    wipeOut(board, tab);
    for (SlotId id : kBoardSlots) EXPECT_TRUE(same(*boardAs, id)) << slotName(id);
    for (SlotId id : kPasteboards) EXPECT_TRUE(same(*pasteboardsAs, id)) << slotName(id);
  }
}
