// The ICO reader: layouts worked out by hand, the slot rules, damaged files, and the corpus and
// sample files checked against icotool's and Pillow's decodes.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <regex>
#include <set>

#include "core/bitmap.h"
#include "core/string_table.h"
#include "support/shared_data.h"
#include "support/temp_dir.h"
#include "win/ico_reader.h"
#include "win_support.h"

using namespace vexilo;
using namespace vexilo::test;

namespace {

// The 40-byte information header of an icon entry: the height counts XOR and AND bitmaps.
ByteBuffer infoHeader(int width, int bits, std::uint32_t coloursUsed = 0) {
  ByteBuffer h;
  core::appendLE32(h, 40);
  core::appendLE32(h, static_cast<std::uint32_t>(width));
  core::appendLE32(h, static_cast<std::uint32_t>(2 * width));
  core::appendLE16(h, 1);
  core::appendLE16(h, static_cast<std::uint16_t>(bits));
  for (int i = 0; i < 4; ++i) core::appendLE32(h, 0);
  core::appendLE32(h, coloursUsed);
  core::appendLE32(h, 0);
  return h;
}

using IndexAt = std::function<int(int x, int y)>;
using ColourAt = std::function<Bgra(int x, int y)>;
using TransparentAt = std::function<bool(int x, int y)>;

// The AND mask of a w x w entry: rows bottom-up, w/8 bytes padded to 4, bit 1 transparent.
ByteBuffer andMask(int w, const TransparentAt& transparent) {
  const std::size_t stride = (static_cast<std::size_t>(w) / 8 + 3) / 4 * 4;
  ByteBuffer m(stride * static_cast<std::size_t>(w), 0);
  for (int y = 0; y < w; ++y)
    for (int x = 0; x < w; ++x)
      if (transparent(x, y))
        m[static_cast<std::size_t>(w - 1 - y) * stride + static_cast<std::size_t>(x / 8)] |=
            static_cast<std::uint8_t>(0x80 >> (x % 8));
  return m;
}

// An indexed entry's data: header, the table, packed bottom-up XOR rows, the AND mask.
ByteBuffer indexedEntry(int w, int bits, const core::Palette& table, const IndexAt& index,
                        const TransparentAt& transparent, std::uint32_t coloursUsed = 0) {
  ByteBuffer d = infoHeader(w, bits, coloursUsed);
  for (const core::Rgb& c : table) append(d, {c.blue, c.green, c.red, 0});
  const std::size_t stride = (static_cast<std::size_t>(w) * bits + 31) / 32 * 4;
  for (int y = w - 1; y >= 0; --y) {
    ByteBuffer row(stride, 0);
    for (int x = 0; x < w; ++x) {
      const int bit = x * bits;
      row[static_cast<std::size_t>(bit / 8)] |=
          static_cast<std::uint8_t>(index(x, y) << (8 - bits - bit % 8));
    }
    d.insert(d.end(), row.begin(), row.end());
  }
  const ByteBuffer m = andMask(w, transparent);
  d.insert(d.end(), m.begin(), m.end());
  return d;
}

ByteBuffer trueColourEntry(int w, const ColourAt& colour, const TransparentAt& transparent) {
  ByteBuffer d = infoHeader(w, 32);
  for (int y = w - 1; y >= 0; --y)
    for (int x = 0; x < w; ++x) {
      const Bgra c = colour(x, y);
      append(d, {c.blue, c.green, c.red, c.alpha});
    }
  const ByteBuffer m = andMask(w, transparent);
  d.insert(d.end(), m.begin(), m.end());
  return d;
}

struct Entry {
  int width;
  int directoryBits;
  ByteBuffer data;
};

// An icon file of the entries, their data back to back after the directory.
ByteBuffer icoFile(const std::vector<Entry>& entries) {
  ByteBuffer out = {0, 0, 1, 0};
  core::appendLE16(out, static_cast<std::uint16_t>(entries.size()));
  std::size_t offset = 6 + 16 * entries.size();
  for (const Entry& e : entries) {
    append(out, {e.width & 0xFF, e.width & 0xFF, 0, 0, 1, 0});
    core::appendLE16(out, static_cast<std::uint16_t>(e.directoryBits));
    core::appendLE32(out, static_cast<std::uint32_t>(e.data.size()));
    core::appendLE32(out, static_cast<std::uint32_t>(offset));
    offset += e.data.size();
  }
  for (const Entry& e : entries) out.insert(out.end(), e.data.begin(), e.data.end());
  return out;
}

const core::Palette kSixteen = {
    {0, 0, 0},     {128, 0, 0},   {0, 128, 0},   {128, 128, 0}, {0, 0, 128},   {128, 0, 128},
    {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0}, {255, 255, 0},
    {0, 0, 255},   {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};

int diagonalIndex(int x, int y) { return (x + 2 * y) % 16; }
bool ringTransparent(int x, int y) { return x < 2 || y < 3 || x == 20; }
Bgra gradient(int x, int y) {
  return {static_cast<std::uint8_t>(x * 7), static_cast<std::uint8_t>(y * 5),
          static_cast<std::uint8_t>(200 - x), static_cast<std::uint8_t>((x * 8 + y) % 256)};
}
bool cornerTransparent(int x, int y) { return x + y < 6; }

void read(Session& s, const ByteBuffer& file) { win::readIcoBytes(s.ctx, file); }

Bgra rgb(const core::Rgb& c) { return {c.blue, c.green, c.red, 255}; }

}  // namespace

// A 16x16 1-bit entry whose colours-used field is 0: an 8-byte table, XOR rows padded to 4 bytes
// (64 bytes), then the AND mask at 40 + 8 + 64. Top half of the mask transparent, bottom opaque.
TEST(IcoReader, OneBitEntryFindsTableXorAndMaskByHand) {
  ByteBuffer data = infoHeader(16, 1);
  append(data, {0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0x00});  // 0 red, 1 blue
  for (int stored = 0; stored < 16; ++stored) {  // bottom row first; padding holds garbage
    if (stored == 15) append(data, {0xFF, 0x00, 0xAA, 0xAA});  // the top row: 8 blue, 8 red
    else append(data, {0x00, 0x01, 0xAA, 0xAA});  // red but the last pixel
  }
  for (int stored = 0; stored < 16; ++stored) {
    if (stored < 8) append(data, {0x00, 0x00, 0x55, 0x55});  // bottom half opaque
    else append(data, {0xFF, 0xFF, 0x55, 0x55});             // top half transparent
  }
  ASSERT_EQ(data.size(), 176u);
  Session s;
  read(s, icoFile({{16, 1, data}}));

  const core::Slot& colour = s.board.slot(SlotId::ic16);
  const core::Slot& mask = s.board.slot(SlotId::im16);
  ASSERT_TRUE(colour.picture && mask.picture);
  for (const core::Slot* slot : {&colour, &mask}) {
    EXPECT_EQ(slot->depth, 1);
    EXPECT_EQ(slot->picture->format(), PixelFormat::Bits1);
  }
  const Bgra red{0, 0, 255, 255}, blue{255, 0, 0, 255};
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      ASSERT_EQ(colour.picture->pixel(x, y), (y == 0 ? x < 8 : x == 15) ? blue : red) << x << "," << y;
      ASSERT_EQ(mask.picture->pixel(x, y), y < 8 ? core::kWhite : core::kBlack) << x << "," << y;
    }
  EXPECT_EQ(mask.picture->index(0, 0), 1);  // the bits as stored: 1 transparent
  EXPECT_EQ(mask.picture->index(0, 15), 0);
  // The colour picture and the mask both went onto the 16 pasteboard.
  EXPECT_EQ(s.board.cursor(SlotId::PB16).count, 2);
  EXPECT_EQ(s.board.slot(SlotId::ic32).depth, 0);
}

// Many writers leave the directory's bit count 0 for indexed entries. Taken as 32 it would put
// the pixels at the colour table and the mask far off; the header's own bit count is used.
TEST(IcoReader, DirectoryBitCountZeroFollowsTheHeader) {
  const auto data = indexedEntry(32, 4, kSixteen, diagonalIndex, ringTransparent);
  for (int directoryBits : {4, 0}) {
    SCOPED_TRACE(directoryBits);
    Session s;
    read(s, icoFile({{32, directoryBits, data}}));
    const core::Slot& colour = s.board.slot(SlotId::ic32);
    ASSERT_TRUE(colour.picture);
    EXPECT_EQ(colour.depth, 2);
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x)
        ASSERT_EQ(colour.picture->pixel(x, y), rgb(kSixteen[diagonalIndex(x, y)])) << x << "," << y;
    const core::Slot& mask = s.board.slot(SlotId::im32);
    ASSERT_TRUE(mask.picture);
    // Row bytes F0 00 00 08-style: transparent edges around an opaque middle survive whole.
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x)
        ASSERT_EQ(mask.picture->pixel(x, y), ringTransparent(x, y) ? core::kWhite : core::kBlack)
            << x << "," << y;
  }
}

TEST(IcoReader, WidthPicksTheSlotPairAndSmallerPicturesCoverTheTopLeft) {
  struct Case {
    int width;
    SlotId colour;
    SlotId mask;
  };
  for (const Case& c : {Case{16, SlotId::ic16, SlotId::im16}, Case{24, SlotId::ic32, SlotId::im32},
                        Case{32, SlotId::ic32, SlotId::im32}, Case{40, SlotId::ic48, SlotId::im48},
                        Case{48, SlotId::ic48, SlotId::im48}, Case{64, SlotId::ic128, SlotId::im128},
                        Case{72, SlotId::ic128, SlotId::im128}, Case{80, SlotId::ic128, SlotId::im128},
                        Case{128, SlotId::ic128, SlotId::im128}}) {
    SCOPED_TRACE(c.width);
    Session s;
    read(s, icoFile({{c.width, 32, trueColourEntry(c.width, gradient, cornerTransparent)}}));
    const auto& colour = s.board.slot(c.colour).picture;
    const auto& mask = s.board.slot(c.mask).picture;
    ASSERT_TRUE(colour && mask);
    EXPECT_EQ(s.board.slot(c.colour).depth, 7);
    const int size = core::controlSize(c.colour).width;
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        const bool inside = x < c.width && y < c.width;
        ASSERT_EQ(colour->pixel(x, y), inside ? gradient(x, y) : core::kWhite) << x << "," << y;
        ASSERT_EQ(mask->pixel(x, y), inside && !cornerTransparent(x, y) ? core::kBlack : core::kWhite)
            << x << "," << y;
      }
    // Only this pair changed.
    for (SlotId other : core::kBoardSlots)
      if (other != c.colour && other != c.mask) {
        EXPECT_EQ(s.board.slot(other).depth, 0);
      }
  }
  // A 256 entry (width byte 0) and a width of no slot change nothing, the pasteboard included.
  for (int width : {256, 20}) {
    Session s, fresh;
    read(s, icoFile({{width, 32, trueColourEntry(width, gradient, cornerTransparent)}}));
    EXPECT_TRUE(test::sameBoard(s.board, fresh.board)) << width;
  }
}

// Among entries of one size the colour slot ends with the deepest (the first of equals), the
// mask slot with the mask of the first entry; nothing replaces an equal or deeper picture held
// before the file was read.
TEST(IcoReader, DeepestColourAndFirstMaskWinInEitherOrder) {
  const auto indexed = indexedEntry(32, 4, kSixteen, diagonalIndex, ringTransparent);
  const auto deep = trueColourEntry(32, gradient, cornerTransparent);
  for (bool indexedFirst : {true, false}) {
    SCOPED_TRACE(indexedFirst);
    Session s;
    read(s, indexedFirst ? icoFile({{32, 4, indexed}, {32, 32, deep}})
                         : icoFile({{32, 32, deep}, {32, 4, indexed}}));
    EXPECT_EQ(s.board.slot(SlotId::ic32).depth, 7);
    EXPECT_EQ(s.board.slot(SlotId::ic32).picture->pixel(9, 9), gradient(9, 9));
    const Bitmap& mask = *s.board.slot(SlotId::im32).picture;
    const TransparentAt first = indexedFirst ? TransparentAt(ringTransparent) : cornerTransparent;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x)
        ASSERT_EQ(mask.pixel(x, y), first(x, y) ? core::kWhite : core::kBlack) << x << "," << y;
    EXPECT_EQ(s.board.cursor(SlotId::PB32).count, 4);
  }

  Session s;
  Bitmap held(32, 32, PixelFormat::Bits32);
  held.fill({1, 2, 3, 255});
  s.board.offerBitmap(SlotId::ic32, held);
  Bitmap heldMask(32, 32, PixelFormat::Bits1);
  s.board.offerBitmap(SlotId::im32, heldMask);
  read(s, icoFile({{32, 32, deep}}));
  EXPECT_EQ(*s.board.slot(SlotId::ic32).picture, held);
  EXPECT_EQ(*s.board.slot(SlotId::im32).picture, heldMask);
}

// Every damaged directory or entry is skipped (or ends the reading) and the rest is read.
TEST(IcoReader, DamagedDirectoriesAndEntriesAreSkipped) {
  const auto good16 = trueColourEntry(16, gradient, cornerTransparent);
  const auto good32 = indexedEntry(32, 4, kSixteen, diagonalIndex, ringTransparent);
  const ByteBuffer sound = icoFile({{16, 32, good16}, {32, 4, good32}});
  Session reference;
  read(reference, sound);

  auto expectOnly = [&](const ByteBuffer& file, std::initializer_list<SlotId> filled,
                        const char* what) {
    SCOPED_TRACE(what);
    Session s;
    read(s, file);
    for (SlotId id : core::kBoardSlots) {
      const bool expected = std::find(filled.begin(), filled.end(), id) != filled.end();
      EXPECT_EQ(s.board.slot(id).filled(), expected) << core::slotName(id);
      if (expected) {
        EXPECT_EQ(s.board.slot(id).picture, reference.board.slot(id).picture);
      }
    }
    EXPECT_TRUE(s.prompter.infos.empty());
  };
  const std::initializer_list<SlotId> only32 = {SlotId::ic32, SlotId::im32};
  const std::initializer_list<SlotId> only16 = {SlotId::ic16, SlotId::im16};
  expectOnly(sound, {SlotId::ic16, SlotId::im16, SlotId::ic32, SlotId::im32}, "sound");
  struct Damage {
    const char* what;
    std::function<void(ByteBuffer&)> patch;
    std::initializer_list<SlotId> filled;
  };
  const auto le16 = [](std::size_t at, std::uint16_t v) {
    return [=](ByteBuffer& f) { core::writeLE16(f.data() + at, v); };
  };
  const auto le32 = [](std::size_t at, std::uint32_t v) {
    return [=](ByteBuffer& f) { core::writeLE32(f.data() + at, v); };
  };
  const auto sizeTo = static_cast<std::uint32_t>(sound.size());
  for (const Damage& d : std::initializer_list<Damage>{
           {"negative count", le16(4, 0xFFFF), {}},
           {"no entries", le16(4, 0), {}},
           {"directory cut short",  // the data and the third entry are gone
            [](ByteBuffer& f) { core::writeLE16(f.data() + 4, 3); f.resize(6 + 16 + 16 + 8); }, {}},
           {"offset at the end of the file", le32(6 + 12, sizeTo), only32},
           {"offset wrapping around", le32(6 + 12, 0xFFFFFFF0u), only32},
           {"size past the end", le32(6 + 16 + 8, static_cast<std::uint32_t>(good32.size() + 1)), only16},
           {"more than the working buffer",
            [](ByteBuffer& f) { core::writeLE32(f.data() + 6 + 8, 71667); f.resize(f.size() + 71667); }, only32},
           {"256 entry", [](ByteBuffer& f) { f[6] = 0; }, only32},       // width byte 0: no slot
           {"core header", le32(38, 12), only32},                         // OS/2: no icon header
           {"header width", le32(38 + 4, 17), only32},                    // another width
           {"bit count",  // neither header nor directory bit count is usable
            [](ByteBuffer& f) { core::writeLE16(f.data() + 38 + 14, 3); core::writeLE16(f.data() + 12, 3); },
            only32}}) {
    ByteBuffer f = sound;
    d.patch(f);
    expectOnly(f, d.filled, d.what);
  }

  // A PNG-compressed entry (as newer files store large sizes) is passed over.
  ByteBuffer png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  png.resize(300, 0x11);
  expectOnly(icoFile({{16, 32, png}, {32, 4, good32}}), only32, "PNG entry");
}

TEST(IcoReader, ReportsFilesItCannotOpen) {
  test::TempDir dir;
  Session missing, fresh;
  win::readIcoFile(missing.ctx, dir / "absent.ico");
  ASSERT_EQ(missing.prompter.infos.size(), 1u);
  EXPECT_EQ(missing.prompter.infos[0],
            core::formatMessage(core::loadLocalString(1041, 0), (dir / "absent.ico").string()));
  EXPECT_TRUE(test::sameBoard(missing.board, fresh.board));
}

namespace {

struct DirectoryEntry {
  int index;  // 1-based, as icotool numbers them
  int width;
  int height;
  int directoryBits;
  int headerBits;
  bool png;
};

std::vector<DirectoryEntry> directoryOf(const ByteBuffer& file) {
  std::vector<DirectoryEntry> out;
  const int count = static_cast<std::int16_t>(core::readLE16(file.data() + 4));
  for (int i = 0; i < count; ++i) {
    const std::uint8_t* e = file.data() + 6 + 16 * i;
    const std::uint32_t offset = core::readLE32(e + 12);
    const std::uint8_t* data = file.data() + offset;
    const bool png = data[0] == 0x89 && data[1] == 'P';
    out.push_back({i + 1, std::abs(static_cast<std::int8_t>(e[0])),
                   std::abs(static_cast<std::int8_t>(e[1])), core::readLE16(e + 6),
                   png ? 32 : core::readLE16(data + 14), png});
  }
  return out;
}

struct SizeClass {
  std::set<int> widths;
  SlotId colour;
  SlotId mask;
};
const std::vector<SizeClass> kClasses = {{{16}, SlotId::ic16, SlotId::im16},
                                         {{24, 32}, SlotId::ic32, SlotId::im32},
                                         {{40, 48}, SlotId::ic48, SlotId::im48},
                                         {{64, 72, 80, 128}, SlotId::ic128, SlotId::im128}};

// The reference decodes of a corpus icon, by entry index: icotool's, and Pillow's where icotool
// gave none. Each is decoded when first asked for.
class References {
 public:
  explicit References(const std::string& stem) {
    const auto dir = test::corpus("expected/ico/" + stem);
    if (!std::filesystem::is_directory(dir)) return;
    const std::regex icotool(R"(.*_(\d+)_\d+x\d+x\d+\.png)");
    const std::regex pillow(R"(entry(\d+)_\d+x\d+_\d+bpp\.png)");
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) {
      std::smatch m;
      const std::string name = e.path().filename().string();
      const bool fromPillow = e.path().parent_path().filename() == "pillow";
      if (!std::regex_match(name, m, fromPillow ? pillow : icotool)) continue;
      const int index = std::stoi(m[1]);
      if (!fromPillow || !paths_.count(index)) paths_[index] = e.path();
    }
  }
  bool has(int index) const { return paths_.count(index) != 0; }
  const test::RgbaImage& at(int index) {
    auto it = decoded_.find(index);
    if (it == decoded_.end())
      it = decoded_.emplace(index, test::decodeWithPillow(paths_.at(index)).value_or(test::RgbaImage{})).first;
    return it->second;
  }

 private:
  std::map<int, std::filesystem::path> paths_;
  std::map<int, test::RgbaImage> decoded_;
};

// Checks a whole file's reading against the references: per size class the colour slot holds
// the deepest entry (the first of equals) and the mask slot the first entry's mask.
void checkAgainstReferences(const std::filesystem::path& path) {
  SCOPED_TRACE(path.filename().string());
  const ByteBuffer file = test::readFile(path);
  References refs(path.stem().string());
  Session s;
  win::readIcoFile(s.ctx, path);
  EXPECT_TRUE(s.prompter.infos.empty());
  for (const SizeClass& c : kClasses) {
    std::optional<DirectoryEntry> colour, mask;
    for (const DirectoryEntry& e : directoryOf(file)) {
      if (e.png || !c.widths.count(e.width)) continue;
      if (!mask) mask = e;
      if (!colour || e.headerBits > colour->headerBits) colour = e;
    }
    if (!colour) {
      EXPECT_EQ(s.board.slot(c.colour).depth, 0) << core::slotName(c.colour);
      continue;
    }
    ASSERT_TRUE(s.board.slot(c.colour).picture) << core::slotName(c.colour);
    if (refs.has(colour->index)) {
      EXPECT_TRUE(test::matchesReference(*s.board.slot(c.colour).picture, refs.at(colour->index),
                                         0, colour->headerBits == 32))
          << core::slotName(c.colour) << " entry " << colour->index;
    } else {
      ADD_FAILURE() << "no reference for entry " << colour->index;
    }
    // The references give indexed entries their AND mask as alpha. (A directory height other
    // than the width moves the mask; such an entry's mask is not compared.)
    ASSERT_TRUE(s.board.slot(c.mask).picture);
    if (mask->headerBits < 32 && mask->height == mask->width && refs.has(mask->index)) {
      EXPECT_TRUE(test::maskMatches(*s.board.slot(c.mask).picture, refs.at(mask->index)))
          << core::slotName(c.mask) << " entry " << mask->index;
    }
  }
}

}  // namespace

TEST(IcoReaderCorpus, EveryIconMatchesTheReferenceDecodes) {
  VEXILO_REQUIRE_SHARED();
  VEXILO_REQUIRE_PILLOW();
  int files = 0;
  for (const auto& e : std::filesystem::directory_iterator(test::corpus("ico"))) {
    if (e.path().extension() != ".ico") continue;
    checkAgainstReferences(e.path());
    ++files;
  }
  EXPECT_GE(files, 18);
}

// Real files whose directories say 0 bits for their 4-, 8- and 1-bit entries.
// Each entry on its own board against icotool's decode, colour and mask.
TEST(IcoReaderCorpus, IconsWhoseDirectorySaysZeroBitsReadRight) {
  VEXILO_REQUIRE_SHARED();
  VEXILO_REQUIRE_PILLOW();
  int checked = 0;
  for (const char* stem : {"minivmac_ICONAPPW", "tk-agg_pure_api", "tk-agg_small",
                           "tk_tk_773ac07ed", "tk_wish_f00c2ef4f"}) {
    SCOPED_TRACE(stem);
    const ByteBuffer file = test::readFile(test::corpus(std::string("ico/") + stem + ".ico"));
    References refs(stem);
    for (const DirectoryEntry& e : directoryOf(file)) {
      ASSERT_EQ(e.directoryBits, 0);
      ASSERT_LT(e.headerBits, 32);
      ASSERT_TRUE(refs.has(e.index));
      Session s;
      win::readIcoBytes(s.ctx, test::singleEntryIco(file, e.index - 1));
      const SizeClass& c = e.width == 16 ? kClasses[0] : kClasses[1];
      ASSERT_TRUE(s.board.slot(c.colour).picture && s.board.slot(c.mask).picture);
      EXPECT_EQ(s.board.slot(c.colour).depth, e.headerBits == 1 ? 1 : e.headerBits == 4 ? 2 : 3);
      EXPECT_TRUE(test::matchesReference(*s.board.slot(c.colour).picture, refs.at(e.index)))
          << "entry " << e.index;
      EXPECT_TRUE(test::maskMatches(*s.board.slot(c.mask).picture, refs.at(e.index)))
          << "entry " << e.index;
      ++checked;
    }
  }
  EXPECT_EQ(checked, 14);
}

TEST(IcoReaderCorpus, BadAndEdgeFilesAreHandledCleanly) {
  VEXILO_REQUIRE_SHARED();
  VEXILO_REQUIRE_PILLOW();
  // A directory whose entry claims a 65535-pixel bitmap: refused, the board as it was.
  Session bomb, fresh;
  win::readIcoFile(bomb.ctx, test::corpus("ico/bad/pillow_decompression_bomb.ico"));
  EXPECT_TRUE(test::sameBoard(bomb.board, fresh.board));
  EXPECT_TRUE(bomb.prompter.infos.empty());
  // A cursor file has the same layout; its type is not checked, so its picture is read.
  Session cursor;
  win::readIcoFile(cursor.ctx, test::corpus("ico/edge/pillow_deerstalker.cur"));
  const auto ref = test::decodeWithPillow(
      test::corpus("expected/ico/edge__pillow_deerstalker/pillow_deerstalker_1_32x32x32.png"));
  ASSERT_TRUE(ref && cursor.board.slot(SlotId::ic32).picture);
  EXPECT_TRUE(test::matchesReference(*cursor.board.slot(SlotId::ic32).picture, *ref, 0, true));
}

// Files written by ImageMagick and icotool from the sample pictures: 32-bit entries at 16, 32,
// 48 and 128 (icotool's 256 one PNG-compressed), and 4- and 8-bit 32x32 entries.
TEST(IcoReaderSamples, PeerFilesGiveTheirPicturesAndMasks) {
  VEXILO_REQUIRE_SHARED();
  VEXILO_REQUIRE_PILLOW();
  struct Expect {
    const char* file;
    std::vector<int> sizes;
    int maskThreshold;  // ImageMagick marks alpha 0 transparent, icotool alpha below 128
  };
  for (const Expect& x : {Expect{"peer_magick_32bit.ico", {16, 32, 48, 128}, 1},
                          Expect{"peer_icotool.ico", {16, 32, 48}, 128}}) {
    SCOPED_TRACE(x.file);
    Session s;
    win::readIcoFile(s.ctx, test::sample(x.file));
    for (int size : x.sizes) {
      const auto src = test::decodeWithPillow(test::sample("src_" + std::to_string(size) + ".png"));
      ASSERT_TRUE(src);
      const SizeClass& c = *std::find_if(kClasses.begin(), kClasses.end(),
                                         [&](const SizeClass& k) { return k.widths.count(size); });
      ASSERT_TRUE(s.board.slot(c.colour).picture && s.board.slot(c.mask).picture);
      EXPECT_EQ(s.board.slot(c.colour).depth, 7);
      EXPECT_TRUE(test::matchesReference(*s.board.slot(c.colour).picture, *src, 0, true)) << size;
      EXPECT_TRUE(test::maskMatches(*s.board.slot(c.mask).picture, *src, x.maskThreshold)) << size;
    }
    if (x.sizes.size() == 3) {
      EXPECT_EQ(s.board.slot(SlotId::ic128).depth, 0);  // the 256 PNG passed over
    }
  }
  for (const char* file : {"peer_magick_4bit.ico", "peer_magick_8bit.ico"}) {
    SCOPED_TRACE(file);
    Session s;
    win::readIcoFile(s.ctx, test::sample(file));
    const auto ref = test::decodeWithPillow(test::sample(file));
    ASSERT_TRUE(ref && s.board.slot(SlotId::ic32).picture && s.board.slot(SlotId::im32).picture);
    EXPECT_EQ(s.board.slot(SlotId::ic32).depth, std::string(file).find("4bit") != std::string::npos ? 2 : 3);
    EXPECT_TRUE(test::matchesReference(*s.board.slot(SlotId::ic32).picture, *ref));
    EXPECT_TRUE(test::maskMatches(*s.board.slot(SlotId::im32).picture, *ref));
  }
}
