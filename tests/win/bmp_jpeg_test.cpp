// BMP and JPEG import and export: the slot by width, refused files, the corpus against
// ImageMagick's decodes, and exported files read back by Pillow.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "core/bmp_codec.h"
#include "core/string_table.h"
#include "support/shared_data.h"
#include "support/temp_dir.h"
#include "win/bmp_jpeg.h"
#include "win_support.h"

using namespace vexilo;
using namespace vexilo::test;

namespace {

// Four flat quarters: colours a JPEG keeps close away from the edges between them.
Bitmap quarters(int size) {
  Bitmap b(size, size, PixelFormat::Bits32);
  const Bgra colours[4] = {{30, 60, 200, 255}, {200, 180, 20, 0}, {90, 220, 90, 255}, {250, 250, 250, 128}};
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) b.setPixel(x, y, colours[(y >= size / 2) * 2 + (x >= size / 2)]);
  return b;
}

test::RgbaImage crop(const test::RgbaImage& image, int w, int h) {
  test::RgbaImage out;
  out.width = std::min(w, image.width);
  out.height = std::min(h, image.height);
  for (int y = 0; y < out.height; ++y)
    out.rgba.insert(out.rgba.end(), image.at(0, y), image.at(0, y) + 4 * out.width);
  return out;
}

std::string unsupported(const std::filesystem::path& path) {
  return core::formatMessage(core::loadLocalString(6422, 0), path.string());
}

// Reads `path` onto a board already holding pictures: refused, with the message, the board
// left alone.
void expectRefused(void (*reader)(core::CommandContext&, const std::filesystem::path&),
                   const std::filesystem::path& path) {
  Session s, before;
  for (core::IconSet* board : {&s.board, &before.board}) {
    board->offerBitmap(SlotId::ic32, solid(32, 32, {1, 2, 3, 255}, PixelFormat::Bits8));
    board->offerBitmap(SlotId::ic128, solid(128, 128, {9, 8, 7, 255}, PixelFormat::Bits24));
  }
  reader(s.ctx, path);
  EXPECT_EQ(s.prompter.infos, std::vector<std::string>({unsupported(path)}));
  EXPECT_TRUE(test::sameBoard(s.board, before.board));
}

std::vector<std::filesystem::path> filesUnder(const std::string& folder,
                                              std::initializer_list<const char*> extensions) {
  std::vector<std::filesystem::path> out;
  for (const auto& e : std::filesystem::recursive_directory_iterator(test::corpus(folder))) {
    const auto ext = e.path().extension().string();
    if (e.is_regular_file() && std::find(extensions.begin(), extensions.end(), ext) != extensions.end())
      out.push_back(e.path());
  }
  std::sort(out.begin(), out.end());
  return out;
}

// The reference decode of a corpus file: expected/<folder>/<sub>__<name>.im6.png.
std::filesystem::path referenceOf(const std::string& folder, const std::filesystem::path& file) {
  const auto relative = std::filesystem::relative(file, test::corpus(folder));
  std::string name = relative.parent_path().empty() ? "" : relative.parent_path().string() + "__";
  name += relative.stem().string() + ".im6.png";
  return test::corpus("expected/" + folder + "/" + name);
}

}  // namespace

TEST(BmpImport, PicturesGoToTheSlotOfTheirWidth) {
  struct Case {
    int w, h;
    SlotId slot;
  };
  for (const Case& c : {Case{16, 16, SlotId::ic16}, Case{32, 32, SlotId::ic32}, Case{48, 48, SlotId::ic48},
                        Case{128, 128, SlotId::ic128}, Case{20, 20, SlotId::ic128},
                        Case{300, 10, SlotId::ic128}, Case{32, 8, SlotId::ic32}}) {
    SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
    Session s;
    const Bitmap picture = solid(c.w, c.h, {10, 20, 30, 255}, PixelFormat::Bits24);
    ASSERT_TRUE(win::readBmpBytes(s.ctx, core::encodeBmp(picture)));
    const core::Slot& slot = s.board.slot(c.slot);
    ASSERT_TRUE(slot.picture);
    EXPECT_EQ(slot.depth, 6);
    const int size = core::controlSize(c.slot).width;
    // Clipped when larger, the top-left part when smaller, white around it.
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x)
        ASSERT_EQ(slot.picture->pixel(x, y), x < c.w && y < c.h ? Bgra({10, 20, 30, 255}) : core::kWhite);
  }

  // The depth rule: an 8-bit 48x48 after a 24-bit one leaves ic48 as it is.
  Session s;
  const Bitmap deep = solid(48, 48, {1, 200, 3, 255}, PixelFormat::Bits24);
  ASSERT_TRUE(win::readBmpBytes(s.ctx, core::encodeBmp(deep)));
  ASSERT_TRUE(win::readBmpBytes(s.ctx, core::encodeBmp(solid(48, 48, {0, 0, 0, 255}, PixelFormat::Bits8))));
  EXPECT_EQ(*s.board.slot(SlotId::ic48).picture, deep);
  EXPECT_EQ(s.board.cursor(SlotId::PB48).count, 2);

  // A 32-bit bitmap is stored as it is, alpha values included: nothing is blended.
  Bitmap alpha = solid(32, 32, {100, 50, 25, 40});
  alpha.setPixel(3, 3, {1, 2, 3, 0});
  Session a;
  ASSERT_TRUE(win::readBmpBytes(a.ctx, core::encodeBmp(alpha)));
  EXPECT_EQ(*a.board.slot(SlotId::ic32).picture, alpha);
}

TEST(BmpImport, RefusedFilesShowTheMessageAndLeaveTheBoard) {
  test::TempDir dir;
  const auto garbage = dir / "garbage.bmp";
  test::writeFile(garbage, ByteBuffer{'B', 'M', 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13});
  const auto cut = dir / "cut.bmp";
  const ByteBuffer whole = core::encodeBmp(solid(16, 16, {1, 1, 1, 255}, PixelFormat::Bits24));
  test::writeFile(cut, ByteBuffer(whole.begin(), whole.begin() + 100));
  for (const std::filesystem::path& path : {garbage, cut, dir / "absent.bmp", dir.path()}) {
    SCOPED_TRACE(path.string());
    expectRefused(win::readBmpFile, path);
  }
}

TEST(BmpImport, CorpusFilesMatchImageMagickOrAreRefusedCleanly) {
  VEXILO_REQUIRE_SHARED();
  VEXILO_REQUIRE_PILLOW();
  // ImageMagick widens channels narrower than 5 bits by shifting (a 4-bit 15 becomes 240); we
  // scale them to the full range, so these two differ on purpose.
  const std::set<std::string> widenedOtherwise = {"rgb16-231.bmp", "rgba16-4444.bmp"};
  int compared = 0, refused = 0;
  for (const auto& path : filesUnder("bmp", {".bmp"})) {
    SCOPED_TRACE(path.string());
    const auto picture = core::decodeBmp(test::readFile(path));
    if (!picture) {
      expectRefused(win::readBmpFile, path);
      ++refused;
      continue;
    }
    // Damaged files (suite-b) need only be read safely: decoders mend them differently.
    const auto reference = referenceOf("bmp", path);
    if (!std::filesystem::exists(reference) || widenedOtherwise.count(path.filename().string()) ||
        path.parent_path().filename() == "suite-b")
      continue;
    // ImageMagick misreads the colour table of the OS/2 2.x header; Pillow reads it as we do.
    const auto ref = path.filename() == "pal8os2v2.bmp" ? test::decodeWithPillow(path)
                                                        : test::decodeWithPillow(reference);
    ASSERT_TRUE(ref);
    Session fresh;
    win::readBmpFile(fresh.ctx, path);
    EXPECT_TRUE(fresh.prompter.infos.empty());
    const SlotId slot = win::importSlot(picture->width());
    const int size = core::controlSize(slot).width;
    ASSERT_TRUE(fresh.board.slot(slot).picture);
    // 5- and 6-bit channels widen by a level differently here and there.
    EXPECT_TRUE(test::matchesReference(*fresh.board.slot(slot).picture, crop(*ref, size, size), 1));
    ++compared;
  }
  EXPECT_GE(compared, 40);
  EXPECT_GE(refused, 5);
}

TEST(JpegImport, CorpusFilesMatchImageMagickWithinTheIdctTolerance) {
  VEXILO_REQUIRE_SHARED();
  VEXILO_REQUIRE_PILLOW();
  int compared = 0;
  for (const auto& path : filesUnder("jpeg", {".jpg", ".jpeg"})) {
    SCOPED_TRACE(path.string());
    const auto picture = win::decodeJpeg(test::readFile(path));
    if (!picture) {  // a damaged file may be refused: the board stays as it was
      expectRefused(win::readJpegFile, path);
      continue;
    }
    Session s;
    win::readJpegFile(s.ctx, path);
    EXPECT_TRUE(s.prompter.infos.empty());
    EXPECT_EQ(picture->format(), PixelFormat::Bits32);
    const SlotId slot = win::importSlot(picture->width());
    EXPECT_EQ(s.board.slot(slot).depth, 7);
    const auto ref = test::decodeWithPillow(referenceOf("jpeg", path));
    ASSERT_TRUE(ref);
    EXPECT_EQ(ref->width, picture->width());
    EXPECT_EQ(ref->height, picture->height());
    const int size = core::controlSize(slot).width;
    EXPECT_TRUE(test::matchesReference(*s.board.slot(slot).picture, crop(*ref, size, size), 3, true));
    EXPECT_TRUE(test::matchesReference(*picture, *ref, 3, true));
    ++compared;
  }
  EXPECT_GE(compared, 13);
}

TEST(JpegImport, RefusedFilesShowTheMessageAndLeaveTheBoard) {
  test::TempDir dir;
  const ByteBuffer good = *win::encodeJpeg(quarters(32));
  // The frame header's height and width, patched to 60000 x 60000: refused before decoding.
  ByteBuffer huge = good;
  for (std::size_t i = 0; i + 9 < huge.size(); ++i)
    if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
      core::writeBE16(huge.data() + i + 5, 60000);
      core::writeBE16(huge.data() + i + 7, 60000);
      break;
    }
  struct Case {
    const char* name;
    ByteBuffer bytes;
  };
  for (const Case& c : {Case{"empty.jpg", {}}, Case{"text.jpg", {'n', 'o', 't', ' ', 'j', 'p', 'g'}},
                        Case{"header.jpg", ByteBuffer(good.begin(), good.begin() + 60)},
                        Case{"huge.jpg", huge}}) {
    SCOPED_TRACE(c.name);
    const auto path = dir / c.name;
    test::writeFile(path, c.bytes);
    expectRefused(win::readJpegFile, path);
  }
  // Every cut of a valid file is refused or read, never more.
  for (std::size_t length = 0; length < good.size(); length += 7) {
    const auto picture = win::decodeJpeg(core::Bytes(good.data(), length));
    if (picture) {
      EXPECT_EQ(picture->width(), 32);
    }
  }
}

TEST(JpegExport, WritesABaselineQuality90JpegOfTheSlotSize) {
  VEXILO_REQUIRE_PILLOW();
  test::TempDir dir;
  Session s;
  s.board.offerBitmap(SlotId::ic16, quarters(16));
  s.board.select(SlotId::ic16);
  const auto path = dir / "ic16.jpg";
  s.prompter.paths.push_back(path.string());
  win::jpgClick(s.ctx);
  ASSERT_TRUE(oneSaveDialog(s.prompter, core::loadLocalString(6427, 0), core::loadLocalString(6428, 0),
                            "jpg", "*.jpg;*.jpeg"));

  const ByteBuffer file = test::readFile(path);
  const auto marker = [&](std::uint8_t m) {
    for (std::size_t i = 0; i + 1 < file.size(); ++i)
      if (file[i] == 0xFF && file[i + 1] == m) return i;
    return file.size();
  };
  EXPECT_LT(marker(0xC0), file.size());  // baseline frame
  EXPECT_EQ(marker(0xC2), file.size());  // not progressive
  // The luminance table scaled to quality 90: its first entry 16 becomes 16 * 20 / 100 = 3.
  const std::size_t dqt = marker(0xDB);
  ASSERT_LT(dqt + 5, file.size());
  EXPECT_EQ(file[dqt + 4], 0x00);
  EXPECT_EQ(file[dqt + 5], 3);

  const auto decoded = test::decodeWithPillow(path);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->width, 16);
  EXPECT_EQ(decoded->height, 16);
  // Colour without alpha: the quarter of alpha 0 keeps its colour. The centre of each quarter.
  const Bitmap q = quarters(16);
  for (auto [x, y] : {std::pair{3, 3}, std::pair{12, 3}, std::pair{3, 12}, std::pair{12, 12}}) {
    const Bgra want = q.pixel(x, y);
    const std::uint8_t* got = decoded->at(x, y);
    EXPECT_NEAR(got[0], want.red, 8);
    EXPECT_NEAR(got[1], want.green, 8);
    EXPECT_NEAR(got[2], want.blue, 8);
    EXPECT_EQ(got[3], 255);
  }

  // Our own decoder reads it back at the same size, into the slot of that size.
  Session back;
  win::readJpegFile(back.ctx, path);
  EXPECT_EQ(back.board.slot(SlotId::ic16).depth, 7);

  // A slot without a picture: no dialog, nothing written.
  Session empty;
  empty.board.select(SlotId::ic48);
  win::jpgClick(empty.ctx);
  win::sbmClick(empty.ctx);
  EXPECT_TRUE(empty.prompter.saveDialogs.empty());
}

TEST(BmpExport, WritesThePictureInItsPresentFormat) {
  test::TempDir dir;
  struct Case {
    SlotId slot;
    PixelFormat format;
  };
  for (const Case& c : {Case{SlotId::ic32, PixelFormat::Bits4}, Case{SlotId::ic48, PixelFormat::Bits32},
                        Case{SlotId::im16, PixelFormat::Bits1}, Case{SlotId::ic128, PixelFormat::Bits16}}) {
    SCOPED_TRACE(core::slotName(c.slot));
    Session s;
    const int size = core::controlSize(c.slot).width;
    Bitmap picture = quarters(size);
    if (c.format != PixelFormat::Bits32) picture.convertTo(c.format);
    s.board.offerBitmap(c.slot, picture);
    s.board.select(c.slot);
    const auto path = dir / (std::string(core::slotName(c.slot)) + ".bmp");
    s.prompter.paths.push_back(path.string());
    win::sbmClick(s.ctx);
    ASSERT_TRUE(oneSaveDialog(s.prompter, core::loadLocalString(6431, 0),
                              core::loadLocalString(6432, 0), "bmp", "*.bmp"));
    const ByteBuffer file = test::readFile(path);
    EXPECT_EQ(core::readLE16(file.data() + 28), core::bitsPerPixel(c.format));
    const auto back = core::decodeBmp(file);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, picture);
  }
}
