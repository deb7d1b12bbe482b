// The whole open dispatch on any bytes, under every extension it knows and none: the input's
// length picks the name, so the seeds keep their bytes and mutations reach every reader.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/element_types.h"
#include "open/open_command.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexilo;
  static const std::vector<std::string> names = [] {
    std::vector<std::string> out = {"x", "x.ico", "x.bmp", "x.icns", "x.jpg", "x.png"};
    for (const core::ElementType& t : core::elementTypes())
      if (!t.extension.empty()) out.push_back("x" + std::string(t.extension));
    return out;
  }();
  const core::DecodedFamily family = open::decodeIconFile(core::Bytes(data, size), names[size % names.size()]);
  (void)family;
  return 0;
}
