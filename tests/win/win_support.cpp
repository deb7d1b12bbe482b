#include "win_support.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <regex>

#include "core/string_table.h"
#include "support/shared_data.h"
#include "support/temp_dir.h"

namespace vexilo::test {

Bitmap solid(int w, int h, Bgra c, PixelFormat format) {
  Bitmap b(w, h, PixelFormat::Bits32);
  b.fill(c);
  if (format != PixelFormat::Bits32) b.convertTo(format);
  return b;
}

::testing::AssertionResult sameBoard(const core::IconSet& a, const core::IconSet& b) {
  for (std::size_t i = 0; i < core::kSlotCount; ++i) {
    const auto id = static_cast<core::SlotId>(i);
    if (a.slot(id).depth != b.slot(id).depth || a.slot(id).picture != b.slot(id).picture)
      return ::testing::AssertionFailure() << core::slotName(id) << " differs";
  }
  for (core::SlotId pb : core::kPasteboards)
    if (a.cursor(pb).x != b.cursor(pb).x || a.cursor(pb).y != b.cursor(pb).y || a.cursor(pb).count != b.cursor(pb).count)
      return ::testing::AssertionFailure() << core::slotName(pb) << " cursor differs";
  if (a.selected() != b.selected()) return ::testing::AssertionFailure() << "selection differs";
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult matchesReference(const core::Bitmap& picture, const RgbaImage& ref, int tolerance,
                                            bool alpha) {
  if (picture.width() < ref.width || picture.height() < ref.height)
    return ::testing::AssertionFailure() << "picture smaller than the reference";
  for (int y = 0; y < ref.height; ++y)
    for (int x = 0; x < ref.width; ++x) {
      const std::uint8_t* r = ref.at(x, y);
      const core::Bgra p = picture.pixel(x, y);
      if (r[3] != 0 && (std::abs(p.red - r[0]) > tolerance || std::abs(p.green - r[1]) > tolerance ||
                        std::abs(p.blue - r[2]) > tolerance || (alpha && p.alpha != r[3])))
        return ::testing::AssertionFailure() << "(" << x << "," << y << ") has " << int(p.red) << "," << int(p.green)
                                             << "," << int(p.blue) << "," << int(p.alpha) << " expected " << int(r[0])
                                             << "," << int(r[1]) << "," << int(r[2]) << "," << int(r[3]);
    }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult maskMatches(const core::Bitmap& mask, const RgbaImage& ref) {
  for (int y = 0; y < ref.height; ++y)
    for (int x = 0; x < ref.width; ++x)
      if (x >= mask.width() || y >= mask.height() || mask.pixel(x, y) != (ref.at(x, y)[3] == 0 ? core::kWhite : core::kBlack))
        return ::testing::AssertionFailure() << "mask differs at (" << x << "," << y << ")";
  return ::testing::AssertionSuccess();
}

std::string message(int id, const std::string& argument) {
  return core::formatMessage(core::loadLocalString(id, 0), argument);
}

::testing::AssertionResult oneSaveDialog(const FakePrompter& prompter, int titleId, int filterId) {
  const auto& d = prompter.saveDialogs;
  if (d.size() != 1 || d[0].title != core::loadLocalString(titleId, 0) || d[0].filter != core::loadLocalString(filterId, 0))
    return ::testing::AssertionFailure() << d.size() << " dialogs, not the one expected";
  return ::testing::AssertionSuccess();
}

core::ByteBuffer singleEntryIco(core::Bytes ico, int index) {
  const std::uint8_t* entry = ico.data() + 6 + 16 * static_cast<std::size_t>(index);
  if (!core::inRange(ico.size(), core::readLE32(entry + 12), core::readLE32(entry + 8))) return {};
  core::ByteBuffer out = {0, 0, 1, 0, 1, 0};  // an icon file of one entry
  out.insert(out.end(), entry, entry + 12);
  core::appendLE32(out, 22);
  const auto data = ico.subspan(core::readLE32(entry + 12), core::readLE32(entry + 8));
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

bool wrestoolAvailable() {
  static const bool available = std::filesystem::exists("/usr/bin/wrestool") && pillowAvailable();
  return available;
}

std::vector<std::string> listWithWrestool(const std::filesystem::path& file) {
  TempDir dir;
  runCommand("/usr/bin/wrestool -l " + shellQuote(file.string()) + " >" + shellQuote((dir / "list").string()) +
             " 2>/dev/null");
  std::vector<std::string> out;
  std::ifstream in(dir / "list");
  static const std::regex line(R"(--type=(\d+) --name=('?[^' ]*'?) --language=(\d+) \[.*offset=0x(\w+) size=(\d+)\])");
  std::smatch m;
  for (std::string text; std::getline(in, text);)
    if (std::regex_search(text, m, line))
      out.push_back(m[1].str() + "/" + m[2].str() + "/" + m[3].str() + "@" +
                    std::to_string(std::stoul(m[4], nullptr, 16)) + "+" + m[5].str());
  return out;
}

std::filesystem::path corpus(const std::string& relative) { return sharedDir() / "corpus" / relative; }
std::filesystem::path sample(const std::string& name) { return sharedDir() / "samples" / name; }

std::vector<std::filesystem::path> corpusFiles(const std::string& folder, std::initializer_list<const char*> extensions) {
  std::vector<std::filesystem::path> out;
  for (const auto& e : std::filesystem::recursive_directory_iterator(corpus(folder)))
    if (std::find(extensions.begin(), extensions.end(), e.path().extension().string()) != extensions.end())
      out.push_back(e.path());
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace vexilo::test
