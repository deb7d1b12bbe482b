// .iconset folders: read through the import dispatch, written as PNG files of their names' sizes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "core/png_codec.h"
#include "core/string_table.h"
#include "imageops/all_sizes.h"
#include "imageops/resize.h"
#include "open/iconset.h"
#include "open/open_command.h"
#include "support/fake_prompter.h"
#include "support/oracle.h"
#include "support/temp_dir.h"

using namespace vexilo;
using core::Bitmap;
using core::SlotId;
namespace fs = std::filesystem;

namespace {

// Every byte its own, alpha included (transparent pixels keep a colour of their own too).
Bitmap noise(int side, unsigned seed) {
  Bitmap b(side, side, core::PixelFormat::Bits32);
  for (std::uint8_t& byte : b.data()) byte = static_cast<std::uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
  return b;
}

std::string message(int id, const fs::path& path) { return core::formatMessage(core::lookupString(id), path.string()); }

class Iconset : public ::testing::Test {
 protected:
  test::TempDir dir;
  core::IconSet board;
  test::FakePrompter prompter;
  core::CommandContext ctx{board, prompter};
};

}  // namespace

TEST_F(Iconset, RoundTripKeepsEveryPixelAndPillowReadsEachFileAtItsNamesSize) {
  VEXILO_REQUIRE_PILLOW();
  for (int side : {16, 32, 48, 128, 256, 512, 1024}) board.offerBitmap(*core::colourSlotOf(side, side), noise(side, side));
  ASSERT_EQ(open::writeIconsetFolder(ctx, dir / "a.iconset"), core::Outcome::Written);
  for (const open::IconsetFile& file : open::kIconsetFiles) {
    const auto image = test::decodeWithPillow(dir / "a.iconset" / file.name);
    ASSERT_TRUE(image && image->width == file.pixels && image->height == file.pixels) << file.name;
    const auto slot = core::colourSlotOf(file.pixels, file.pixels);  // 64: reduced from ic128, the next larger
    const Bitmap expected = slot ? *board.slot(*slot).picture
                                 : imageops::resizeLanczos(*board.slot(SlotId::ic128).picture, {{{64, 64}}}).front();
    for (int i = 0; i < file.pixels * file.pixels; ++i) {
      const core::Bgra c = expected.pixel(i % file.pixels, i / file.pixels);
      const std::uint8_t* p = image->rgba.data() + std::size_t(i) * 4;
      ASSERT_TRUE(p[0] == c.red && p[1] == c.green && p[2] == c.blue && p[3] == c.alpha) << file.name;
    }
  }
  // Folder in, folder out: the same slots (ic48 has no file), the same files.
  core::IconSet back;
  core::CommandContext readBack{back, prompter};
  open::openIconFile(readBack, (dir / "a.iconset/").string());
  board.wipeSlot(SlotId::ic48);
  for (SlotId id : imageops::kSquareColourSlots) EXPECT_EQ(back.slot(id), board.slot(id)) << core::slotName(id);
  ASSERT_TRUE(prompter.infos.empty() && open::writeIconsetFolder(readBack, dir / "b.iconset") == core::Outcome::Written);
  for (const open::IconsetFile& file : open::kIconsetFiles)
    EXPECT_EQ(test::readFile(dir / "a.iconset" / file.name), test::readFile(dir / "b.iconset" / file.name)) << file.name;
}

TEST_F(Iconset, AnExistingFolderIsAskedAboutOnceAndOneThatCannotBeMadeIsReported) {
  EXPECT_EQ(open::saveIconset(ctx, {}), core::Outcome::Refused);
  EXPECT_TRUE(prompter.saveDialogs.empty() && fs::is_empty(dir.path())) << "nothing to write, nothing asked";
  board.offerBitmap(SlotId::ic16, noise(16, 1));
  const fs::path folder = dir / "x.iconset";
  fs::create_directory(folder);
  EXPECT_EQ(open::writeIconsetFolder(ctx, folder), core::Outcome::Written) << "no file of the list: no question";
  fs::remove(folder / "icon_16x16.png");
  for (const char* name : {"icon_32x32.png", "notes.txt"}) test::writeFile(folder / name, core::ByteBuffer{'o', 'l', 'd'});
  EXPECT_EQ(open::writeIconsetFolder(ctx, folder), core::Outcome::Cancelled);
  EXPECT_TRUE(prompter.questions == std::vector<std::string>{message(1051, folder)} && !fs::exists(folder / "icon_16x16.png"));
  prompter.answers = {true};
  prompter.paths = {folder.string()};
  EXPECT_TRUE(open::saveIconset(ctx, {}) == core::Outcome::Written && prompter.questions.size() == 2u);
  EXPECT_TRUE(fs::exists(folder / "icon_16x16.png") && !fs::exists(folder / "icon_32x32.png") && fs::exists(folder / "notes.txt"));
  for (const fs::path& bad : {dir / "no/such.iconset", folder / "notes.txt"}) {
    EXPECT_EQ(open::writeIconsetFolder(ctx, bad), core::Outcome::Failed);
    EXPECT_EQ(prompter.infos.back(), message(1041, bad));
  }
  EXPECT_TRUE(!fs::exists(dir / "no") && test::readFile(folder / "notes.txt") == core::ByteBuffer({'o', 'l', 'd'}));
}

TEST_F(Iconset, OnlyTheListsRegularFilesAreReadOneXFirstAndWithinTheLimit) {
  const fs::path folder = dir / "Y.ICONSET";
  fs::create_directory(folder);
  open::openIconFile(ctx, folder.string());
  EXPECT_EQ(prompter.infos, std::vector<std::string>{message(6422, folder)}) << "an empty folder";
  const Bitmap own = noise(32, 2);
  test::writeFile(folder / "icon_16x16@2x.png", *core::encodePng(noise(32, 3)));
  test::writeFile(folder / "icon_32x32.png", *core::encodePng(own));
  test::writeFile(folder / "icon_64x64.png", *core::encodePng(noise(16, 4)));  // not of the list
  test::writeFile(folder / "icon_128x128.png", core::ByteBuffer{'h', 'i'});
  fs::create_directory(folder / "icon_16x16.png");
  test::writeFile(folder / "icon_256x256.png", *core::encodePng(noise(256, 5)));
  fs::resize_file(folder / "icon_256x256.png", core::kMaxEmbeddedBytes + 1);  // a PNG, and more
  ASSERT_EQ(::mkfifo((folder / "icon_512x512.png").c_str(), 0600), 0);  // reading would wait forever
  prompter.infos.clear();
  open::openIconFile(ctx, folder.string());
  EXPECT_EQ(*board.slot(SlotId::ic32).picture, own);
  EXPECT_FALSE(board.slot(SlotId::ic16).filled() || board.slot(SlotId::ic256).filled());
  EXPECT_EQ(prompter.infos, (std::vector<std::string>{message(6422, folder / "icon_16x16.png"),
                                                      message(6422, folder / "icon_128x128.png"),
                                                      message(6422, folder / "icon_256x256.png"),
                                                      message(6422, folder / "icon_512x512.png")}));
  test::writeFile(dir / "f.iconset", core::ByteBuffer{'i', 'c', 'n', 's'});
  EXPECT_TRUE(open::isIconsetFolder(folder.string() + "/"));
  EXPECT_FALSE(open::isIconsetFolder(dir / "f.iconset") || open::isIconsetFolder(dir.path()));
}
