#include "support/shared_data.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace vexilo::test {

std::filesystem::path sharedDir() { return std::filesystem::path(VEXILO_SHARED_DIR); }

bool sharedAvailable() {
  std::error_code ec;
  return std::filesystem::is_directory(sharedDir() / "corpus", ec) &&
         std::filesystem::is_directory(sharedDir() / "samples", ec);
}

bool inCi() {
  const char* ci = std::getenv("CI");
  return ci != nullptr && std::string(ci) == "true";
}

core::ByteBuffer readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return core::ByteBuffer(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::filesystem::path& path, core::Bytes bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + path.string());
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace vexilo::test
