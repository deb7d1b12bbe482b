// The executable resource reader: trees and files built by hand (sound and damaged), the corpus
// executables against wrestool, and modules built at test time by the mingw-w64 binutils.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>

#include "core/bmp_codec.h"
#include "support/shared_data.h"
#include "support/temp_dir.h"
#include "win/bmp_jpeg.h"
#include "win/ico_reader.h"
#include "win/pe_resources.h"
#include "win_support.h"

using namespace vexilo;
using namespace vexilo::test;

namespace {

constexpr std::uint32_t kSectionRva = 0x1000;
constexpr std::uint32_t kSectionFileOffset = 0x200;

// A PE image (PE32 or PE32+) whose only section, at address 0x1000 and file offset 0x200,
// holds `section`; data directory 2 names the resources at `resourceRva`.
ByteBuffer peImage(bool plus, const ByteBuffer& section, std::uint32_t resourceRva = kSectionRva) {
  ByteBuffer f(kSectionFileOffset, 0);
  f[0] = 'M';
  f[1] = 'Z';
  core::writeLE32(f.data() + 0x3C, 0x40);
  f[0x40] = 'P';
  f[0x41] = 'E';
  const std::size_t coff = 0x44;
  core::writeLE16(f.data() + coff, plus ? 0x8664 : 0x14C);
  core::writeLE16(f.data() + coff + 2, 1);  // one section
  const std::uint16_t optionalSize = plus ? 240 : 224;
  core::writeLE16(f.data() + coff + 16, optionalSize);
  const std::size_t optional = coff + 20;
  core::writeLE16(f.data() + optional, plus ? 0x20B : 0x10B);
  core::writeLE32(f.data() + optional + (plus ? 108 : 92), 16);  // data directories
  const std::size_t resources = optional + (plus ? 112 : 96) + 2 * 8;
  core::writeLE32(f.data() + resources, resourceRva);
  core::writeLE32(f.data() + resources + 4, static_cast<std::uint32_t>(section.size()));
  std::uint8_t* s = f.data() + optional + optionalSize;
  std::copy_n(".rsrc", 5, s);
  core::writeLE32(s + 8, static_cast<std::uint32_t>(section.size()));
  core::writeLE32(s + 12, kSectionRva);
  core::writeLE32(s + 16, static_cast<std::uint32_t>(section.size()));
  core::writeLE32(s + 20, kSectionFileOffset);
  f.insert(f.end(), section.begin(), section.end());
  return f;
}

void directory(ByteBuffer& tree, std::size_t at, int named, int numbered) {
  core::writeLE16(tree.data() + at + 12, static_cast<std::uint16_t>(named));
  core::writeLE16(tree.data() + at + 14, static_cast<std::uint16_t>(numbered));
}
void entry(ByteBuffer& tree, std::size_t at, std::uint32_t name, std::uint32_t target) {
  core::writeLE32(tree.data() + at, name);
  core::writeLE32(tree.data() + at + 4, target);
}
void dataEntry(ByteBuffer& tree, std::size_t at, std::uint32_t offset, std::uint32_t size) {
  core::writeLE32(tree.data() + at, kSectionRva + offset);
  core::writeLE32(tree.data() + at + 4, size);
}

constexpr std::uint32_t kDir = 0x80000000u;

// A resource tree: a bitmap numbered 7 (language 1033), an icon image named "APP" in languages
// 1033 and 1036, and an icon group (type 14) that points at the bitmap's names.
ByteBuffer soundTree() {
  ByteBuffer t(0x240, 0);
  directory(t, 0x000, 0, 3);
  entry(t, 0x010, 2, kDir | 0x040);
  entry(t, 0x018, 3, kDir | 0x058);
  entry(t, 0x020, 14, kDir | 0x040);
  directory(t, 0x040, 0, 1);
  entry(t, 0x050, 7, kDir | 0x070);
  directory(t, 0x058, 1, 0);
  entry(t, 0x068, kDir | 0x100, kDir | 0x088);
  directory(t, 0x070, 0, 1);
  entry(t, 0x080, 1033, 0x0C0);
  directory(t, 0x088, 0, 2);
  entry(t, 0x098, 1033, 0x0D0);
  entry(t, 0x0A0, 1036, 0x0E0);
  dataEntry(t, 0x0C0, 0x200, 8);
  dataEntry(t, 0x0D0, 0x210, 4);
  dataEntry(t, 0x0E0, 0x214, 20);
  core::writeLE16(t.data() + 0x100, 3);
  core::writeLE16(t.data() + 0x102, 'A');
  core::writeLE16(t.data() + 0x104, 'P');
  core::writeLE16(t.data() + 0x106, 'P');
  for (std::size_t i = 0x200; i < 0x228; ++i) t[i] = static_cast<std::uint8_t>(i);
  return t;
}

// type/name/language@where+size, where the data's file offset, or with `file` empty its
// relative virtual address as wrestool lists it.
std::string describe(const win::PeResource& r, core::Bytes file = {}) {
  const std::size_t where = file.empty() ? r.address : r.data.data() - file.data();
  return std::to_string(r.type) + "/" + (r.id ? std::to_string(*r.id) : "'" + r.name + "'") + "/" +
         std::to_string(r.language) + "@" + std::to_string(where) + "+" + std::to_string(r.data.size());
}

std::vector<std::string> listing(core::Bytes file) {
  std::vector<std::string> out;
  for (const auto& r : win::readPeResources(file)) out.push_back(describe(r, file));
  return out;
}

const std::vector<std::string> kSoundListing = {"2/7/1033@1024+8", "3/'APP'/1033@1040+4",
                                                "3/'APP'/1036@1044+20"};

}  // namespace

TEST(PeResources, WalksTypesNamesAndLanguagesInDirectoryOrder) {
  for (bool plus : {false, true}) {
    SCOPED_TRACE(plus ? "PE32+" : "PE32");
    const ByteBuffer file = peImage(plus, soundTree());
    EXPECT_EQ(listing(file), kSoundListing);
    const auto resources = win::readPeResources(file);
    ASSERT_EQ(resources.size(), 3u);
    EXPECT_EQ(resources[0].data[0], 0x00);  // the bytes of the section from 0x200 on
    EXPECT_EQ(resources[2].data[0], 0x14);
  }
}

TEST(PeResources, DamagedTreesGiveWhatIsSound) {
  auto walk = [](const ByteBuffer& tree) { return listing(peImage(true, tree)); };
  ByteBuffer t = soundTree();
  entry(t, 0x050, 7, kDir | 0x000);  // the bitmap's name points back at the root
  EXPECT_EQ(walk(t), (std::vector<std::string>{kSoundListing[1], kSoundListing[2]}));

  t = soundTree();
  entry(t, 0x068, kDir | 0x100, kDir | 0x040);  // the icon's name reuses the bitmap's names
  EXPECT_EQ(walk(t), (std::vector<std::string>{kSoundListing[0]}));

  t = soundTree();
  entry(t, 0x080, 1033, kDir | 0x070);  // a language that is a directory again
  EXPECT_EQ(walk(t), (std::vector<std::string>{kSoundListing[1], kSoundListing[2]}));

  t = soundTree();
  dataEntry(t, 0x0D0, 0x5000, 4);  // data outside every section
  core::writeLE32(t.data() + 0x0E4, 0x1000);  // data running past the section's raw bytes
  EXPECT_EQ(walk(t), (std::vector<std::string>{kSoundListing[0]}));

  t = soundTree();
  entry(t, 0x098, 1033, 0x7FFFFF00);  // a data entry far outside the tree
  core::writeLE16(t.data() + 0x100, 0xFFFF);  // a name longer than the tree
  EXPECT_EQ(walk(t), (std::vector<std::string>{kSoundListing[0], "3/''/1036@1044+20"}));

  t = soundTree();
  directory(t, 0x000, 0xFFFF, 0xFFFF);  // counts far beyond the tree's bytes
  EXPECT_NO_FATAL_FAILURE(walk(t));
  t.resize(0x30);  // a tree cut inside its directories
  EXPECT_TRUE(walk(t).empty());
}

TEST(PeResources, FilesThatAreNoPeImageGiveNothing) {
  const ByteBuffer sound = peImage(false, soundTree());
  auto patched = [&](std::size_t at, std::initializer_list<int> bytes) {
    ByteBuffer f = sound;
    for (int b : bytes) f[at++] = static_cast<std::uint8_t>(b);
    return f;
  };
  EXPECT_TRUE(listing(patched(0, {'Z', 'M'})).empty());               // no DOS header
  EXPECT_TRUE(listing(patched(0x3C, {0xF0, 0xFF, 0xFF, 0x7F})).empty());  // e_lfanew beyond
  EXPECT_TRUE(listing(patched(0x40, {'N', 'E'})).empty());            // a 16-bit module
  EXPECT_TRUE(listing(patched(0x58, {0x07, 0x01})).empty());          // unknown magic
  EXPECT_TRUE(listing(patched(0x58 + 92, {2, 0, 0, 0})).empty());     // no resource directory
  EXPECT_TRUE(listing(patched(0x58 + 96 + 16, {0, 0, 0, 0})).empty());  // resources at 0
  EXPECT_TRUE(listing(patched(0x44 + 16, {0xFF, 0xFF})).empty());     // optional header beyond
  EXPECT_TRUE(listing(peImage(false, soundTree(), 0x9000)).empty());  // in no section
  Session s, fresh;
  win::readExeBytes(s.ctx, patched(0x40, {'N', 'E'}));
  EXPECT_TRUE(test::sameBoard(s.board, fresh.board));

  // Every cut of the image reads safely, and finds only what the whole file holds.
  for (std::size_t length = 0; length <= sound.size(); ++length) {
    const auto found = listing(core::Bytes(sound.data(), length));
    for (const auto& r : found)
      ASSERT_NE(std::find(kSoundListing.begin(), kSoundListing.end(), r), kSoundListing.end());
  }
}

TEST(PeResources, IconImageBecomesAOneEntryIconFile) {
  ByteBuffer resource = {40, 0, 0, 0, 0x80, 0, 0, 0, 0, 1, 0, 0, 1, 0, 8, 0, 0xAB};
  const ByteBuffer file = win::iconFileFromResource(resource);
  ByteBuffer expected = {0, 0, 1, 0, 1, 0,           // header: icon, one entry
                         0x80, 0x80, 0, 0, 1, 0, 8, 0,  // width = height = byte 4; bits 14-15
                         17, 0, 0, 0, 22, 0, 0, 0};
  expected.insert(expected.end(), resource.begin(), resource.end());
  EXPECT_EQ(file, expected);
  EXPECT_TRUE(win::iconFileFromResource(core::Bytes(resource.data(), 15)).empty());
}

// The pixel offset of a bitmap resource follows its own header: header size, masks after a
// 40-byte header, and colours-used entries when that field is set.
TEST(PeResources, BitmapFileHeaderFollowsTheInformationHeader) {
  struct Case {
    std::uint32_t headerSize;
    int bits;
    std::uint32_t compression;
    std::uint32_t used;
    std::uint32_t offset;
  };
  for (const Case& c : {Case{40, 8, 0, 0, 14 + 40 + 1024}, Case{40, 4, 0, 3, 14 + 40 + 12},
                        Case{40, 1, 0, 0, 14 + 40 + 8}, Case{40, 24, 0, 0, 54},
                        Case{40, 24, 0, 2, 54 + 8}, Case{40, 32, 3, 0, 54 + 12},
                        Case{40, 16, 6, 0, 54 + 16}, Case{124, 32, 3, 0, 14 + 124},
                        Case{108, 8, 0, 16, 14 + 108 + 64}, Case{12, 8, 0, 0, 14 + 12 + 768}}) {
    SCOPED_TRACE(std::to_string(c.headerSize) + "/" + std::to_string(c.bits) + "/" +
                 std::to_string(c.compression) + "/" + std::to_string(c.used));
    ByteBuffer dib(c.headerSize + 20, 0);
    core::writeLE32(dib.data(), c.headerSize);
    if (c.headerSize == 12) {
      core::writeLE16(dib.data() + 10, static_cast<std::uint16_t>(c.bits));
    } else {
      core::writeLE16(dib.data() + 14, static_cast<std::uint16_t>(c.bits));
      core::writeLE32(dib.data() + 16, c.compression);
      core::writeLE32(dib.data() + 32, c.used);
    }
    const ByteBuffer file = win::bitmapFileFromResource(dib);
    ASSERT_EQ(file.size(), dib.size() + 14);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(core::readLE32(file.data() + 2), dib.size() + 14);
    EXPECT_EQ(core::readLE32(file.data() + 6), 0u);
    EXPECT_EQ(core::readLE32(file.data() + 10), c.offset);
    EXPECT_TRUE(std::equal(dib.begin(), dib.end(), file.begin() + 14));
  }
  EXPECT_TRUE(win::bitmapFileFromResource(ByteBuffer{40, 0, 0, 0, 1, 0}).empty());
}

// The two shapes a table sized by the bit count alone gets wrong, read onto the board: a 4-bit
// bitmap with three colours (a 12-byte table) and a 32-bit one with a 124-byte header.
TEST(PeResources, BitmapsWithShortTablesAndV5HeadersReadRight) {
  ByteBuffer fourBit;
  append(fourBit, {40, 0, 0, 0, 8, 0, 0, 0, 2, 0, 0, 0, 1, 0, 4, 0});
  for (int i = 0; i < 4; ++i) core::appendLE32(fourBit, 0);
  core::appendLE32(fourBit, 3);  // colours used
  core::appendLE32(fourBit, 0);
  append(fourBit, {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0});  // red, green, blue
  append(fourBit, {0x01, 0x20, 0x12, 0x00});                  // bottom row: 0 1 2 0 1 2 0 0
  append(fourBit, {0x22, 0x11, 0x00, 0x21});                  // top row:    2 2 1 1 0 0 2 1
  Session s;
  ASSERT_TRUE(win::readBmpBytes(s.ctx, win::bitmapFileFromResource(fourBit)));
  const Bitmap& p = *s.board.slot(SlotId::ic128).picture;
  const Bgra red{0, 0, 255, 255}, green{0, 255, 0, 255}, blue{255, 0, 0, 255};
  const Bgra top[8] = {blue, blue, green, green, red, red, blue, green};
  const Bgra bottom[8] = {red, green, blue, red, green, blue, red, red};
  for (int x = 0; x < 8; ++x) {
    EXPECT_EQ(p.pixel(x, 0), top[x]) << x;
    EXPECT_EQ(p.pixel(x, 1), bottom[x]) << x;
  }
  EXPECT_EQ(s.board.slot(SlotId::ic128).depth, 2);

  // 2x2, 32 bits, bit fields in a V5 header, an alpha mask: alpha survives.
  ByteBuffer v5(124, 0);
  core::writeLE32(v5.data(), 124);
  core::writeLE32(v5.data() + 4, 16);
  core::writeLE32(v5.data() + 8, 2);
  core::writeLE16(v5.data() + 12, 1);
  core::writeLE16(v5.data() + 14, 32);
  core::writeLE32(v5.data() + 16, 3);
  core::writeLE32(v5.data() + 40, 0x00FF0000);
  core::writeLE32(v5.data() + 44, 0x0000FF00);
  core::writeLE32(v5.data() + 48, 0x000000FF);
  core::writeLE32(v5.data() + 52, 0xFF000000);
  for (int i = 0; i < 32; ++i) append(v5, {i * 8, 100, 200, i < 16 ? 10 : 250});
  Session v;
  ASSERT_TRUE(win::readBmpBytes(v.ctx, win::bitmapFileFromResource(v5)));
  const Bitmap& q = *v.board.slot(SlotId::ic16).picture;
  EXPECT_EQ(q.pixel(0, 1), (Bgra{0, 100, 200, 10}));    // the first stored pixel: bottom left
  EXPECT_EQ(q.pixel(15, 0), (Bgra{248, 100, 200, 250}));  // the last: top right
}

namespace {

// Checks our walk against wrestool's listing: same resources of types 2 and 3, in the same
// order, with the same data addresses and sizes, and the bytes wrestool extracts.
void checkAgainstWrestool(const std::filesystem::path& path, std::size_t bitmaps, std::size_t icons) {
  SCOPED_TRACE(path.string());
  const ByteBuffer file = test::readFile(path);
  std::vector<std::string> expected;
  std::size_t counts[4] = {0, 0, 0, 0};
  for (const auto& r : test::listWithWrestool(path)) {
    if (r.type != 2 && r.type != 3) continue;
    ++counts[r.type];
    const bool number = !r.name.empty() && std::all_of(r.name.begin(), r.name.end(), ::isdigit);
    expected.push_back(std::to_string(r.type) + "/" + (number ? r.name : "'" + r.name + "'") + "/" +
                       std::to_string(r.language) + "@" + std::to_string(r.offset) + "+" +
                       std::to_string(r.size));
  }
  EXPECT_EQ(counts[2], bitmaps);
  EXPECT_EQ(counts[3], icons);
  const auto resources = win::readPeResources(file);
  std::vector<std::string> found;
  for (const auto& r : resources) found.push_back(describe(r));
  EXPECT_EQ(found, expected);
  // The bytes themselves, for the first of each type.
  test::TempDir dir;
  for (const auto& r : resources) {
    if (r.id && *r.id != 1 && *r.id != 101 && *r.id != 5) continue;
    const std::string name = r.id ? std::to_string(*r.id) : r.name;
    const auto out = dir / (std::to_string(r.type) + "_" + name);
    test::runCommand("/usr/bin/wrestool -x --raw -t" + std::to_string(r.type) + " -n" +
                     test::shellQuote(name) + " -o " + test::shellQuote(out.string()) + " " +
                     test::shellQuote(path.string()) + " >/dev/null 2>&1");
    EXPECT_EQ(test::readFile(out), ByteBuffer(r.data.begin(), r.data.end())) << name;
  }
}

std::filesystem::path exeReference(const std::string& stem, const std::string& relative) {
  return test::corpus("expected/exe/generated__" + stem + "/" + relative);
}

}  // namespace

TEST(PeResourcesCorpus, WalkAgreesWithWrestool) {
  VEXILO_REQUIRE_SHARED();
  VEXILO_REQUIRE_ICOUTILS();
  for (const char* name : {"mingw32_icons_bitmaps.exe", "mingw64_icons_bitmaps.exe", "mingw64_resonly.dll"})
    checkAgainstWrestool(test::corpus(std::string("exe/generated/") + name), 5, 17);
}

// The board after reading the executables: bitmaps (type 2) come before icon images (type 3),
// the depth rule decides per slot, and the 256x256 PNG image is passed over.
TEST(PeResourcesCorpus, ExecutablesFillTheBoardAsTheirImagesDecode) {
  VEXILO_REQUIRE_SHARED();
  VEXILO_REQUIRE_ICOUTILS();
  for (const std::string file : {"mingw32_icons_bitmaps.exe", "mingw64_icons_bitmaps.exe", "mingw64_resonly.dll"}) {
    SCOPED_TRACE(file);
    const std::string stem = std::filesystem::path(file).stem().string();
    const auto path = test::corpus("exe/generated/" + file);
    Session s;
    win::readExeResources(s.ctx, path);
    EXPECT_TRUE(s.prompter.infos.empty());
    auto group = [&](const std::string& g, const std::string& image) {
      const auto ref = test::decodeWithPillow(
          exeReference(stem, "groups/" + file + "_14_" + g + "/" + file + "_14_" + g + "_" + image + ".png"));
      EXPECT_TRUE(ref) << image;
      return ref.value_or(test::RgbaImage{});
    };
    for (SlotId id : {SlotId::ic16, SlotId::ic32, SlotId::ic48, SlotId::ic128}) {
      ASSERT_TRUE(s.board.slot(id).picture);
      EXPECT_EQ(s.board.slot(id).depth, 7) << core::slotName(id);
    }
    // The first 32-bit image of each size class in id order: ids 12 (group 2), 2 (group 1,
    // 24x24, drawn over the 8-bit LOGO bitmap), 14 (group 2).
    EXPECT_TRUE(test::matchesReference(*s.board.slot(SlotId::ic16).picture, group("2", "6_16x16x32"), 0, true));
    EXPECT_TRUE(test::matchesReference(*s.board.slot(SlotId::ic32).picture, group("1", "2_24x24x32"), 0, true));
    EXPECT_TRUE(test::matchesReference(*s.board.slot(SlotId::ic48).picture, group("2", "8_48x48x32"), 0, true));
    const auto logo = test::decodeWithPillow(exeReference(stem, "bitmaps/" + file + "_2_LOGO.bmp.png"));
    ASSERT_TRUE(logo);
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) {
        if (x < 24 && y < 24) continue;
        const Bgra p = s.board.slot(SlotId::ic32).picture->pixel(x, y);
        const std::uint8_t* r = logo->at(x, y);
        ASSERT_EQ(p, (Bgra{r[2], r[1], r[0], 255})) << x << "," << y;
      }
    // ic128: bitmap 104, 32 bits with a 124-byte header, decoded here by Pillow's DIB reader
    // from wrestool's extraction (the 64x64 32-bit icon comes later and is not deeper).
    test::TempDir dir;
    test::runCommand("/usr/bin/wrestool -x --raw -t2 -n104 -o " + test::shellQuote((dir / "104").string()) +
                     " " + test::shellQuote(path.string()) + " >/dev/null 2>&1");
    const auto dib = test::decodeDibWithPillow(test::readFile(dir / "104"));
    ASSERT_TRUE(dib);
    EXPECT_TRUE(test::matchesReference(*s.board.slot(SlotId::ic128).picture, *dib, 0, true));
    // Masks: the first image of each class (8-bit ones carry their AND mask as alpha in the
    // references; icotool, which made the 32-bit ones, marks alpha below 128 transparent).
    EXPECT_TRUE(test::maskMatches(*s.board.slot(SlotId::im16).picture, group("1", "1_16x16x8")));
    EXPECT_TRUE(test::maskMatches(*s.board.slot(SlotId::im32).picture, group("1", "2_24x24x32"), 128));
    EXPECT_TRUE(test::maskMatches(*s.board.slot(SlotId::im48).picture, group("1", "4_48x48x8")));
    EXPECT_TRUE(test::maskMatches(*s.board.slot(SlotId::im128).picture, group("1", "5_64x64x32"), 128));
    for (SlotId id : {SlotId::icNB, SlotId::imNB, SlotId::ic12, SlotId::im12})
      EXPECT_EQ(s.board.slot(id).depth, 0);

    // Icon image 6 is group 1's 256x256 PNG: handed to the ICO reader, it changes nothing.
    const ByteBuffer bytes = test::readFile(path);
    for (const auto& r : win::readPeResources(bytes)) {
      if (r.type != win::kResourceIcon || r.id != 6u) continue;
      ASSERT_EQ(r.data[1], 'P');
      Session png, fresh;
      win::readIcoBytes(png.ctx, win::iconFileFromResource(r.data));
      EXPECT_TRUE(test::sameBoard(png.board, fresh.board));
    }
  }
}

namespace {

bool windresAvailable() {
  for (const char* tool : {"/usr/bin/x86_64-w64-mingw32-windres", "/usr/bin/x86_64-w64-mingw32-ld",
                           "/usr/bin/i686-w64-mingw32-windres", "/usr/bin/i686-w64-mingw32-ld", "/usr/bin/cpp"})
    if (!std::filesystem::exists(tool)) return false;
  return true;
}

// Builds a resource-only module from `rc` in `dir` with the binutils of `arch`; its path.
std::filesystem::path buildModule(const test::TempDir& dir, const std::string& rc,
                                  const std::string& arch, bool dll) {
  {
    std::ofstream out(dir / "res.rc");
    out << rc;
  }
  const std::string tools = "/usr/bin/" + arch + "-w64-mingw32-";
  const std::string name = arch + (dll ? ".dll" : ".exe");
  const std::string command = "cd " + test::shellQuote(dir.path().string()) + " && " + tools +
                              "windres --preprocessor=cpp -i res.rc -O coff -o res.o && " + tools +
                              "ld " + (dll ? "--dll " : "") + "-e 0 -o " + name + " res.o";
  EXPECT_EQ(test::runCommand(command + " >/dev/null 2>&1"), 0) << command;
  return dir / name;
}

// A 16x4 4-bit bitmap whose colour table holds three colours, as a file.
ByteBuffer threeColourBitmap() {
  ByteBuffer f = {'B', 'M'};
  core::appendLE32(f, 14 + 40 + 12 + 4 * 8);
  core::appendLE32(f, 0);
  core::appendLE32(f, 14 + 40 + 12);
  append(f, {40, 0, 0, 0, 16, 0, 0, 0, 4, 0, 0, 0, 1, 0, 4, 0});
  for (int i = 0; i < 4; ++i) core::appendLE32(f, 0);
  core::appendLE32(f, 3);
  core::appendLE32(f, 3);
  append(f, {0x20, 0x40, 0xE0, 0, 0x30, 0xC0, 0x30, 0, 0xF0, 0x50, 0x10, 0});
  for (int row = 0; row < 4; ++row)
    for (int b = 0; b < 8; ++b) f.push_back(static_cast<std::uint8_t>(((b + row) % 3) << 4 | (b * 2 + row) % 3));
  return f;
}

}  // namespace

// Resource-only modules, 32- and 64-bit, .exe and .dll, built from an .rc file listing icon and
// bitmap files: our walk against wrestool, and the board against independent decodes.
TEST(PeResourcesBuilt, ModulesBuiltByWindresReadLikeTheirSources) {
  VEXILO_REQUIRE_SHARED();
  VEXILO_REQUIRE_ICOUTILS();
  if (!windresAvailable()) {
    if (test::inCi()) FAIL() << "mingw-w64 binutils (windres, ld) or cpp missing";
    GTEST_SKIP() << "mingw-w64 binutils (windres, ld) or cpp missing";
  }
  test::TempDir dir;
  std::filesystem::copy_file(test::corpus("ico/tk_tk_11abf2192.ico"), dir / "tk.ico");
  std::filesystem::copy_file(test::sample("peer_magick_32bit_v5.bmp"), dir / "v5.bmp");
  test::writeFile(dir / "three.bmp", threeColourBitmap());
  const std::string rc =
      "1 ICON \"tk.ico\"\n"
      "MAIN ICON \"tk.ico\"\n"
      "5 BITMAP \"v5.bmp\"\n"
      "Three BITMAP \"three.bmp\"\n";
  const auto icons = test::decodeWithIcotool(dir / "tk.ico");
  const auto v5 = test::decodeWithPillow(dir / "v5.bmp");
  const auto three = test::decodeWithPillow(dir / "three.bmp");
  ASSERT_EQ(icons.size(), 13u);
  ASSERT_TRUE(v5 && three);

  for (const std::string arch : {"i686", "x86_64"})
    for (bool dll : {false, true}) {
      SCOPED_TRACE(arch + (dll ? " dll" : " exe"));
      const auto module = buildModule(dir, rc, arch, dll);
      checkAgainstWrestool(module, 2, 26);
      Session s;
      win::readExeResources(s.ctx, module);
      // The first 32-bit images of 16, 32 and 48 (the 24x24 one comes after the 32x32 and is
      // not deeper); the V5 bitmap in ic128 (bitmaps come first, and the 64x64 icon is not
      // deeper); the named three-colour bitmap, 16 wide, gave way to the 16x16 32-bit icon.
      EXPECT_TRUE(test::matchesReference(*s.board.slot(SlotId::ic16).picture, icons.at(5), 0, true));
      EXPECT_TRUE(test::matchesReference(*s.board.slot(SlotId::ic32).picture, icons.at(3), 0, true));
      EXPECT_TRUE(test::matchesReference(*s.board.slot(SlotId::ic48).picture, icons.at(2), 0, true));
      EXPECT_TRUE(test::matchesReference(*s.board.slot(SlotId::ic128).picture, *v5, 0, true));
      // The three-colour bitmap went to the 16 pasteboard first, at (2, 2).
      const Bitmap& pb = *s.board.slot(SlotId::PB16).picture;
      Bitmap cell(16, 4, PixelFormat::Bits32);
      for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 16; ++x) cell.setPixel(x, y, pb.pixel(2 + x, 2 + y));
      EXPECT_TRUE(test::matchesReference(cell, *three));
    }

  // A module without resources changes nothing.
  for (const std::string arch : {"i686", "x86_64"}) {
    test::TempDir empty;
    const std::string tools = "/usr/bin/" + arch + "-w64-mingw32-";
    ASSERT_EQ(test::runCommand("cd " + test::shellQuote(empty.path().string()) + " && " + tools +
                               "as -o empty.o /dev/null && " + tools + "ld -e 0 -o empty.exe empty.o" +
                               " >/dev/null 2>&1"),
              0);
    Session s, fresh;
    win::readExeResources(s.ctx, empty / "empty.exe");
    EXPECT_TRUE(test::sameBoard(s.board, fresh.board));
    EXPECT_TRUE(s.prompter.infos.empty());
  }
}
