// The open command hands icon files, bitmaps, JPEG files and executables to these readers.
#include <gtest/gtest.h>

#include "core/bmp_codec.h"
#include "open/open_command.h"
#include "support/shared_data.h"
#include "support/temp_dir.h"
#include "win/bmp_jpeg.h"
#include "win/ico_writer.h"
#include "win_support.h"

using namespace vexilo;
using namespace vexilo::test;

TEST(OpenDispatch, EachWindowsKindReachesItsReader) {
  test::TempDir dir;
  const Bitmap picture = solid(32, 32, {10, 20, 30, 255});

  core::IconSet source;
  source.offerBitmap(SlotId::ic48, Bitmap(48, 48, PixelFormat::Bits32));
  test::writeFile(dir / "a.ico", win::writeIcoFamily(source));
  test::writeFile(dir / "b.bmp", core::encodeBmp(picture));
  test::writeFile(dir / "c.jpeg", *win::encodeJpeg(Bitmap(16, 16, PixelFormat::Bits32)));
  // An executable by its content, whatever its name says.
  test::writeFile(dir / "d.ico", core::ByteBuffer{'M', 'Z', 0, 0});

  Session s;
  open::openIconFile(s.ctx, (dir / "a.ico").string());
  EXPECT_EQ(s.board.slot(SlotId::ic48).depth, 7);
  EXPECT_EQ(s.board.slot(SlotId::im48).depth, 1);
  open::openIconFile(s.ctx, (dir / "b.bmp").string());
  EXPECT_EQ(*s.board.slot(SlotId::ic32).picture, picture);
  open::openIconFile(s.ctx, (dir / "c.jpeg").string());
  EXPECT_EQ(s.board.slot(SlotId::ic16).depth, 7);
  const core::IconSet before = s.board;
  open::openIconFile(s.ctx, (dir / "d.ico").string());  // no PE image: nothing happens
  EXPECT_TRUE(test::sameBoard(s.board, before));
  EXPECT_TRUE(s.prompter.infos.empty());
}
