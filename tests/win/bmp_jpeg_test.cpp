// BMP and JPEG import and export: the slot of each width, refused files, the JPEG corpus
// against ImageMagick's decodes, and exported files read back by Pillow.
#include <gtest/gtest.h>

#include <map>

#include "core/bmp_codec.h"
#include "core/png_codec.h"
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

// An import of "in.x": refused (no picture, message 6422 naming it), or one picture offered to
// the colour slot of a square icon of its width, any other width to ic128.
bool imported(const core::DecodedFamily& f, bool refused = false) {
  if (refused) return f.pictures.empty() && f.messages.size() == 1 && f.messages[0].id == 6422 && f.messages[0].argument == "in.x";
  const std::map<int, SlotId> slotOf = {{16, SlotId::ic16}, {32, SlotId::ic32}, {48, SlotId::ic48},
                                        {256, SlotId::ic256}, {512, SlotId::ic512}, {1024, SlotId::ic1024}};
  const int w = f.pictures.empty() ? 0 : f.pictures[0].bitmap.width();
  return f.messages.empty() && f.pictures.size() == 1 && f.pictures[0].slot == (slotOf.count(w) ? slotOf.at(w) : SlotId::ic128);
}

}  // namespace

TEST(BmpImport, PicturesGoToTheSlotOfTheirWidthOrAreRefused) {
  for (auto [w, h] : {std::pair{16, 16}, {32, 32}, {48, 48}, {128, 128}, {20, 20}, {300, 10}, {32, 8}, {16, 12}, {64, 64}}) {
    const Bitmap picture = solid(w, h, PixelFormat::Bits24, {10, 20, 30, 255});
    const core::DecodedFamily f = win::decodeBmpImport(core::encodeBmp(picture), "in.x");
    EXPECT_TRUE(imported(f)) << w << "x" << h;
    EXPECT_EQ(f.pictures.at(0).bitmap, picture);
  }
  const ByteBuffer whole = core::encodeBmp(solid(16, 16, PixelFormat::Bits24, {1, 1, 1, 255}));
  for (const ByteBuffer& bad : {ByteBuffer{'B', 'M', 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}, ByteBuffer{},
                                ByteBuffer(whole.begin(), whole.begin() + 100)})
    EXPECT_TRUE(imported(win::decodeBmpImport(bad, "in.x"), true));
}

// PNG files go to the colour slot of their width, large sizes included, and other widths to the
// pasteboard only; damaged ones and pictures beyond 1024 a side are refused.
TEST(PngImport, PicturesGoToTheSlotOfTheirWidthOrThePasteboard) {
  for (auto [w, h, slot] : {std::tuple{16, 16, std::optional(SlotId::ic16)}, {512, 512, SlotId::ic512},
                            {1024, 1024, SlotId::ic1024}, {24, 24, std::nullopt}, {48, 10, SlotId::ic48}}) {
    const Bitmap picture = pattern(w, h);
    const core::DecodedFamily f = win::decodePngImport(*core::encodePng(picture), "in.x");
    ASSERT_EQ(f.pictures.size(), 1u) << w;
    EXPECT_TRUE(f.messages.empty() && f.pictures[0].slot == slot && f.pictures[0].bitmap == picture) << w;
  }
  const ByteBuffer good = *core::encodePng(pattern(16, 16));
  ByteBuffer wide = *core::encodePng(pattern(1, 1));
  core::writeBE32(wide.data() + 16, 1025);  // the header's width, its check sum now wrong too
  for (const ByteBuffer& bad : {ByteBuffer(good.begin(), good.begin() + good.size() / 2), ByteBuffer{}, wide})
    EXPECT_TRUE(imported(win::decodePngImport(bad, "in.x"), true));
}

TEST(JpegImport, CorpusFilesMatchImageMagickWithinTheIdctTolerance) {
  VEXILO_REQUIRE_SHARED();
  VEXILO_REQUIRE_PILLOW();
  int compared = 0;
  for (const auto& path : corpusFiles("jpeg", {".jpg", ".jpeg"})) {
    SCOPED_TRACE(path.string());
    const auto f = win::decodeJpegImport(readFile(path), "in.x");
    if (f.pictures.empty()) {  // a damaged file may be refused
      EXPECT_TRUE(imported(f, true) && path.parent_path().filename() == "bad");
      continue;
    }
    ASSERT_TRUE(imported(f));
    const Bitmap& picture = f.pictures[0].bitmap;
    const auto relative = std::filesystem::relative(path, corpus("jpeg"));
    const std::string sub = relative.parent_path().empty() ? "" : relative.parent_path().string() + "__";
    const auto ref = decodeWithPillow(corpus("expected/jpeg/" + sub + relative.stem().string() + ".im6.png"));
    ASSERT_TRUE(ref && ref->width == picture.width() && ref->height == picture.height());
    EXPECT_EQ(picture.format(), PixelFormat::Bits32);
    EXPECT_TRUE(matchesReference(picture, *ref, 3, true));
    ++compared;
  }
  EXPECT_GE(compared, 13);
}

// A JPEG of the slot's size, colour without alpha (the quarter of alpha 0 keeps its colour),
// read back by Pillow.
TEST(JpegExport, WritesAJpegOfTheSlotSize) {
  VEXILO_REQUIRE_PILLOW();
  TempDir dir;
  Session s;
  const Bitmap q = quarters(16);
  s.board.offerBitmap(SlotId::ic16, q);
  s.board.select(SlotId::ic16);
  s.prompter.paths.push_back((dir / "ic16.jpg").string());
  EXPECT_EQ(win::jpgClick(s.ctx), core::Outcome::Written);
  ASSERT_TRUE(oneSaveDialog(s.prompter, 6427, 6428));
  const auto decoded = decodeWithPillow(dir / "ic16.jpg");
  ASSERT_TRUE(decoded && decoded->width == 16 && decoded->height == 16);
  for (auto [x, y] : {std::pair{3, 3}, std::pair{12, 3}, std::pair{3, 12}, std::pair{12, 12}}) {
    const std::uint8_t* got = decoded->at(x, y);
    EXPECT_TRUE(std::abs(got[0] - q.pixel(x, y).red) <= 8 && std::abs(got[1] - q.pixel(x, y).green) <= 8 &&
                std::abs(got[2] - q.pixel(x, y).blue) <= 8 && got[3] == 255) << x << "," << y;
  }
}

// Refused before any dialog for a slot without a picture; a picture the encoder refuses (one
// without pixels) gives message 1041, Failed, and leaves the file there as it was.
TEST(JpegExport, EmptySlotsAndEncoderFailures) {
  Session empty;
  empty.board.select(SlotId::ic48);
  EXPECT_EQ(win::jpgClick(empty.ctx), core::Outcome::Refused);
  EXPECT_EQ(win::sbmClick(empty.ctx), core::Outcome::Refused);
  EXPECT_TRUE(empty.prompter.saveDialogs.empty());
  TempDir dir;
  const auto path = dir / "kept.jpg";
  writeFile(path, ByteBuffer{1, 2, 3});
  Session s;
  s.board.slot(SlotId::ic32).picture = Bitmap();
  s.board.select(SlotId::ic32);
  s.prompter.paths.push_back(path.string());
  s.prompter.answers.push_back(true);
  EXPECT_EQ(win::jpgClick(s.ctx), core::Outcome::Failed);
  EXPECT_EQ(s.prompter.infos, std::vector<std::string>{message(1041, path.string())});
  EXPECT_EQ(readFile(path), (ByteBuffer{1, 2, 3}));
}

TEST(BmpExport, WritesThePictureInItsPresentFormat) {
  TempDir dir;
  for (auto [slot, format] : {std::pair{SlotId::ic32, PixelFormat::Bits4}, {SlotId::ic48, PixelFormat::Bits32},
                              {SlotId::im16, PixelFormat::Bits1}, {SlotId::ic128, PixelFormat::Bits16}}) {
    Session s;
    Bitmap picture = quarters(core::controlSize(slot).width);
    picture.convertTo(format);
    s.board.offerBitmap(slot, picture);
    s.board.select(slot);
    const auto path = dir / (std::string(core::slotName(slot)) + ".bmp");
    s.prompter.paths.push_back(path.string());
    EXPECT_EQ(win::sbmClick(s.ctx), core::Outcome::Written);
    ASSERT_TRUE(oneSaveDialog(s.prompter, 6431, 6432));
    EXPECT_EQ(readFile(path), core::encodeBmp(picture)) << core::slotName(slot);
  }
}
