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
  const auto folder = program.parent_path();
  const std::string base = program.stem().string();
  auto localised = folder / (base + (langOffset != 0 ? "f" : "e") + ".CHM");
  if (isFile(localised)) return localised.string();
  auto plain = folder / (base + ".CHM");
  if (isFile(plain)) return plain.string();
  return {};
}

}  // namespace vexilo::core
