// Undo and Redo over every command that changes the board: each step taken back and done again
// gives the board exactly as it was, pictures, depths, pasteboards and their cursors.
#include <functional>

#include <gtest/gtest.h>

#include "core/edit_commands.h"
#include "core/history.h"
#include "imageops/colour_depth.h"
#include "imageops/masks.h"
#include "imageops/premultiply.h"
#include "imageops/rotation.h"
#include "open/open_command.h"
#include "support/fake_prompter.h"
#include "support/pictures.h"
#include "support/shared_data.h"

using namespace vexilo;
using core::SlotId;

namespace {

struct MemoryClipboard : core::Clipboard {
  std::optional<core::ClipboardBitmap> held;
  bool hasBitmap() const override { return held.has_value(); }
  void setBitmap(const core::Bitmap& b) override { held = core::ClipboardBitmap{b, core::depthOrdinal(b.format())}; }
  std::optional<core::ClipboardBitmap> read() const override { return held; }
};

// The first slot or cursor where two boards differ; empty when they are the same.
std::string difference(const core::IconSet& a, const core::IconSet& b) {
  for (std::size_t i = 0; i < core::kSlotCount; ++i)
    if (!(a.slot(static_cast<SlotId>(i)) == b.slot(static_cast<SlotId>(i)))) return "slot " + std::to_string(i);
  for (SlotId pb : core::kPasteboards)
    if (a.cursor(pb) != b.cursor(pb)) return "cursor of pasteboard " + std::to_string(static_cast<int>(pb));
  return {};
}

class History : public ::testing::Test {
 protected:
  // Runs a command as the window does: one step, when it changed anything.
  bool step(const std::function<void()>& command) {
    history.begin(board);
    command();
    const bool made = history.commit(board);
    if (made) boards.push_back(board);
    return made;
  }
  void import(const std::string& path) {
    core::CommandContext ctx{board, prompter, 0, nullptr};
    open::openIconFile(ctx, path);
  }
  core::IconSet board;
  core::BoardHistory history;
  test::FakePrompter prompter;
  MemoryClipboard clipboard;
  std::vector<core::IconSet> boards{board};
};

TEST_F(History, EveryCommandIsTakenBackAndDoneAgainExactly) {
  VEXILO_REQUIRE_SHARED();
  const auto corpus = test::sharedDir() / "corpus";
  using imageops::Turn;
  const std::vector<std::pair<const char*, std::function<void()>>> commands = {
      {"import a modern family", [&] { import((corpus / "icns/pillow_pillow3.icns").string()); }},
      {"import a classic icon", [&] { import((corpus / "ico/pillow_hopper.ico").string()); }},
      {"copy then paste", [&] { core::copySlot(board, clipboard, SlotId::ic32); core::pasteSlot(board, clipboard, SlotId::ic16); }},
      {"create mask", [&] { imageops::createMask(board, SlotId::ic16); }},
      {"create all masks", [&] { imageops::createAllMasks(board); }},
      {"180", [&] { imageops::turnSlot(board, SlotId::ic512, Turn::Half); }},
      {"left", [&] { imageops::turnSlot(board, SlotId::ic32, Turn::Left); }},
      {"right", [&] { imageops::turnSlot(board, SlotId::ic256, Turn::Right); }},
      {"flip h", [&] { imageops::turnSlot(board, SlotId::ic128, Turn::FlipHorizontal); }},
      {"flip v", [&] { imageops::turnSlot(board, SlotId::ic16, Turn::FlipVertical); }},
      {"8 bits", [&] { imageops::convertSlot(board, SlotId::ic32, core::PixelFormat::Bits8); }},
      {"1 bit", [&] { imageops::convertSlot(board, SlotId::ic128, core::PixelFormat::Bits1); }},
      {"a translucent picture", [&] { board.offerBitmap(SlotId::ic48, test::pattern(48, 48)); }},
      {"premultiply", [&] { imageops::premultiplySlot(board, SlotId::ic48); }},
      {"demultiply", [&] { imageops::unpremultiplySlot(board, SlotId::ic48); }},
      {"cut", [&] { core::cutSlot(board, clipboard, SlotId::ic16); }},
      {"wipe out the board", [&] { core::wipeOut(board, core::MainTab::Board); }},
      {"wipe out a pasteboard", [&] { board.select(SlotId::PB32); core::wipeOut(board, core::MainTab::Pasteboard); }},
      {"wipe out the large sizes", [&] { core::wipeOut(board, core::MainTab::Large); }},
  };
  for (const auto& [name, command] : commands) EXPECT_TRUE(step(command)) << name << " changed nothing";
  // A pasteboard that fills up: its cursor stops, and comes back with the step.
  for (int i = 0; i < 40; ++i) step([&] { board.addToPasteboard(test::pattern(16, 16)); });
  // Neither selecting nor a command that changes nothing is a step.
  EXPECT_FALSE(step([&] { board.select(SlotId::ic48); }) || step([&] { imageops::turnSlot(board, SlotId::ic48, Turn::Half); }));

  const std::size_t steps = boards.size() - 1;
  ASSERT_EQ(history.undoSteps(), std::min(steps, core::BoardHistory::kMaxSteps));
  const std::size_t oldest = steps - history.undoSteps();
  for (std::size_t k = steps; k > oldest; --k) {
    ASSERT_TRUE(history.undo(board));
    ASSERT_EQ(difference(board, boards[k - 1]), "") << "undoing step " << k;
  }
  EXPECT_FALSE(history.undo(board)) << "the oldest steps beyond the limit are gone";
  for (std::size_t k = oldest + 1; k <= steps; ++k) {
    ASSERT_TRUE(history.redo(board));
    ASSERT_EQ(difference(board, boards[k]), "") << "redoing step " << k;
  }
  EXPECT_FALSE(history.canRedo());
  // Taken back twice, then a new step: what was taken back can no longer be redone.
  history.undo(board), history.undo(board);
  EXPECT_TRUE(history.canRedo());
  EXPECT_TRUE(step([&] { board.offerBitmap(SlotId::ic32, test::pattern(32, 32)); }));
  EXPECT_FALSE(history.canRedo() || history.redo(board));
  EXPECT_EQ(board.selected(), SlotId::ic48) << "undo leaves the selection where it is";
}

TEST_F(History, AStepHoldsOnlyTheSlotsItChanged) {
  board.offerBitmap(SlotId::ic1024, test::pattern(1024, 1024));
  board.offerBitmap(SlotId::ic32, test::pattern(32, 32));
  for (int i = 0; i < 60; ++i) step([&] { imageops::turnSlot(board, SlotId::ic32, imageops::Turn::Left); });
  EXPECT_EQ(history.undoSteps(), core::BoardHistory::kMaxSteps);
  EXPECT_EQ(history.pictureBytes(), core::BoardHistory::kMaxSteps * 32 * 32 * 4) << "the large picture is not copied";
  // Nested calls make one step, the outermost.
  history.begin(board);
  EXPECT_FALSE(step([&] { imageops::turnSlot(board, SlotId::ic32, imageops::Turn::FlipVertical); }));
  EXPECT_TRUE(history.commit(board));
}

}  // namespace
