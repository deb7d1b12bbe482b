// The ICO reader: damaged directories, every entry of the corpus and sample icons against
// icotool's and Pillow's decodes, and the board the file readers leave.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <regex>

#include "core/bmp_codec.h"
#include "support/shared_data.h"
#include "support/temp_dir.h"
#include "win/ico_reader.h"
#include "win/ico_writer.h"
#include "win_support.h"

using namespace vexilo;
using namespace vexilo::test;

namespace {

// The data of a 32-bit w x w entry as the writer makes them (w of a slot's control), the
// picture's colours differing at every pixel.
ByteBuffer writtenEntry(int w) {
  core::IconSet board;
  const SlotId slot = *core::colourSlotOf(w, w);
  board.offerBitmap(slot, solid(w, w, {std::uint8_t(w), 100, 200, 150}));
  const ByteBuffer file = *win::writeIcoImage(board, slot);
  return ByteBuffer(file.begin() + 22, file.end());
}

// An icon file of (width, data) entries, directory bit count 32, the data back to back.
ByteBuffer icoFile(const std::vector<std::pair<int, ByteBuffer>>& entries) {
  ByteBuffer out = {0, 0, 1, 0, std::uint8_t(entries.size()), 0}, data;
  for (const auto& [w, bytes] : entries) {
    out.insert(out.end(), {std::uint8_t(w), std::uint8_t(w), 0, 0, 1, 0, 32, 0});
    core::appendLE32(out, static_cast<std::uint32_t>(bytes.size()));
    core::appendLE32(out, static_cast<std::uint32_t>(6 + 16 * entries.size() + data.size()));
    data.insert(data.end(), bytes.begin(), bytes.end());
  }
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

using Slots = std::vector<std::optional<SlotId>>;
Slots slotsOf(const core::DecodedFamily& f) {
  Slots out;
  for (const auto& p : f.pictures) out.push_back(p.slot);
  return out;
}
Slots pairOf(SlotId colour) { return {colour, core::slotInfo(colour).partner}; }

}  // namespace

// Every damaged directory or entry is skipped (or ends the reading) and the rest is read.
TEST(IcoDecode, DamagedDirectoriesAndEntriesAreSkipped) {
  const ByteBuffer sound = icoFile({{16, writtenEntry(16)}, {32, writtenEntry(32)}});
  const core::DecodedFamily whole = win::decodeIco(sound);
  ASSERT_EQ(whole.pictures.size(), 4u);
  const auto le32 = [](std::size_t at, std::uint32_t v) { return [=](ByteBuffer& f) { core::writeLE32(f.data() + at, v); }; };
  const struct {
    const char* what;
    std::function<void(ByteBuffer&)> patch;
    std::size_t first, kept;  // the pictures left are whole.pictures[first, first + kept)
  } cases[] = {
      {"negative count", [](ByteBuffer& f) { f[4] = f[5] = 0xFF; }, 0, 0},
      {"no entries", [](ByteBuffer& f) { f[4] = 0; }, 0, 0},
      {"directory cut short", [](ByteBuffer& f) { f[4] = 3; f.resize(6 + 16 + 16 + 8); }, 0, 0},
      {"offset at the end of the file", le32(6 + 12, std::uint32_t(sound.size())), 2, 2},
      {"offset wrapping around", le32(6 + 12, 0xFFFFFFF0u), 2, 2},
      {"size past the end", le32(6 + 16 + 8, std::uint32_t(sound.size() - 1166 + 1)), 0, 2},
      {"more than the working buffer", [](ByteBuffer& f) { core::writeLE32(f.data() + 6 + 8, 71667); f.resize(f.size() + 71667); }, 2, 2},
      {"256 entry", [](ByteBuffer& f) { f[6] = 0; }, 2, 2},
      {"core header", le32(38, 12), 2, 2},
      {"header width", le32(38 + 4, 17), 2, 2},
      {"no usable bit count", [](ByteBuffer& f) { f[38 + 14] = 3; f[12] = 3; }, 2, 2},
      {"PNG data", [](ByteBuffer& f) { std::copy_n("\x89PNG\r\n\x1A\n", 8, f.begin() + 38); }, 2, 2},
  };
  for (const auto& c : cases) {
    ByteBuffer f = sound;
    c.patch(f);
    const core::DecodedFamily got = win::decodeIco(f);
    ASSERT_EQ(got.pictures.size(), c.kept) << c.what;
    for (std::size_t i = 0; i < c.kept; ++i)
      EXPECT_TRUE(got.pictures[i].slot == whole.pictures[c.first + i].slot &&
                  got.pictures[i].bitmap == whole.pictures[c.first + i].bitmap) << c.what;
  }
}

namespace {

// The reference decodes of an icon by entry index (1-based): the corpus's own (icotool's, and
// Pillow's where icotool gave none), else Pillow's run here.
std::map<int, RgbaImage> referencesOf(const std::filesystem::path& path) {
  const std::string relative = std::filesystem::relative(path, corpus("ico")).replace_extension().string();
  const auto dir = corpus("expected/ico/" + std::regex_replace(relative, std::regex("/"), "__"));
  std::map<int, RgbaImage> out;
  if (!std::filesystem::is_directory(dir)) {  // Pillow on each entry alone
    const ByteBuffer file = readFile(path);
    TempDir temp;
    for (int i = 0; i < file[4]; ++i) {
      writeFile(temp / "entry.ico", singleEntryIco(file, i));
      if (auto image = decodeWithPillow(temp / "entry.ico")) out[i + 1] = *image;
    }
    return out;
  }
  static const std::regex icotool(R"(.*_(\d+)_\d+x\d+x\d+\.png)"), pillow(R"(entry(\d+)_.*\.png)");
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) {
    std::smatch m;
    const std::string name = e.path().filename().string();
    if (!std::regex_match(name, m, e.path().parent_path().filename() == "pillow" ? pillow : icotool)) continue;
    if (auto image = decodeWithPillow(e.path()); image && !out.count(std::stoi(m[1]))) out[std::stoi(m[1])] = *image;
  }
  return out;
}

}  // namespace

// Each entry of every corpus and sample icon on its own: the pair of its width class, the
// header's depth, the references' pictures (colour, and for indexed entries the AND mask as
// the references' alpha); the whole file reads as its entries one after another.
TEST(IcoDecodeCorpus, EveryEntryMatchesTheReferenceDecodes) {
  VEXILO_REQUIRE_SHARED();
  VEXILO_REQUIRE_PILLOW();
  auto files = corpusFiles("ico", {".ico", ".cur"});
  for (const char* name : {"peer_icotool.ico", "peer_magick_32bit.ico", "peer_magick_4bit.ico", "peer_magick_8bit.ico"})
    files.push_back(sample(name));
  const std::map<int, PixelFormat> formatOf = {{1, PixelFormat::Bits1}, {4, PixelFormat::Bits4}, {8, PixelFormat::Bits8},
                                               {24, PixelFormat::Bits24}, {32, PixelFormat::Bits32}};
  int compared = 0;
  for (const auto& path : files) {
    SCOPED_TRACE(path.filename().string());
    const ByteBuffer file = readFile(path);
    auto refs = referencesOf(path);
    core::DecodedFamily joined;
    for (int i = 0; i < core::readLE16(file.data() + 4); ++i) {
      const std::uint8_t* e = file.data() + 6 + 16 * i;
      if (!core::inRange(file.size(), core::readLE32(e + 12), core::readLE32(e + 8))) continue;
      const ByteBuffer single = singleEntryIco(file, i);
      const core::DecodedFamily f = win::decodeIco(single);
      joined.append(f);
      const core::WidthClass* wc = core::widthClassOf(e[0] == 0x80 ? 128 : e[0]);
      const int bits = core::readLE16(single.data() + 22 + 14);
      if (single[22] == 0x89 || !wc || !refs.count(i + 1)) {  // PNG, no slot, or no picture
        EXPECT_TRUE(f.pictures.empty()) << "entry " << i + 1;
        continue;
      }
      ASSERT_EQ(slotsOf(f), pairOf(wc->colour)) << "entry " << i + 1;
      EXPECT_EQ(f.pictures[0].bitmap.format(), formatOf.at(bits));
      EXPECT_TRUE(matchesReference(f.pictures[0].bitmap, refs[i + 1], 0, bits == 32)) << "entry " << i + 1;
      // (An entry whose directory height differs from its width has its mask moved.)
      if (bits < 32 && e[1] == e[0]) {
        EXPECT_TRUE(maskMatches(f.pictures[1].bitmap, refs[i + 1])) << "entry " << i + 1;
      }
      ++compared;
    }
    const core::DecodedFamily whole = win::decodeIco(file);
    ASSERT_EQ(whole.pictures.size(), joined.pictures.size());
    for (std::size_t i = 0; i < whole.pictures.size(); ++i) EXPECT_TRUE(whole.pictures[i].bitmap == joined.pictures[i].bitmap);
  }
  EXPECT_GE(compared, 60);
}

// On the board: per slot the deepest colour picture, the first mask; a file that cannot be
// opened gives message 1041.
TEST(IcoBoard, TheFileReadersPutTheFamilyOnTheBoard) {
  ByteBuffer indexed = core::encodeBmp(solid(32, 32, {9, 9, 9, 255}, PixelFormat::Bits8));
  indexed.erase(indexed.begin(), indexed.begin() + 14);
  indexed[8] = 64;                              // the height of both bitmaps
  indexed.resize(indexed.size() + 128, 0xFF);  // an all-transparent mask
  for (bool deepFirst : {true, false}) {
    Session s;
    win::readIcoBytes(s.ctx, deepFirst ? icoFile({{32, writtenEntry(32)}, {32, indexed}})
                                       : icoFile({{32, indexed}, {32, writtenEntry(32)}}));
    EXPECT_EQ(s.board.slot(SlotId::ic32).picture->pixel(9, 9), (Bgra{32, 100, 200, 150}));
    EXPECT_EQ(s.board.slot(SlotId::im32).picture->pixel(20, 20), deepFirst ? core::kBlack : core::kWhite);
    EXPECT_EQ(s.board.cursor(SlotId::PB32).count, 4);
  }
  TempDir dir;
  Session missing, fresh;
  win::readIcoFile(missing.ctx, dir / "absent.ico");
  EXPECT_EQ(missing.prompter.infos, std::vector<std::string>{message(1041, (dir / "absent.ico").string())});
  EXPECT_TRUE(sameBoard(missing.board, fresh.board));
}
