#include "core/file_io.h"

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

namespace vexilo::core {

std::optional<ByteBuffer> readFileBytes(const std::filesystem::path& path,
                                        std::uintmax_t maxBytes) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0 || static_cast<std::uintmax_t>(size) > maxBytes) return std::nullopt;
  in.seekg(0, std::ios::beg);
  ByteBuffer bytes(static_cast<std::size_t>(size));
  in.read(reinterpret_cast<char*>(bytes.data()), size);
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return bytes;
}

bool replaceFileContents(const std::filesystem::path& path, Bytes bytes) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return false;
  std::random_device random;
  std::filesystem::path temp;
  std::FILE* file = nullptr;
  for (int attempt = 0; attempt < 20 && !file; ++attempt) {
    temp = path;
    temp += ".vexilo-" + std::to_string(random()) + ".tmp";
#ifdef _WIN32
    file = _wfopen(temp.c_str(), L"wbx");
#else
    file = std::fopen(temp.c_str(), "wbx");
#endif
    if (!file && errno != EEXIST) return false;
  }
  if (!file) return false;
  bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  ok = std::fclose(file) == 0 && ok;
  if (ok) std::filesystem::rename(temp, path, ec);
  if (!ok || ec) {
    std::filesystem::remove(temp, ec);
    return false;
  }
  return true;
}

}  // namespace vexilo::core
