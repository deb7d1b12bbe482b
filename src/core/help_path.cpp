#include "core/help_path.h"

#include <system_error>

namespace vexilo::core {

namespace {
bool isFile(const std::filesystem::path& p) {
  std::error_code ec;
  return std::filesystem::exists(p, ec) && !std::filesystem::is_directory(p, ec);
}
}  // namespace

std::string buildHelpPath(const std::filesystem::path& program, int langOffset) {
  const std::string base = program.stem().string();
  const auto beside = program.parent_path();
  for (const auto& folder : {beside, beside.parent_path() / "share" / base}) {
    for (const auto& name : {base + (langOffset != 0 ? "f" : "e") + ".qhc", base + ".qhc"}) {
      if (isFile(folder / name)) return (folder / name).string();
    }
  }
  return {};
}

}  // namespace vexilo::core
