#include "support/oracle.h"

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "support/temp_dir.h"

namespace vexilo::test {

namespace {

// Runs a Python script quietly with PIL imported; sys.argv[1] is a file for its answer and the
// arguments follow. The answer, or nothing when the script failed.
std::optional<core::ByteBuffer> runPython(const std::string& script, const std::vector<std::string>& args) {
  TempDir dir;
  std::string command = "/usr/bin/python3 -c " +
                        shellQuote("import sys\nfrom PIL import Image, IcnsImagePlugin\n" + script) + " " +
                        shellQuote((dir / "answer").string());
  for (const auto& a : args) command += " " + shellQuote(a);
  if (runCommand(command + " >/dev/null 2>&1") != 0) return std::nullopt;
  return readFile(dir / "answer");
}

// Runs `open`, which makes `im`, and reads back the "<width> <height>\n" + RGBA dump.
std::optional<RgbaImage> pillowDump(const std::string& open, const std::vector<std::string>& args) {
  const auto bytes = runPython(open + "im.load(); im = im.convert('RGBA')\n"
                                      "open(sys.argv[1], 'wb').write(b'%d %d\\n' % im.size + im.tobytes())\n",
                               args);
  if (!bytes) return std::nullopt;
  const auto eol = std::find(bytes->begin(), bytes->end(), std::uint8_t{'\n'});
  if (eol == bytes->end()) return std::nullopt;
  RgbaImage image;
  std::istringstream(std::string(bytes->begin(), eol)) >> image.width >> image.height;
  image.rgba.assign(eol + 1, bytes->end());
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
  static const bool available = runPython("open(sys.argv[1], 'w')", {}).has_value();  // asked once
  return available;
}

bool icns2pngAvailable() { return std::filesystem::exists("/usr/bin/icns2png") && pillowAvailable(); }

std::optional<RgbaImage> decodeWithPillow(const std::filesystem::path& file) {
  return pillowDump("im = Image.open(sys.argv[2])\n", {file.string()});
}

std::optional<RgbaImage> decodeIcnsWithPillow(const std::filesystem::path& file, int size, int scale) {
  return pillowDump("im = IcnsImagePlugin.IcnsImageFile(sys.argv[2]); s = int(sys.argv[3])\n"
                    "im.size = (s, s, int(sys.argv[4]))\n",
                    {file.string(), std::to_string(size), std::to_string(scale)});
}

std::vector<int> pillowIcnsSizes(const std::filesystem::path& file) {
  const auto answer = runPython("im = IcnsImagePlugin.IcnsImageFile(sys.argv[2])\nopen(sys.argv[1], 'w').write("
                                "' '.join(str(s[0]) for s in sorted(im.info['sizes']) if s[2] == 1))\n",
                                {file.string()});
  std::vector<int> sizes;
  std::istringstream words(answer ? std::string(answer->begin(), answer->end()) : "");
  for (int size; words >> size;) sizes.push_back(size);
  return sizes;
}

std::map<std::string, RgbaImage> decodeIcnsWithIcns2png(const std::filesystem::path& file) {
  // icns2png names its output "<stem>_<w>x<h>x<depth>.png"; a fixed stem keeps that parseable.
  TempDir dir;
  const auto input = dir / "in.icns";
  std::filesystem::copy_file(file, input);
  runCommand("/usr/bin/icns2png -x -o " + shellQuote(dir.path().string()) + " " + shellQuote(input.string()) +
             " >/dev/null 2>&1");
  std::map<std::string, RgbaImage> pictures;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("in_", 0) != 0 || entry.path().extension() != ".png") continue;
    if (auto image = decodeWithPillow(entry.path())) pictures[name.substr(3, name.size() - 3 - 4)] = std::move(*image);
  }
  return pictures;
}

}  // namespace vexilo::test
