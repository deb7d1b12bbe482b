// Feeds arbitrary bytes to the executable resource walk: every resource it gives must lie
// within the input, and handing them to the ICO reader and the BMP import must stay sound.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "core/command_context.h"
#include "win/pe_resources.h"
#include "silent_prompter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexilo;
  const core::Bytes file(data, size);
  for (const win::PeResource& r : win::readPeResources(file)) {
    if (r.type != win::kResourceBitmap && r.type != win::kResourceIcon) std::abort();
    if (r.data.data() < data || r.data.data() + r.data.size() > data + size) std::abort();
  }
  // A fresh board is costly to draw (its pasteboard grids): the board is reset by assigning
  // one drawn once, which also keeps its large buffers from one input to the next.
  static const core::IconSet kFresh;
  static core::IconSet board;
  board = kFresh;
  SilentPrompter prompter;
  core::CommandContext ctx{board, prompter};
  win::readExeBytes(ctx, file);
  return 0;
}
