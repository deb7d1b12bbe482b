#include "support/oracle.h"

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "support/temp_dir.h"

namespace vexilo::test {

namespace {

// Runs a Python script with the arguments, quietly; whether it succeeded.
bool runPython(const std::string& script, const std::vector<std::string>& args) {
  std::string command = "/usr/bin/python3 -c " + shellQuote(script);
  for (const auto& a : args) command += " " + shellQuote(a);
  return runCommand(command + " >/dev/null 2>&1") == 0;
}

// Runs `open`, which makes `im` of sys.argv[1] (sys.argv[3] onwards are `more`), and reads back
// the "<width> <height>\n" + RGBA dump the script writes to sys.argv[2].
std::optional<RgbaImage> pillowDump(const std::filesystem::path& file, const std::string& open,
                                    const std::vector<std::string>& more = {}) {
  TempDir dir;
  const auto out = dir / "decoded.raw";
  std::vector<std::string> args{file.string(), out.string()};
  args.insert(args.end(), more.begin(), more.end());
  const std::string script = "import sys\nfrom PIL import Image, IcnsImagePlugin\n" + open +
                             "im.load(); im = im.convert('RGBA')\n"
                             "open(sys.argv[2], 'wb').write(b'%d %d\\n' % im.size + im.tobytes())\n";
  if (!runPython(script, args)) return std::nullopt;
  const auto bytes = readFile(out);
  const auto eol = std::find(bytes.begin(), bytes.end(), std::uint8_t{'\n'});
  if (eol == bytes.end()) return std::nullopt;
  RgbaImage image;
  std::istringstream(std::string(bytes.begin(), eol)) >> image.width >> image.height;
  image.rgba.assign(eol + 1, bytes.end());
  if (image.rgba.size() != std::size_t(image.width) * image.height * 4) return std::nullopt;
  return image;
}

}  // namespace

std::string shellQuote(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

int runCommand(const std::string& command) {
  const int status = std::system(command.c_str());
  return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool pillowAvailable() {
  static const bool available = runPython("import PIL.Image", {});
  return available;
}

bool icns2pngAvailable() {
  static const bool available = std::filesystem::exists("/usr/bin/icns2png") && pillowAvailable();
  return available;
}

std::optional<RgbaImage> decodeWithPillow(const std::filesystem::path& file) {
  return pillowDump(file, "im = Image.open(sys.argv[1])\n");
}

std::optional<RgbaImage> decodeIcnsWithPillow(const std::filesystem::path& file, int size) {
  return pillowDump(file, "im = IcnsImagePlugin.IcnsImageFile(sys.argv[1]); s = int(sys.argv[3])\n"
                          "im.size = (s, s, 1)\n", {std::to_string(size)});
}

std::vector<int> pillowIcnsSizes(const std::filesystem::path& file) {
  TempDir dir;
  const auto out = dir / "sizes.txt";
  std::vector<int> sizes;
  if (!runPython("import sys\nfrom PIL import IcnsImagePlugin\n"
                 "im = IcnsImagePlugin.IcnsImageFile(sys.argv[1])\n"
                 "open(sys.argv[2], 'w').write(' '.join(str(s[0]) for s in sorted(im.info['sizes'])"
                 " if s[2] == 1))\n",
                 {file.string(), out.string()}))
    return sizes;
  const auto bytes = readFile(out);
  std::istringstream words(std::string(bytes.begin(), bytes.end()));
  for (int size; words >> size;) sizes.push_back(size);
  return sizes;
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
