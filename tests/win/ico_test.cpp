// The ICO reader and writer: damaged directories, every entry of the corpus and sample icons
// against icotool's and Pillow's decodes, the board the file readers leave, layouts worked out
// by hand, round trips, the written files read by Pillow, and the two save commands.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "core/bmp_codec.h"
#include "core/png_codec.h"
#include "win/ico_reader.h"
#include "win/ico_writer.h"
#include "win_support.h"

using namespace vexilo;
using namespace vexilo::test;

namespace {

const std::vector<SlotId> kFamily = {SlotId::ic16, SlotId::ic32, SlotId::ic48, SlotId::ic128};

// Fills the slots with pictures whose colours and alpha differ at every pixel (alpha 0 at the
// top-left corner).
void fill(core::IconSet& board, const std::vector<SlotId>& slots) {
  for (SlotId s : slots) board.offerBitmap(s, pattern(core::controlSize(s).width, core::controlSize(s).height));
}

// The data of the 32-bit w x w entry the writer makes of pattern(w, w).
ByteBuffer writtenEntry(int w) {
  core::IconSet board;
  fill(board, {*core::colourSlotOf(w, w)});
  const ByteBuffer file = *win::writeIcoImage(board, *core::colourSlotOf(w, w));
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
      {"more than the working buffer", [](ByteBuffer& f) { core::writeLE32(f.data() + 6 + 8, 278515); f.resize(f.size() + 278515); }, 2, 2},
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
    files.push_back(sharedDir() / "samples" / name);
  const std::map<int, PixelFormat> formatOf = {{1, PixelFormat::Bits1}, {4, PixelFormat::Bits4}, {8, PixelFormat::Bits8},
                                               {24, PixelFormat::Bits24}, {32, PixelFormat::Bits32}};
  int compared = 0;
  for (const auto& path : files) {
    SCOPED_TRACE(path.filename().string());
    const ByteBuffer file = readFile(path);
    auto refs = referencesOf(path);
    core::DecodedFamily joined;
    for (int i = 0; i < core::readLE16(file.data() + 4); ++i) {
      SCOPED_TRACE("entry " + std::to_string(i + 1));
      const std::uint8_t* e = file.data() + 6 + 16 * i;
      const ByteBuffer single = singleEntryIco(file, i);
      if (single.empty()) continue;
      const core::DecodedFamily f = win::decodeIco(single);
      joined.append(f);
      const bool png = single[22] == 0x89;
      const int width = e[0] == 0 ? 256 : e[0];
      const core::WidthClass* wc = core::widthClassOf(width == 0x80 ? 128 : width);
      const int bits = core::readLE16(single.data() + 22 + 14);
      if (!refs.count(i + 1) || (!png && !wc && width != 256)) {  // no picture, or no slot
        EXPECT_TRUE(f.pictures.empty());
        continue;
      }
      // PNG entries, and 256-pixel ones of either kind: 32 bits, the alpha a grey mask or, at
      // 256, the large slot's own.
      if (png || width == 256) {
        ASSERT_FALSE(f.pictures.empty());
        const core::Bitmap& picture = f.pictures[0].bitmap;
        const bool large = picture.width() == 256;
        EXPECT_EQ(f.pictures.size(), large ? 1u : 2u);
        EXPECT_EQ(f.pictures[0].slot, large ? SlotId::ic256 : core::widthClassOf(picture.width())->colour);
        EXPECT_TRUE(matchesReference(picture, refs[i + 1], 0, true));
        ++compared;
        continue;
      }
      ASSERT_TRUE(f.pictures.size() == 2 && f.pictures[0].slot == wc->colour &&
                  f.pictures[1].slot == core::slotInfo(wc->colour).partner);
      EXPECT_EQ(f.pictures[0].bitmap.format(), formatOf.at(bits));
      EXPECT_TRUE(matchesReference(f.pictures[0].bitmap, refs[i + 1], 0, bits == 32));
      // (An entry whose directory height differs from its width has its mask moved.)
      EXPECT_TRUE(bits == 32 || e[1] != e[0] || maskMatches(f.pictures[1].bitmap, refs[i + 1]));
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
  ByteBuffer indexed = core::encodeBmp(solid(32, 32, PixelFormat::Bits8, {9, 9, 9, 255}));
  indexed.erase(indexed.begin(), indexed.begin() + 14);
  indexed[8] = 64;                              // the height of both bitmaps
  indexed.resize(indexed.size() + 128, 0xFF);  // an all-transparent mask
  for (bool deepFirst : {true, false}) {
    Session s;
    win::readIcoBytes(s.ctx, deepFirst ? icoFile({{32, writtenEntry(32)}, {32, indexed}})
                                       : icoFile({{32, indexed}, {32, writtenEntry(32)}}));
    EXPECT_EQ(*s.board.slot(SlotId::ic32).picture, pattern(32, 32));
    EXPECT_EQ(s.board.slot(SlotId::im32).picture->pixel(20, 20), deepFirst ? core::kBlack : core::kWhite);
    EXPECT_EQ(s.board.cursor(SlotId::PB32).count, 4);
  }
  TempDir dir;
  Session missing;
  win::readIcoFile(missing.ctx, dir / "absent.ico");
  EXPECT_EQ(missing.prompter.infos, std::vector<std::string>{message(1041, (dir / "absent.ico").string())});
  EXPECT_FALSE(missing.board.slot(SlotId::ic32).filled());
}

// Layouts worked out by hand, and the written families read back.
TEST(IcoWriter, LayoutsByHandAndRoundTrips) {
  core::IconSet none, board;
  EXPECT_EQ(win::writeIcoFamily(none), (ByteBuffer{0, 0, 1, 0, 0, 0}));
  fill(board, {SlotId::ic32});
  const ByteBuffer one = win::writeIcoFamily(board);  // one filled slot: the one-entry file
  ASSERT_EQ(one.size(), 4286u);
  EXPECT_EQ(ByteBuffer(one.begin(), one.begin() + 62),
            (ByteBuffer{0, 0, 1, 0, 1, 0,                // reserved, icon, one entry
                        32, 32, 0, 0, 1, 0, 32, 0,       // 32x32, planes 1, 32 bits
                        0xA8, 0x10, 0, 0, 22, 0, 0, 0,   // 4,264 bytes at 22
                        40, 0, 0, 0, 32, 0, 0, 0, 64, 0, 0, 0, 1, 0, 32, 0, 0, 0, 0, 0,
                        0x80, 0x10, 0, 0,  // image size 4,096 + 128
                        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  // XOR rows bottom row first as blue, green, red, alpha; the AND mask 0.
  const auto row0 = board.slot(SlotId::ic32).picture->row(0);
  EXPECT_TRUE(std::equal(row0.begin(), row0.end(), one.end() - 128 - 128));
  EXPECT_EQ(ByteBuffer(one.end() - 128, one.end()), ByteBuffer(128, 0));
  // Mask, black-and-white and 16x12 slots are never part of the family; 128 is written 0x80,
  // its header height counting both bitmaps.
  core::IconSet others;
  fill(others, {SlotId::im48, SlotId::icNB, SlotId::ic12, SlotId::ic128});
  const ByteBuffer f1 = win::writeIcoFamily(others);
  EXPECT_EQ(ByteBuffer(f1.begin() + 4, f1.begin() + 8), (ByteBuffer{1, 0, 0x80, 0x80}));
  EXPECT_EQ(core::readLE32(f1.data() + 22 + 8), 256u);
  fill(board, kFamily);
  const ByteBuffer f4 = win::writeIcoFamily(board);
  std::vector<std::uint32_t> directory;  // each entry's image offset and byte count
  for (std::size_t i = 0; i < 4; ++i)
    for (std::size_t at : {12, 8}) directory.push_back(core::readLE32(f4.data() + 6 + 16 * i + at));
  EXPECT_EQ(directory, (std::vector<std::uint32_t>{70, 1128, 1198, 4264, 5462, 9640, 15102, 67624}));
  // Read back: the colour pictures in family order, each with a wholly opaque mask.
  const core::DecodedFamily back = win::decodeIco(f4);
  ASSERT_EQ(back.pictures.size(), 8u);
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_TRUE(back.pictures[2 * i].slot == kFamily[i] && back.pictures[2 * i].bitmap == *board.slot(kFamily[i]).picture);
    const Bitmap& mask = back.pictures[2 * i + 1].bitmap;
    EXPECT_EQ(mask, Bitmap(mask.width(), mask.width(), PixelFormat::Bits1, {core::Rgb{0, 0, 0}, core::Rgb{255, 255, 255}})) << i;
  }
  // ic12: a 16x16 entry, the 16x12 picture in the top rows, white below; an empty slot white.
  board.offerBitmap(SlotId::ic12, solid(16, 12, PixelFormat::Bits32, {1, 2, 3, 200}));
  const Bitmap small = win::decodeIco(*win::writeIcoImage(board, SlotId::ic12)).pictures.at(0).bitmap;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) ASSERT_EQ(small.pixel(x, y), y < 12 ? Bgra({1, 2, 3, 200}) : core::kWhite) << x << "," << y;
  const ByteBuffer blank = *win::writeIcoImage(none, SlotId::ic128);
  EXPECT_EQ(ByteBuffer(blank.begin() + 62, blank.begin() + 62 + 65536), ByteBuffer(65536, 0xFF));
  // ic256 is a PNG entry whose size bytes are 0, last in the family; ic512 makes no icon.
  board.offerBitmap(SlotId::ic256, pattern(256, 256));
  const ByteBuffer f5 = win::writeIcoFamily(board);
  ASSERT_EQ(core::readLE16(f5.data() + 4), 5u);
  const std::uint8_t* entry = f5.data() + 6 + 16 * 4;
  EXPECT_EQ(ByteBuffer(entry, entry + 8), (ByteBuffer{0, 0, 0, 0, 1, 0, 32, 0}));
  const std::uint32_t offset = core::readLE32(entry + 12), size = core::readLE32(entry + 8);
  EXPECT_EQ(offset + size, f5.size());
  EXPECT_TRUE(core::isPng(core::Bytes(f5.data() + offset, size)));
  const core::DecodedFamily large = win::decodeIco(f5);
  EXPECT_TRUE(large.pictures.back().slot == SlotId::ic256 && large.pictures.back().bitmap == pattern(256, 256));
  EXPECT_FALSE(win::writeIcoImage(board, SlotId::ic512));
}

// Each written entry read by Pillow gives the picture's RGBA values.
TEST(IcoWriter, PillowReadsTheWrittenFile) {
  VEXILO_REQUIRE_PILLOW();
  core::IconSet board;
  fill(board, kFamily);
  const ByteBuffer file = win::writeIcoFamily(board);
  TempDir dir;
  for (int i = 0; i < 4; ++i) {
    writeFile(dir / "single.ico", singleEntryIco(file, i));
    const auto ref = decodeWithPillow(dir / "single.ico");
    ASSERT_TRUE(ref && ref->width == core::controlSize(kFamily[i]).width);
    EXPECT_TRUE(matchesReference(*board.slot(kFamily[i]).picture, *ref, 0, true)) << i;
  }
}

// Windows Icon saves the family, Icon File the selected slot; an existing file is replaced only
// when the answer is Yes; pasteboard and palette images have no icon size and are refused
// before any dialog.
TEST(IcoCommands, SaveTheFamilyOrTheSelectedSlot) {
  TempDir dir;
  Session s;
  fill(s.board, {SlotId::ic16, SlotId::ic48});
  const auto path = (dir / "family.ico").string();
  s.prompter.paths = {path, path, path};
  s.prompter.answers = {false, true};
  EXPECT_EQ(win::wicClick(s.ctx), core::Outcome::Written);
  ASSERT_TRUE(oneSaveDialog(s.prompter, 6423, 6440));
  EXPECT_EQ(readFile(path), win::writeIcoFamily(s.board));
  s.board.select(SlotId::ic48);
  EXPECT_EQ(win::icoClick(s.ctx), core::Outcome::Cancelled);
  EXPECT_EQ(readFile(path), win::writeIcoFamily(s.board));
  EXPECT_EQ(win::icoClick(s.ctx), core::Outcome::Written);
  EXPECT_EQ(readFile(path), win::writeIcoImage(s.board, SlotId::ic48));
  EXPECT_FALSE(win::writeIcoImage(s.board, SlotId::PB16));
  for (SlotId id : {SlotId::PB32, SlotId::ipal256}) {
    Session other;
    other.board.select(id);
    EXPECT_EQ(win::icoClick(other.ctx), core::Outcome::Refused);
    EXPECT_TRUE(other.prompter.saveDialogs.empty());
  }
}
