#include "support/oracle.h"

#include <sys/wait.h>

#include <cstdlib>
#include <sstream>

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

namespace {

// Reads the "<width> <height>\n" + RGBA dump the Python scripts below write.
std::optional<RgbaImage> readDump(const std::filesystem::path& file) {
  const auto bytes = readFile(file);
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
  if (pos > bytes.size()) return std::nullopt;
  image.rgba.assign(bytes.begin() + static_cast<std::ptrdiff_t>(pos), bytes.end());
  if (image.rgba.size() != std::size_t(image.width) * image.height * 4) return std::nullopt;
  return image;
}

// Runs a Python script with the arguments; its exit status.
int runPython(const std::string& script, const std::vector<std::string>& args) {
  std::string command = std::string(kPython) + " -c " + shellQuote(script);
  for (const auto& a : args) command += " " + shellQuote(a);
  return runCommand(command + " >/dev/null 2>&1");
}

}  // namespace

std::optional<RgbaImage> decodeWithPillow(const std::filesystem::path& file) {
  TempDir dir;
  const auto out = dir / "decoded.raw";
  const std::string script =
      "import sys\nfrom PIL import Image\n"
      "im = Image.open(sys.argv[1]); im.load(); im = im.convert('RGBA')\n"
      "open(sys.argv[2], 'wb').write(b'%d %d\\n' % im.size + im.tobytes())\n";
  if (runPython(script, {file.string(), out.string()}) != 0) return std::nullopt;
  return readDump(out);
}

std::vector<int> pillowIcnsSizes(const std::filesystem::path& file) {
  TempDir dir;
  const auto out = dir / "sizes.txt";
  const std::string script =
      "import sys\nfrom PIL import IcnsImagePlugin\n"
      "im = IcnsImagePlugin.IcnsImageFile(sys.argv[1])\n"
      "open(sys.argv[2], 'w').write(' '.join(str(s[0]) for s in sorted(im.info['sizes']) if s[2] == 1))\n";
  std::vector<int> sizes;
  if (runPython(script, {file.string(), out.string()}) != 0) return sizes;
  const auto bytes = readFile(out);
  std::istringstream words(std::string(bytes.begin(), bytes.end()));
  for (int size; words >> size;) sizes.push_back(size);
  return sizes;
}

std::optional<RgbaImage> decodeIcnsWithPillow(const std::filesystem::path& file, int size) {
  TempDir dir;
  const auto out = dir / "decoded.raw";
  const std::string script =
      "import sys\nfrom PIL import IcnsImagePlugin\n"
      "im = IcnsImagePlugin.IcnsImageFile(sys.argv[1]); s = int(sys.argv[3])\n"
      "im.size = (s, s, 1); im.load(); im = im.convert('RGBA')\n"
      "open(sys.argv[2], 'wb').write(b'%d %d\\n' % im.size + im.tobytes())\n";
  if (runPython(script, {file.string(), out.string(), std::to_string(size)}) != 0) return std::nullopt;
  return readDump(out);
}

bool icns2pngAvailable() {
  static const bool available = std::filesystem::exists("/usr/bin/icns2png") && pillowAvailable();
  return available;
}

std::map<std::string, RgbaImage> decodeIcnsWithIcns2png(const std::filesystem::path& file) {
  // icns2png names its output "<stem>_<w>x<h>x<depth>.png"; a fixed stem keeps that parseable.
  TempDir dir;
  const auto input = dir / "in.icns";
  std::filesystem::copy_file(file, input);
  runCommand("/usr/bin/icns2png -x -o " + shellQuote(dir.path().string()) + " " +
             shellQuote(input.string()) + " >/dev/null 2>&1");
  std::map<std::string, RgbaImage> pictures;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("in_", 0) != 0 || entry.path().extension() != ".png") continue;
    if (auto image = decodeWithPillow(entry.path()))
      pictures[name.substr(3, name.size() - 3 - 4)] = std::move(*image);
  }
  return pictures;
}

}  // namespace vexilo::test
