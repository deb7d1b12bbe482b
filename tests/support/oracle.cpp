#include "support/oracle.h"

#include <sys/wait.h>

#include <cstdlib>

#include "support/shared_data.h"
#include "support/temp_dir.h"

namespace vexilo::test {

namespace {
constexpr const char* kPython = "/usr/bin/python3";
}

std::string shellQuote(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') out += "'\\''";
    else out += c;
  }
  return out + "'";
}

int runCommand(const std::string& command) {
  const int status = std::system(command.c_str());
  if (status == -1) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool pillowAvailable() {
  static const bool available =
      runCommand(std::string(kPython) + " -c 'import PIL.Image' >/dev/null 2>&1") == 0;
  return available;
}

std::optional<RgbaImage> decodeWithPillow(const std::filesystem::path& file) {
  TempDir dir;
  const auto out = dir / "decoded.raw";
  const std::string script =
      "import sys\nfrom PIL import Image\n"
      "im = Image.open(sys.argv[1]); im.load(); im = im.convert('RGBA')\n"
      "open(sys.argv[2], 'wb').write(b'%d %d\\n' % im.size + im.tobytes())\n";
  const std::string command = std::string(kPython) + " -c " + shellQuote(script) + " " +
                              shellQuote(file.string()) + " " + shellQuote(out.string()) +
                              " >/dev/null 2>&1";
  if (runCommand(command) != 0) return std::nullopt;
  const auto bytes = readFile(out);
  RgbaImage image;
  std::size_t pos = 0;
  auto number = [&] {
    int v = 0;
    while (pos < bytes.size() && bytes[pos] >= '0' && bytes[pos] <= '9') v = v * 10 + (bytes[pos++] - '0');
    ++pos;  // the space or line feed after it
    return v;
  };
  image.width = number();
  image.height = number();
  image.rgba.assign(bytes.begin() + static_cast<std::ptrdiff_t>(pos), bytes.end());
  if (image.rgba.size() != std::size_t(image.width) * image.height * 4) return std::nullopt;
  return image;
}

}  // namespace vexilo::test
