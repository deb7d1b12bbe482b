// Create All Sizes and its resampler: Pillow's Lanczos filter as the reference, no fringe along
// transparent edges, pictures already there kept, nothing enlarged.
#include <gtest/gtest.h>

#include "core/png_codec.h"
#include "imageops/all_sizes.h"
#include "imageops/resize.h"
#include "mac/icns.h"
#include "support/oracle.h"
#include "support/pictures.h"
#include "support/temp_dir.h"

using namespace vexilo;
using core::Bgra;
using core::Bitmap;
using core::PixelFormat;
using core::SlotId;

TEST(CreateAllSizes, FillsOnlyEmptySmallerSlotsWithoutFringeAndMasksThemFromAlpha) {
  // One colour on transparent pixels whose colour bytes are black on the left and white on the
  // right: filtered without premultiplication, the edges would turn dark or light.
  constexpr Bgra kInk{60, 90, 30, 255};
  Bitmap edge(256, 256, PixelFormat::Bits32);
  for (int i = 0; i < 256 * 256; ++i) {
    const int x = i % 256, y = i / 256;
    edge.setPixel(x, y, x >= 64 && x < 195 && y >= 51 && y < 204 ? kInk : Bgra{0, 0, 0, 0});
    if (x >= 195) edge.setPixel(x, y, {255, 255, 255, 0});
  }
  core::IconSet board;
  board.offerBitmap(SlotId::ic256, edge);
  board.offerBitmap(SlotId::ic48, test::pattern(48, 48, PixelFormat::Bits4));
  board.offerBitmap(SlotId::im16, test::solid(16, 16, PixelFormat::Bits1, core::kWhite));
  const core::IconSet before = board;
  ASSERT_TRUE(imageops::createAllSizes(board, SlotId::im16));  // a mask selected: the largest is used
  // Nothing enlarged; what was there stays, and a picture that was there gets no new mask.
  for (SlotId id : {SlotId::ic512, SlotId::ic1024, SlotId::im48}) EXPECT_FALSE(board.slot(id).picture);
  for (SlotId id : {SlotId::ic256, SlotId::ic48, SlotId::im16}) EXPECT_EQ(board.slot(id), before.slot(id));
  for (SlotId id : {SlotId::ic128, SlotId::ic32, SlotId::ic16, SlotId::ic12}) {
    const Bitmap& made = *board.slot(id).picture;
    const core::Slot& mask = board.slot(core::slotInfo(id).partner);
    ASSERT_TRUE(board.slot(id).depth == 7 && made.format() == PixelFormat::Bits32);
    EXPECT_EQ(mask.depth, id == SlotId::ic16 ? 1 : 3) << core::slotName(id);
    for (int i = 0; i < made.width() * core::slotInfo(id).iconHeight; ++i) {
      const Bgra c = made.pixel(i % made.width(), i / made.width());
      ASSERT_TRUE(id == SlotId::ic16 || mask.picture->index(i % made.width(), i / made.width()) == c.alpha);
      ASSERT_TRUE(c.alpha == 0 || (std::abs(c.red - kInk.red) <= 1 && std::abs(c.green - kInk.green) <= 1 &&
                                   std::abs(c.blue - kInk.blue) <= 1))
          << core::slotName(id) << " " << i << ": " << int(c.red) << " " << int(c.green) << " " << int(c.blue);
    }
  }
  const Bitmap &mini = *board.slot(SlotId::ic12).picture, &sixteen = *board.slot(SlotId::ic16).picture;
  for (int i = 0; i < 256; ++i) ASSERT_EQ(mini.pixel(i % 16, i / 16), i < 192 ? sixteen.pixel(i % 16, i / 16) : core::kWhite);
  // The black-and-white pair from ic32: opaque ink is black, imNB its alpha cut at half.
  const Bitmap &ic32 = *board.slot(SlotId::ic32).picture, &icNB = *board.slot(SlotId::icNB).picture;
  EXPECT_TRUE(board.slot(SlotId::icNB).depth == 1 && board.slot(SlotId::imNB).depth == 1);
  for (int i = 0; i < 32 * 32; ++i) {
    const int alpha = ic32.pixel(i % 32, i / 32).alpha;
    ASSERT_EQ(board.slot(SlotId::imNB).picture->index(i % 32, i / 32), alpha >= 128 ? 1 : 0);
    ASSERT_TRUE((alpha != 0 && alpha != 255) || icNB.index(i % 32, i / 32) == (alpha == 255 ? 1 : 0));
  }
  EXPECT_FALSE(imageops::createAllSizes(board, std::nullopt));
}

TEST(CreateAllSizes, ReducesTheSelectedPictureWithTheAlphaItIsShownWith) {
  core::IconSet board, unshaded;
  board.offerBitmap(SlotId::ic512, test::solid(512, 512, PixelFormat::Bits32, {0, 0, 255, 255}));
  board.offerBitmap(SlotId::ic128, test::solid(128, 128, PixelFormat::Bits8, {255, 0, 0, 255}));
  Bitmap mask(128, 128, PixelFormat::Bits1);  // opaque (black) in the top half only
  for (int i = 0; i < 128 * 64; ++i) mask.setIndex(i % 128, i / 128, 1);
  board.offerBitmap(SlotId::im128, mask);
  ASSERT_TRUE(imageops::createAllSizes(board, SlotId::ic128));
  EXPECT_FALSE(board.slot(SlotId::ic256).picture);
  EXPECT_EQ(board.slot(SlotId::ic32).picture->pixel(16, 2), (Bgra{255, 0, 0, 255})) << "ic128, not the red ic512";
  EXPECT_EQ(board.slot(SlotId::ic32).picture->pixel(16, 30).alpha, 0) << "transparent where its 1-bit mask is";
  // A 32-bit picture whose alpha is all 0 is shown, and so reduced, opaque; imNB is cut at 128.
  Bitmap shades = test::solid(32, 32, PixelFormat::Bits32, {9, 9, 9, 0});
  unshaded.offerBitmap(SlotId::ic32, shades);
  ASSERT_TRUE(imageops::createAllSizes(unshaded, std::nullopt));
  EXPECT_EQ(unshaded.slot(SlotId::ic16).picture->pixel(7, 7), (Bgra{9, 9, 9, 255}));
  shades.draw(test::solid(16, 32, PixelFormat::Bits32, {9, 9, 9, 128}), 16, 0);
  shades.draw(test::solid(16, 32, PixelFormat::Bits32, {9, 9, 9, 127}), 0, 0);
  board.wipeSlot(SlotId::icNB), board.wipeSlot(SlotId::imNB), board.wipeSlot(SlotId::ic32);
  board.offerBitmap(SlotId::ic32, shades);
  ASSERT_TRUE(imageops::createAllSizes(board, SlotId::ic32));
  EXPECT_TRUE(board.slot(SlotId::imNB).picture->index(15, 0) == 0 && board.slot(SlotId::imNB).picture->index(16, 0) == 1);
}

// The corpus's 1024-pixel picture reduced to every board size, against Pillow's LANCZOS resize
// of the same pixels, both compared premultiplied (where colour is what is seen).
TEST(Resize, AgreesWithPillowsLanczosOnPremultipliedColour) {
  VEXILO_REQUIRE_SHARED();
  VEXILO_REQUIRE_PILLOW();
  Bitmap source;
  for (auto& p : mac::decodeIcns(test::readFile(test::sharedDir() / "corpus/icns/pillow_pillow3.icns")).pictures)
    if (p.bitmap.width() == 1024) source = std::move(p.bitmap);
  ASSERT_TRUE(source.width() == 1024 && !source.alphaAllZero());
  test::TempDir dir;
  test::writeFile(dir / "source.png", *core::encodePng(source));
  const std::string script = "import sys\nfrom PIL import Image\nim = Image.open(sys.argv[1] + '/source.png').convert('RGBa')\n"
                             "for n in (512, 256, 128, 48, 32, 16):\n"
                             "  open('%s/%d' % (sys.argv[1], n), 'wb').write(im.resize((n, n), Image.LANCZOS).tobytes())\n";
  ASSERT_EQ(test::runCommand("/usr/bin/python3 -c " + test::shellQuote(script) + " " + test::shellQuote(dir.path())), 0);
  const std::vector<imageops::PictureSize> sizes = {{512, 512}, {256, 256}, {128, 128}, {48, 48}, {32, 32}, {16, 16}};
  const std::vector<Bitmap> reduced = imageops::resizeLanczos(source, sizes);
  for (std::size_t s = 0; s < sizes.size(); ++s) {
    const int n = sizes[s].width;
    const core::ByteBuffer theirs = test::readFile(dir / std::to_string(n));
    ASSERT_EQ(theirs.size(), std::size_t(n) * n * 4);
    double total = 0;
    int worst = 0;
    for (int i = 0; i < n * n; ++i) {
      const Bgra c = reduced[s].pixel(i % n, i / n);
      const int mine[4] = {c.red * c.alpha, c.green * c.alpha, c.blue * c.alpha, c.alpha * 255};
      for (int k = 0; k < 4; ++k) {
        const int d = std::abs((mine[k] + 127) / 255 - theirs[std::size_t(i) * 4 + k]);
        total += d, worst = std::max(worst, d);
      }
    }
    EXPECT_LE(total / (n * n * 4), 0.5) << n;  // a two-lobe window is off by 1 at 16 pixels
    EXPECT_LE(worst, 40) << n;
  }
}
