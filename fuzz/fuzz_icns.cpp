// Feeds arbitrary bytes to the icns element reader on a fresh board, then writes the family it
// read; neither may read or write outside a buffer, hang or crash. The written file must carry
// its own length in its header.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "core/command_context.h"
#include "mac/icns.h"
#include "silent_prompter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexilo;
  core::IconSet board;
  SilentPrompter prompter;
  core::CommandContext ctx{board, prompter};
  const core::Bytes input(data, size);
  mac::readIcnsElements(ctx, input, 0, size);
  const core::ByteBuffer out = mac::writeIcnsFamily(board);
  if (out.size() < 8 || core::readBE32(out.data() + 4) != out.size()) std::abort();
  return 0;
}
