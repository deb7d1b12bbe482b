// Feeds arbitrary bytes to the ICO reader on a fresh board. Besides staying within its buffers,
// every picture it places must have its control's size, and the 32-bit family written from the
// board must read back into the same colour pictures.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "core/command_context.h"
#include "win/ico_reader.h"
#include "win/ico_writer.h"
#include "silent_prompter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexilo;
  // A fresh board is costly to draw (its pasteboard grids): the boards are reset by assigning
  // one drawn once, which also keeps their large buffers from one input to the next.
  static const core::IconSet kFresh;
  static core::IconSet board, back;
  board = kFresh;
  back = kFresh;
  SilentPrompter prompter;
  core::CommandContext ctx{board, prompter};
  win::readIcoBytes(ctx, core::Bytes(data, size));

  for (core::SlotId id : core::kBoardSlots) {
    const core::Slot& slot = board.slot(id);
    if (slot.depth < 0 || slot.depth > 7) std::abort();
    if (!slot.picture) continue;
    const core::SlotSize control = core::controlSize(id);
    if (slot.picture->width() != control.width || slot.picture->height() != control.height)
      std::abort();
  }

  const core::ByteBuffer family = win::writeIcoFamily(board);
  core::CommandContext backCtx{back, prompter};
  win::readIcoBytes(backCtx, family);
  constexpr std::array<core::SlotId, 4> kColour = {core::SlotId::ic16, core::SlotId::ic32,
                                                   core::SlotId::ic48, core::SlotId::ic128};
  for (core::SlotId id : kColour)
    if (board.slot(id).filled() && back.slot(id).picture != board.slot(id).picture) std::abort();
  return 0;
}
