// Create All Sizes and its resampler: Pillow's Lanczos filter as the reference, no fringe along
// transparent edges, pictures already there kept, nothing enlarged.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

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

namespace {

constexpr Bgra kInk{60, 90, 30, 255};

// A rectangle of one colour on transparent pixels whose colour bytes are black on the left and
// white on the right: resampled without premultiplication, its edges would turn dark or light.
Bitmap hardEdge(int side) {
  Bitmap b(side, side, PixelFormat::Bits32);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      const bool inside = x >= side / 4 && x < side * 3 / 4 + 3 && y >= side / 5 && y < side * 4 / 5;
      b.setPixel(x, y, inside ? kInk : x < side / 2 ? Bgra{0, 0, 0, 0} : Bgra{255, 255, 255, 0});
    }
  return b;
}

}  // namespace

TEST(CreateAllSizes, FillsOnlyEmptySmallerSlotsWithoutFringeAndMasksThemFromAlpha) {
  core::IconSet board;
  board.offerBitmap(SlotId::ic256, hardEdge(256));
  board.offerBitmap(SlotId::ic48, test::pattern(48, 48, PixelFormat::Bits4));
  board.offerBitmap(SlotId::im16, test::solid(16, 16, PixelFormat::Bits1, core::kWhite));
  const core::IconSet before = board;
  ASSERT_TRUE(imageops::createAllSizes(board, SlotId::im16));  // a mask selected: the largest is used
  // Nothing enlarged; what was there stays, and a picture that was there gets no new mask.
  for (SlotId id : {SlotId::ic512, SlotId::ic1024, SlotId::im48}) EXPECT_FALSE(board.slot(id).picture);
  for (SlotId id : {SlotId::ic256, SlotId::ic48, SlotId::im16}) EXPECT_EQ(board.slot(id), before.slot(id));
  for (SlotId id : {SlotId::ic128, SlotId::ic32, SlotId::ic16, SlotId::ic12}) {
    const core::Slot& made = board.slot(id);
    ASSERT_TRUE(made.depth == 7 && made.picture->format() == PixelFormat::Bits32);
    const core::Slot& mask = board.slot(core::slotInfo(id).partner);
    const bool newMask = id != SlotId::ic16;
    EXPECT_EQ(mask.depth, newMask ? 3 : 1) << core::slotName(id);
    int edge = 0;
    for (int y = 0; y < core::slotInfo(id).iconHeight; ++y)
      for (int x = 0; x < made.picture->width(); ++x) {
        const Bgra c = made.picture->pixel(x, y);
        ASSERT_TRUE(!newMask || mask.picture->index(x, y) == c.alpha) << core::slotName(id);
        if (c.alpha == 0) continue;
        edge += c.alpha < 255;
        ASSERT_TRUE(std::abs(c.red - kInk.red) <= 1 && std::abs(c.green - kInk.green) <= 1 &&
                    std::abs(c.blue - kInk.blue) <= 1)
            << core::slotName(id) << " " << x << "," << y << " " << int(c.red) << " " << int(c.green);
      }
    EXPECT_GT(edge, 0) << "the reduction smooths the edge";
  }
  const Bitmap &mini = *board.slot(SlotId::ic12).picture, &sixteen = *board.slot(SlotId::ic16).picture;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) ASSERT_EQ(mini.pixel(x, y), y < 12 ? sixteen.pixel(x, y) : core::kWhite);
  // The black-and-white pair from ic32: opaque ink is black, its alpha cut at half.
  const Bitmap &ic32 = *board.slot(SlotId::ic32).picture, &icNB = *board.slot(SlotId::icNB).picture,
               &imNB = *board.slot(SlotId::imNB).picture;
  EXPECT_TRUE(board.slot(SlotId::icNB).depth == 1 && board.slot(SlotId::imNB).depth == 1);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const int alpha = ic32.pixel(x, y).alpha;
      ASSERT_EQ(imNB.index(x, y), alpha >= 128 ? 1 : 0);
      ASSERT_TRUE((alpha != 0 && alpha != 255) || icNB.index(x, y) == (alpha == 255 ? 1 : 0));
    }
  const core::IconSet done = board;
  EXPECT_FALSE(imageops::createAllSizes(board, std::nullopt));
  EXPECT_EQ(board.slot(SlotId::ic16), done.slot(SlotId::ic16));
  core::IconSet empty;
  EXPECT_FALSE(imageops::createAllSizes(empty, SlotId::ic16));
}

TEST(CreateAllSizes, ReducesTheSelectedPictureWithTheAlphaItIsShownWith) {
  core::IconSet board;
  board.offerBitmap(SlotId::ic512, test::solid(512, 512, PixelFormat::Bits32, {0, 0, 255, 255}));
  board.offerBitmap(SlotId::ic128, test::solid(128, 128, PixelFormat::Bits8, {255, 0, 0, 255}));
  Bitmap mask(128, 128, PixelFormat::Bits1);  // opaque (black) in the top half only
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 128; ++x) mask.setIndex(x, y, 1);
  board.offerBitmap(SlotId::im128, mask);
  ASSERT_TRUE(imageops::createAllSizes(board, SlotId::ic128));
  EXPECT_FALSE(board.slot(SlotId::ic256).picture);
  const Bitmap& ic32 = *board.slot(SlotId::ic32).picture;
  EXPECT_EQ(ic32.pixel(16, 2), (Bgra{255, 0, 0, 255})) << "the 8-bit ic128, not the red ic512";
  EXPECT_EQ(ic32.pixel(16, 30).alpha, 0) << "transparent where its 1-bit mask is";
  // A 32-bit picture whose alpha is all 0 is shown, and so reduced, opaque; imNB is cut at 128.
  core::IconSet unshaded, halves;
  unshaded.offerBitmap(SlotId::ic32, test::solid(32, 32, PixelFormat::Bits32, {9, 9, 9, 0}));
  ASSERT_TRUE(imageops::createAllSizes(unshaded, std::nullopt));
  EXPECT_EQ(unshaded.slot(SlotId::ic16).picture->pixel(7, 7), (Bgra{9, 9, 9, 255}));
  Bitmap half = test::solid(32, 32, PixelFormat::Bits32, {9, 9, 9, 127});
  half.draw(test::solid(16, 32, PixelFormat::Bits32, {9, 9, 9, 128}), 16, 0);
  halves.offerBitmap(SlotId::ic32, half);
  ASSERT_TRUE(imageops::createAllSizes(halves, std::nullopt));
  EXPECT_TRUE(halves.slot(SlotId::imNB).picture->index(15, 0) == 0 && halves.slot(SlotId::imNB).picture->index(16, 0) == 1);
}

// The corpus's 1024-pixel picture reduced to every board size, against Pillow's LANCZOS resize
// of the same pixels, both compared premultiplied (where colour is what is seen).
TEST(Resize, AgreesWithPillowsLanczosOnPremultipliedColour) {
  VEXILO_REQUIRE_SHARED();
  VEXILO_REQUIRE_PILLOW();
  const auto family = mac::decodeIcns(test::readFile(test::sharedDir() / "corpus/icns/pillow_pillow3.icns"));
  const Bitmap* source = nullptr;
  for (const core::DecodedPicture& p : family.pictures)
    if (p.bitmap.width() == 1024) source = &p.bitmap;
  ASSERT_TRUE(source && !source->alphaAllZero());
  test::TempDir dir;
  test::writeFile(dir / "source.png", *core::encodePng(*source));
  const std::string script =
      "import sys\nfrom PIL import Image\nim = Image.open(sys.argv[1]).convert('RGBa')\n"
      "for n in (512, 256, 128, 48, 32, 16):\n"
      "  open('%s/%d' % (sys.argv[2], n), 'wb').write(im.resize((n, n), Image.LANCZOS).tobytes())\n";
  ASSERT_EQ(test::runCommand("/usr/bin/python3 -c " + test::shellQuote(script) + " " +
                             test::shellQuote((dir / "source.png").string()) + " " + test::shellQuote(dir.path().string())),
            0);
  const std::vector<imageops::PictureSize> sizes = {{512, 512}, {256, 256}, {128, 128}, {48, 48}, {32, 32}, {16, 16}};
  const std::vector<Bitmap> reduced = imageops::resizeLanczos(*source, sizes);
  for (std::size_t s = 0; s < sizes.size(); ++s) {
    const int n = sizes[s].width;
    const Bitmap& ours = reduced[s];
    const core::ByteBuffer theirs = test::readFile(dir / std::to_string(n));
    ASSERT_EQ(theirs.size(), std::size_t(n) * n * 4);
    double total = 0;
    int worst = 0;
    for (int i = 0; i < n * n; ++i) {
      const Bgra c = ours.pixel(i % n, i / n);
      const int mine[4] = {(c.red * c.alpha + 127) / 255, (c.green * c.alpha + 127) / 255,
                           (c.blue * c.alpha + 127) / 255, c.alpha};
      for (int k = 0; k < 4; ++k) {
        const int d = std::abs(mine[k] - theirs[std::size_t(i) * 4 + k]);
        total += d;
        worst = std::max(worst, d);
      }
    }
    EXPECT_LE(total / (n * n * 4), 0.5) << n;  // a two-lobe window is off by 1 at 16 pixels
    EXPECT_LE(worst, 40) << n;
  }
}
