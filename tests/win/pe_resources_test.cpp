// The executable resource reader: trees and files built by hand (sound and damaged), and the
// corpus executables against wrestool's listing and the reference decodes of their resources.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>

#include "win/ico_reader.h"
#include "win/pe_resources.h"
#include "win_support.h"

using namespace vexilo;
using namespace vexilo::test;

namespace {

constexpr std::uint32_t kSectionRva = 0x1000;
constexpr std::uint32_t kDir = 0x80000000u;

// A PE image (PE32 or PE32+) whose only section, at address 0x1000 and file offset 0x200,
// holds `section`; data directory 2 names the resources at `resourceRva`.
ByteBuffer peImage(bool plus, const ByteBuffer& section, std::uint32_t resourceRva = kSectionRva) {
  ByteBuffer f(0x200, 0);
  std::copy_n("MZ", 2, f.begin());
  core::writeLE32(f.data() + 0x3C, 0x40);
  std::copy_n("PE", 2, f.begin() + 0x40);
  core::writeLE16(f.data() + 0x44 + 2, 1);  // one section
  const std::uint16_t optionalSize = plus ? 240 : 224;
  core::writeLE16(f.data() + 0x44 + 16, optionalSize);
  const std::size_t optional = 0x58;
  core::writeLE16(f.data() + optional, plus ? 0x20B : 0x10B);
  core::writeLE32(f.data() + optional + (plus ? 108 : 92), 16);  // data directories
  core::writeLE32(f.data() + optional + (plus ? 112 : 96) + 16, resourceRva);
  std::uint8_t* s = f.data() + optional + optionalSize;
  const std::uint32_t fields[] = {std::uint32_t(section.size()), kSectionRva, std::uint32_t(section.size()), 0x200};
  for (int i = 0; i < 4; ++i) core::writeLE32(s + 8 + 4 * i, fields[i]);  // sizes, address, offset
  f.insert(f.end(), section.begin(), section.end());
  return f;
}

// Writes at `at` a directory header (named and numbered counts: `header`), an entry (name,
// target) or a data entry (address, size).
void put(ByteBuffer& t, std::size_t at, std::uint32_t a, std::uint32_t b, bool header = false) {
  if (header) at += 12, a |= b << 16;
  core::writeLE32(t.data() + at, a);
  if (!header) core::writeLE32(t.data() + at + 4, b);
}

// A bitmap numbered 7 (language 1033), an icon image named "APP" in languages 1033 and 1036,
// and an icon group (type 14) that points at the bitmap's names.
ByteBuffer soundTree() {
  ByteBuffer t(0x240, 0);
  for (auto [at, a, b] : std::initializer_list<std::array<std::uint32_t, 3>>{
           {0x010, 2, kDir | 0x040}, {0x018, 3, kDir | 0x058}, {0x020, 14, kDir | 0x040}, {0x050, 7, kDir | 0x070},
           {0x068, kDir | 0x100, kDir | 0x088}, {0x080, 1033, 0x0C0}, {0x098, 1033, 0x0D0}, {0x0A0, 1036, 0x0E0},
           {0x0C0, kSectionRva + 0x200, 8}, {0x0D0, kSectionRva + 0x210, 4}, {0x0E0, kSectionRva + 0x214, 20},
           {0x100, 3 | 'A' << 16, 'P' | 'P' << 16}})  // the name: its length, then UTF-16
    put(t, at, a, b);
  for (auto [at, named, numbered] : {std::array{0x000, 0, 3}, {0x040, 0, 1}, {0x058, 1, 0}, {0x070, 0, 1}, {0x088, 0, 2}})
    put(t, std::size_t(at), std::uint32_t(named), std::uint32_t(numbered), true);
  for (std::size_t i = 0x200; i < 0x228; ++i) t[i] = static_cast<std::uint8_t>(i);
  return t;
}

// type/name/language@address+size, as wrestool lists them.
std::vector<std::string> listing(core::Bytes file) {
  std::vector<std::string> out;
  for (const auto& r : win::readPeResources(file))
    out.push_back(std::to_string(r.type) + "/" + (r.id ? std::to_string(*r.id) : "'" + r.name + "'") + "/" +
                  std::to_string(r.language) + "@" + std::to_string(r.address) + "+" + std::to_string(r.data.size()));
  return out;
}

const std::vector<std::string> kSound = {"2/7/1033@4608+8", "3/'APP'/1033@4624+4", "3/'APP'/1036@4628+20"};

}  // namespace

// The tree walked in directory order, in PE32 and PE32+ images; damaged trees give what is sound.
TEST(PeResources, WalksTheTreeAndSkipsWhatIsDamaged) {
  for (bool plus : {false, true}) {
    const ByteBuffer file = peImage(plus, soundTree());
    EXPECT_EQ(listing(file), kSound) << plus;
    EXPECT_EQ(win::readPeResources(file).at(0).data.data(), file.data() + 0x400);  // section offset 0x200 on
  }
  const struct {
    const char* what;
    std::function<void(ByteBuffer&)> patch;
    std::vector<std::string> found;
  } cases[] = {
      {"a name pointing back at the root", [](ByteBuffer& t) { put(t, 0x050, 7, kDir); }, {kSound[1], kSound[2]}},
      {"a language directory used twice", [](ByteBuffer& t) { put(t, 0x068, kDir | 0x100, kDir | 0x070); }, {kSound[0]}},
      {"a fourth level", [](ByteBuffer& t) { put(t, 0x080, 1033, kDir | 0x070); }, {kSound[1], kSound[2]}},
      {"data outside every section, and past the section's raw bytes",
       [](ByteBuffer& t) { put(t, 0x0D0, kSectionRva + 0x5000, 4); put(t, 0x0E0, kSectionRva + 0x214, 0x1000); },
       {kSound[0]}},
      {"a data entry outside the tree, a name longer than it",
       [](ByteBuffer& t) { put(t, 0x098, 1033, 0x7FFFFF00); core::writeLE16(t.data() + 0x100, 0xFFFF); },
       {kSound[0], "3/''/1036@4628+20"}},
      {"a tree cut inside its directories", [](ByteBuffer& t) { t.resize(0x30); }, {}},
      {"a name longer than names are kept",
       [](ByteBuffer& t) {
         put(t, 0x068, kDir | 0x240, kDir | 0x088);
         t.resize(0x242 + 600);
         core::writeLE16(t.data() + 0x240, 300);
         for (std::size_t i = 0x242; i < t.size(); i += 2) core::writeLE16(t.data() + i, 'A');
       },
       {kSound[0], "3/'" + std::string(256, 'A') + "'/1033@4624+4", "3/'" + std::string(256, 'A') + "'/1036@4628+20"}},
  };
  for (const auto& c : cases) {
    ByteBuffer t = soundTree();
    c.patch(t);
    ByteBuffer file = peImage(true, t);
    file.resize(file.size() + 0x1000);  // bytes after the section, as an overlay
    EXPECT_EQ(listing(file), c.found) << c.what;
  }
  ByteBuffer t = soundTree();
  put(t, 0, 0xFFFF, 0xFFFF, true);  // counts far beyond the tree's bytes: read safely
  EXPECT_NO_FATAL_FAILURE(listing(peImage(true, t)));
}

// Files that are no PE image, or name no resources, give nothing.
TEST(PeResources, FilesThatAreNoPeImageGiveNothing) {
  for (auto [at, bytes] : std::initializer_list<std::pair<std::size_t, ByteBuffer>>{
           {0, {'Z', 'M'}}, {0x3C, {0xF0, 0xFF, 0xFF, 0x7F}}, {0x40, {'N', 'E'}}, {0x58, {0x07, 0x01}},
           {0x58 + 92, {2, 0, 0, 0}}, {0x58 + 96 + 16, {0, 0, 0, 0}}, {0x44 + 16, {0xFF, 0xFF}}, {0x58 + 96 + 17, {0x90}}}) {
    ByteBuffer f = peImage(false, soundTree());
    std::copy(bytes.begin(), bytes.end(), f.begin() + static_cast<std::ptrdiff_t>(at));
    EXPECT_TRUE(listing(f).empty() && win::decodeExe(f).pictures.empty()) << at;
  }
}

TEST(PeResources, ResourcesBecomeIconAndBitmapFiles) {
  const ByteBuffer icon = {40, 0, 0, 0, 0x80, 0, 0, 0, 0, 1, 0, 0, 1, 0, 8, 0, 0xAB};
  ByteBuffer ico = {0, 0, 1, 0, 1, 0, 0x80, 0x80, 0, 0, 1, 0, 8, 0, 17, 0, 0, 0, 22, 0, 0, 0};
  ico.insert(ico.end(), icon.begin(), icon.end());
  EXPECT_EQ(win::iconFileFromResource(icon), ico);
  EXPECT_TRUE(win::iconFileFromResource(core::Bytes(icon.data(), 15)).empty());
  // The pixel offset follows the information header: its size, the masks after a 40-byte
  // header, and colours-used entries when that field is set (3-byte ones for OS/2).
  for (auto [headerSize, bits, compression, used, offset] : std::initializer_list<std::array<std::uint32_t, 5>>{
           {40, 8, 0, 0, 14 + 40 + 1024}, {40, 4, 0, 3, 14 + 40 + 12}, {40, 1, 0, 0, 14 + 40 + 8},
           {40, 24, 0, 0, 54}, {40, 24, 0, 2, 54 + 8}, {40, 32, 3, 0, 54 + 12}, {40, 16, 6, 0, 54 + 16},
           {124, 32, 3, 0, 14 + 124}, {108, 8, 0, 16, 14 + 108 + 64}, {12, 8, 0, 0, 14 + 12 + 768}}) {
    ByteBuffer dib(headerSize + 20, 0);
    core::writeLE32(dib.data(), headerSize);
    core::writeLE16(dib.data() + (headerSize == 12 ? 10 : 14), static_cast<std::uint16_t>(bits));
    if (headerSize > 12) core::writeLE32(dib.data() + 16, compression);
    if (headerSize > 12) core::writeLE32(dib.data() + 32, used);
    ByteBuffer expected = {'B', 'M'};
    for (std::uint32_t v : {std::uint32_t(dib.size() + 14), 0u, offset}) core::appendLE32(expected, v);
    expected.insert(expected.end(), dib.begin(), dib.end());
    EXPECT_EQ(win::bitmapFileFromResource(dib), expected) << headerSize << "/" << bits << "/" << used;
  }
  EXPECT_TRUE(win::bitmapFileFromResource(ByteBuffer{40, 0, 0, 0, 1, 0}).empty());
}

// Every corpus executable: the walk against wrestool's listing; each bitmap as ImageMagick
// decodes it; each icon image as a colour picture that is one of icotool's decodes of its size,
// and its mask, in directory order; 256x256 images (PNG among them) go alone to ic256.
TEST(PeResourcesCorpus, ExecutablesAgreeWithWrestoolAndTheReferenceDecodes) {
  VEXILO_REQUIRE_SHARED();
  VEXILO_REQUIRE_TOOL(wrestoolAvailable(), "wrestool (icoutils)");
  int bitmaps = 0, icons = 0, pngs = 0;
  for (const auto& path : corpusFiles("exe", {".exe", ".dll"})) {
    const std::string name = path.filename().string();
    SCOPED_TRACE(name);
    const ByteBuffer file = readFile(path);
    std::vector<std::string> expected;
    for (const std::string& line : listWithWrestool(path))
      if (line.rfind("2/", 0) == 0 || line.rfind("3/", 0) == 0) expected.push_back(line);
    EXPECT_EQ(listing(file), expected);
    const auto refDir = corpus("expected/exe/" + path.parent_path().filename().string() + "__" + path.stem().string());
    std::vector<RgbaImage> groupRefs;
    for (const auto& e : std::filesystem::recursive_directory_iterator(refDir / "groups"))
      if (auto ref = decodeWithPillow(e.path())) groupRefs.push_back(std::move(*ref));
    const core::DecodedFamily f = win::decodeExe(file, path.string());
    std::size_t next = 0;
    for (const auto& r : win::readPeResources(file)) {
      const std::string id = r.id ? std::to_string(*r.id) : r.name;
      if (r.type == win::kResourceBitmap) {
        ASSERT_LT(next, f.pictures.size());
        const auto ref = decodeWithPillow(refDir / "bitmaps" / (name + "_2_" + id + ".bmp.png"));
        EXPECT_TRUE(!ref || matchesReference(f.pictures[next].bitmap, *ref)) << id;  // none for the V5 one
        bitmaps += ref.has_value();
        ++next;
      } else {
        // A 256-pixel image (PNG or bitmap) goes alone to ic256, the others with their mask.
        ASSERT_LT(next, f.pictures.size());
        const Bitmap& colour = f.pictures[next].bitmap;
        const bool large = f.pictures[next].slot == SlotId::ic256;
        ASSERT_TRUE(large || next + 1 < f.pictures.size());
        const Bitmap& mask = f.pictures[next + (large ? 0 : 1)].bitmap;
        next += large ? 1 : 2;
        EXPECT_TRUE(std::any_of(groupRefs.begin(), groupRefs.end(), [&](const RgbaImage& ref) {
          return ref.width == colour.width() && matchesReference(colour, ref, 0, true) &&
                 (colour.format() == PixelFormat::Bits32 || maskMatches(mask, ref));
        })) << "icon " << id;
        icons += 1;
        pngs += r.data[1] == 'P';
      }
    }
    EXPECT_EQ(next, f.pictures.size());
  }
  EXPECT_GE(bitmaps, 12);
  EXPECT_GE(icons, 45);
  EXPECT_GE(pngs, 3);
}
