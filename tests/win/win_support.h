// Helpers of the Windows format tests: a board session, comparisons with decoded references,
// corpus listings, and the wrestool oracle.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <regex>
#include <string>
#include <vector>

#include "core/bitmap.h"
#include "core/bytes.h"
#include "core/command_context.h"
#include "core/decoded_family.h"
#include "core/string_table.h"
#include "support/fake_prompter.h"
#include "support/oracle.h"
#include "support/pictures.h"
#include "support/shared_data.h"
#include "support/temp_dir.h"

namespace vexilo::test {

using core::Bgra;
using core::Bitmap;
using core::ByteBuffer;
using core::PixelFormat;
using core::SlotId;

// A board, a scripted person and the context joining them.
struct Session {
  core::IconSet board;
  FakePrompter prompter;
  core::CommandContext ctx{board, prompter};
};

// The top-left ref.width x ref.height part of `picture` against a reference decode: red, green
// and blue within `tolerance` where the reference's alpha is not 0, with `alpha` alpha too.
inline ::testing::AssertionResult matchesReference(const Bitmap& picture, const RgbaImage& ref, int tolerance = 0,
                                                   bool alpha = false) {
  if (picture.width() < ref.width || picture.height() < ref.height)
    return ::testing::AssertionFailure() << "picture smaller than the reference";
  for (int y = 0; y < ref.height; ++y)
    for (int x = 0; x < ref.width; ++x) {
      const std::uint8_t* r = ref.at(x, y);
      const Bgra p = picture.pixel(x, y);
      if (r[3] != 0 && (std::abs(p.red - r[0]) > tolerance || std::abs(p.green - r[1]) > tolerance ||
                        std::abs(p.blue - r[2]) > tolerance || (alpha && p.alpha != r[3])))
        return ::testing::AssertionFailure() << "(" << x << "," << y << ") has " << int(p.red) << "," << int(p.green)
                                             << "," << int(p.blue) << "," << int(p.alpha) << " expected " << int(r[0])
                                             << "," << int(r[1]) << "," << int(r[2]) << "," << int(r[3]);
    }
  return ::testing::AssertionSuccess();
}

// A mask picture against a reference: white (transparent) exactly where the reference's alpha
// is 0, black elsewhere.
inline bool maskMatches(const Bitmap& mask, const RgbaImage& ref) {
  for (int y = 0; y < ref.height; ++y)
    for (int x = 0; x < ref.width; ++x)
      if (x >= mask.width() || y >= mask.height() || mask.pixel(x, y) != (ref.at(x, y)[3] == 0 ? core::kWhite : core::kBlack))
        return false;
  return true;
}

// The message of string `id` (English) with its argument.
inline std::string message(int id, const std::string& argument) {
  return core::formatMessage(core::loadLocalString(id, 0), argument);
}

// Whether the person was shown exactly one save dialog, of these title and filter strings.
inline bool oneSaveDialog(const FakePrompter& p, int titleId, int filterId) {
  return p.saveDialogs.size() == 1 && p.saveDialogs[0].title == core::loadLocalString(titleId, 0) &&
         p.saveDialogs[0].filter == core::loadLocalString(filterId, 0);
}

// The entry `index` of an icon file as a one-entry file of its own (image offset 22); empty when
// its data lie beyond the file.
inline ByteBuffer singleEntryIco(core::Bytes ico, int index) {
  const std::uint8_t* entry = ico.data() + 6 + 16 * static_cast<std::size_t>(index);
  if (!core::inRange(ico.size(), core::readLE32(entry + 12), core::readLE32(entry + 8))) return {};
  ByteBuffer out = {0, 0, 1, 0, 1, 0};  // an icon file of one entry
  out.insert(out.end(), entry, entry + 12);
  core::appendLE32(out, 22);
  const auto data = ico.subspan(core::readLE32(entry + 12), core::readLE32(entry + 8));
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

// True when icoutils' wrestool is installed (and Pillow, which reads the reference PNGs).
inline bool wrestoolAvailable() { return std::filesystem::exists("/usr/bin/wrestool") && pillowAvailable(); }

// `wrestool -l` as lines "type/name/language@address+size" (a named resource's name quoted).
inline std::vector<std::string> listWithWrestool(const std::filesystem::path& file) {
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

// A file of the shared corpus; the files under a corpus folder with one of the extensions, sorted.
inline std::filesystem::path corpus(const std::string& relative) { return sharedDir() / "corpus" / relative; }
inline std::vector<std::filesystem::path> corpusFiles(const std::string& folder,
                                                      std::initializer_list<const char*> extensions) {
  std::vector<std::filesystem::path> out;
  for (const auto& e : std::filesystem::recursive_directory_iterator(corpus(folder)))
    if (std::find(extensions.begin(), extensions.end(), e.path().extension().string()) != extensions.end())
      out.push_back(e.path());
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace vexilo::test
