#include "win_support.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

#include "support/shared_data.h"
#include "support/temp_dir.h"

namespace vexilo::test {

void append(ByteBuffer& out, std::initializer_list<int> bytes) {
  for (int b : bytes) out.push_back(static_cast<std::uint8_t>(b));
}

::testing::AssertionResult oneSaveDialog(const FakePrompter& prompter, const std::string& title,
                                         const std::string& filter, const std::string& extension,
                                         const std::string& initialName) {
  if (prompter.saveDialogs.size() != 1)
    return ::testing::AssertionFailure() << prompter.saveDialogs.size() << " save dialogs";
  const auto& d = prompter.saveDialogs[0];
  if (d.title != title || d.filter != filter || d.defaultExtension != extension ||
      d.initialName != initialName)
    return ::testing::AssertionFailure() << "dialog " << d.title << " | " << d.filter << " | "
                                         << d.defaultExtension << " | " << d.initialName;
  return ::testing::AssertionSuccess();
}

Bitmap solid(int w, int h, Bgra c, PixelFormat format) {
  Bitmap b(w, h, PixelFormat::Bits32);
  b.fill(c);
  if (format != PixelFormat::Bits32) b.convertTo(format);
  return b;
}

::testing::AssertionResult sameBoard(const core::IconSet& a, const core::IconSet& b) {
  for (std::size_t i = 0; i < core::kSlotCount; ++i) {
    const auto id = static_cast<core::SlotId>(i);
    if (a.slot(id).depth != b.slot(id).depth)
      return ::testing::AssertionFailure() << core::slotName(id) << " depth " << a.slot(id).depth
                                           << " vs " << b.slot(id).depth;
    if (a.slot(id).picture != b.slot(id).picture)
      return ::testing::AssertionFailure() << core::slotName(id) << " picture differs";
  }
  for (core::SlotId pb : core::kPasteboards) {
    const auto& ca = a.cursor(pb);
    const auto& cb = b.cursor(pb);
    if (ca.x != cb.x || ca.y != cb.y || ca.count != cb.count)
      return ::testing::AssertionFailure() << core::slotName(pb) << " cursor differs";
  }
  if (a.selected() != b.selected()) return ::testing::AssertionFailure() << "selection differs";
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult matchesReference(const core::Bitmap& picture, const RgbaImage& ref,
                                            int tolerance, bool alpha) {
  if (picture.width() < ref.width || picture.height() < ref.height)
    return ::testing::AssertionFailure() << "picture " << picture.width() << "x" << picture.height()
                                         << " smaller than reference " << ref.width << "x"
                                         << ref.height;
  int bad = 0;
  std::ostringstream first;
  for (int y = 0; y < ref.height; ++y)
    for (int x = 0; x < ref.width; ++x) {
      const std::uint8_t* r = ref.at(x, y);
      if (r[3] == 0) continue;
      const core::Bgra p = picture.pixel(x, y);
      const bool ok = std::abs(p.red - r[0]) <= tolerance && std::abs(p.green - r[1]) <= tolerance &&
                      std::abs(p.blue - r[2]) <= tolerance && (!alpha || p.alpha == r[3]);
      if (!ok && bad++ == 0)
        first << "(" << x << "," << y << ") has " << int(p.red) << "," << int(p.green) << ","
              << int(p.blue) << "," << int(p.alpha) << " expected " << int(r[0]) << ","
              << int(r[1]) << "," << int(r[2]) << "," << int(r[3]);
    }
  if (bad == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << bad << " pixels differ, first " << first.str();
}

::testing::AssertionResult maskMatches(const core::Bitmap& mask, const RgbaImage& ref,
                                       int threshold) {
  if (mask.width() < ref.width || mask.height() < ref.height)
    return ::testing::AssertionFailure() << "mask smaller than reference";
  int bad = 0;
  for (int y = 0; y < ref.height; ++y)
    for (int x = 0; x < ref.width; ++x) {
      const bool transparent = ref.at(x, y)[3] < threshold;
      const core::Bgra p = mask.pixel(x, y);
      if (p != (transparent ? core::kWhite : core::kBlack)) ++bad;
    }
  if (bad == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << bad << " mask pixels differ";
}

bool maskOpaque(const core::Bitmap& mask, int w, int h) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (mask.pixel(x, y) != core::kBlack) return false;
  return true;
}

core::ByteBuffer singleEntryIco(core::Bytes ico, int index) {
  const std::uint8_t* entry = ico.data() + 6 + 16 * static_cast<std::size_t>(index);
  const std::uint32_t size = core::readLE32(entry + 8);
  const std::uint32_t offset = core::readLE32(entry + 12);
  core::ByteBuffer out(22 + size, 0);
  out[2] = 1;  // icon
  out[4] = 1;  // one entry
  std::copy_n(entry, 12, out.begin() + 6);
  core::writeLE32(out.data() + 18, 22);
  std::copy_n(ico.begin() + offset, size, out.begin() + 22);
  return out;
}

bool icoutilsAvailable() {
  static const bool available = std::filesystem::exists("/usr/bin/icotool") &&
                                std::filesystem::exists("/usr/bin/wrestool") && pillowAvailable();
  return available;
}

std::map<int, RgbaImage> decodeWithIcotool(const std::filesystem::path& file) {
  // icotool names its output "<stem>_<index>_<w>x<h>x<depth>.png"; a fixed stem keeps that
  // parseable.
  TempDir dir;
  const auto input = dir / "in.ico";
  std::filesystem::copy_file(file, input);
  runCommand("/usr/bin/icotool -x -o " + shellQuote(dir.path().string()) + " " +
             shellQuote(input.string()) + " >/dev/null 2>&1");
  std::map<int, RgbaImage> pictures;
  static const std::regex name(R"(in_(\d+)_\d+x\d+x\d+\.png)");
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    std::smatch m;
    const std::string file_name = entry.path().filename().string();
    if (!std::regex_match(file_name, m, name)) continue;
    if (auto image = decodeWithPillow(entry.path())) pictures[std::stoi(m[1])] = std::move(*image);
  }
  return pictures;
}

std::optional<RgbaImage> decodeDibWithPillow(core::Bytes dib) {
  TempDir dir;
  const auto input = dir / "in.dib";
  const auto output = dir / "out.png";
  writeFile(input, dib);
  const std::string script =
      "import sys\nfrom PIL import BmpImagePlugin\n"
      "im = BmpImagePlugin.DibImageFile(open(sys.argv[1], 'rb')); im.load()\n"
      "im.convert('RGBA').save(sys.argv[2])\n";
  if (runCommand("/usr/bin/python3 -c " + shellQuote(script) + " " + shellQuote(input.string()) +
                 " " + shellQuote(output.string()) + " >/dev/null 2>&1") != 0)
    return std::nullopt;
  return decodeWithPillow(output);
}

std::vector<WrestoolResource> listWithWrestool(const std::filesystem::path& file) {
  TempDir dir;
  const auto listing = dir / "list.txt";
  runCommand("/usr/bin/wrestool -l " + shellQuote(file.string()) + " >" +
             shellQuote(listing.string()) + " 2>/dev/null");
  std::vector<WrestoolResource> out;
  std::ifstream in(listing);
  static const std::regex line(
      R"(--type=(\d+) --name=('?)([^' ]*)'? --language=(\d+) \[.*offset=0x([0-9a-fA-F]+) size=(\d+)\])");
  for (std::string text; std::getline(in, text);) {
    std::smatch m;
    if (!std::regex_search(text, m, line)) continue;
    out.push_back({std::stoi(m[1]), m[3], std::stoi(m[4]),
                   static_cast<std::size_t>(std::stoul(m[5], nullptr, 16)),
                   static_cast<std::size_t>(std::stoul(m[6]))});
  }
  return out;
}

std::filesystem::path corpus(const std::string& relative) { return sharedDir() / "corpus" / relative; }
std::filesystem::path sample(const std::string& name) { return sharedDir() / "samples" / name; }

}  // namespace vexilo::test
