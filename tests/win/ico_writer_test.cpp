// The ICO writer and its two commands: layouts worked out by hand, round trips through the
// reader, and the files read back by Pillow and icotool.
#include <gtest/gtest.h>

#include "core/string_table.h"
#include "support/shared_data.h"
#include "support/temp_dir.h"
#include "win/ico_reader.h"
#include "win/ico_writer.h"
#include "win_support.h"

using namespace vexilo;
using namespace vexilo::test;

namespace {

// Colours and alpha that differ at every pixel, alpha 0 in the top-left corner.
Bitmap pattern(int w, int h, int seed) {
  Bitmap b(w, h, PixelFormat::Bits32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.setPixel(x, y, {static_cast<std::uint8_t>(x * 3 + seed), static_cast<std::uint8_t>(y * 5),
                        static_cast<std::uint8_t>(seed * 7 + x * y),
                        static_cast<std::uint8_t>(x + y < 4 ? 0 : (x * 16 + y * 3) % 256)});
  return b;
}

void fill(core::IconSet& board, SlotId slot, int seed) {
  const core::SlotSize size = core::controlSize(slot);
  board.offerBitmap(slot, pattern(size.width, size.height, seed));
}

// The four family slots filled, seeds from `seed` on.
core::IconSet familyBoard(int seed) {
  core::IconSet board;
  for (SlotId id : {SlotId::ic16, SlotId::ic32, SlotId::ic48, SlotId::ic128}) fill(board, id, seed++);
  return board;
}

std::uint32_t le32(const ByteBuffer& b, std::size_t at) { return core::readLE32(b.data() + at); }
std::uint16_t le16(const ByteBuffer& b, std::size_t at) { return core::readLE16(b.data() + at); }

// The image offsets of the directory.
std::vector<std::uint32_t> offsets(const ByteBuffer& file) {
  std::vector<std::uint32_t> out;
  for (std::size_t i = 0; i < le16(file, 4); ++i) out.push_back(le32(file, 6 + 16 * i + 12));
  return out;
}

}  // namespace

TEST(IcoWriter, OneEntryFileByHand) {
  core::IconSet board;
  fill(board, SlotId::ic32, 1);
  const Bitmap picture = *board.slot(SlotId::ic32).picture;
  const ByteBuffer file = win::writeIcoFamily(board);  // one filled slot: the one-entry file

  ASSERT_EQ(file.size(), 4286u);
  EXPECT_EQ(ByteBuffer(file.begin(), file.begin() + 22),
            (ByteBuffer{0, 0, 1, 0, 1, 0,                    // reserved, icon, one entry
                        32, 32, 0, 0, 1, 0, 32, 0,           // 32x32, planes 1, 32 bits
                        0xA8, 0x10, 0, 0, 22, 0, 0, 0}));    // 4,264 bytes at 22
  EXPECT_EQ(ByteBuffer(file.begin() + 22, file.begin() + 62),
            (ByteBuffer{40, 0, 0, 0, 32, 0, 0, 0, 64, 0, 0, 0, 1, 0, 32, 0, 0, 0, 0, 0,
                        0x80, 0x10, 0, 0,  // image size 4,096 + 128
                        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  // XOR rows bottom row first, blue, green, red, alpha as the picture holds them.
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const std::size_t at = 62 + (static_cast<std::size_t>(31 - y) * 32 + x) * 4;
      const Bgra p = picture.pixel(x, y);
      ASSERT_EQ(Bgra({file[at], file[at + 1], file[at + 2], file[at + 3]}), p) << x << "," << y;
    }
  EXPECT_EQ(file[62 + 31 * 128 + 3], 0);  // pixel (0, 0): alpha 0 is written as 0
  EXPECT_TRUE(std::all_of(file.end() - 128, file.end(), [](std::uint8_t b) { return b == 0; }));
}

TEST(IcoWriter, FamilyOffsetsFollowTheFilledSlotsAndReadBack) {
  core::IconSet none;
  EXPECT_EQ(win::writeIcoFamily(none), (ByteBuffer{0, 0, 1, 0, 0, 0}));

  // Mask, black-and-white and 16x12 slots are never part of the family.
  core::IconSet two;
  fill(two, SlotId::ic128, 2);
  fill(two, SlotId::im48, 3);
  fill(two, SlotId::icNB, 4);
  fill(two, SlotId::ic12, 5);
  fill(two, SlotId::ic16, 6);
  const ByteBuffer f2 = win::writeIcoFamily(two);
  EXPECT_EQ(le16(f2, 4), 2);
  EXPECT_EQ(offsets(f2), (std::vector<std::uint32_t>{38, 1166}));
  EXPECT_EQ(f2.size(), 38u + 1128u + 67624u);
  // The 128 entry: width and height bytes 0x80, 67,624 bytes, an AND stride of 16.
  EXPECT_EQ(f2[22], 0x80);
  EXPECT_EQ(f2[23], 0x80);
  EXPECT_EQ(le32(f2, 22 + 8), 67624u);
  EXPECT_EQ(le32(f2, 1166 + 8), 256u);           // header height: both bitmaps
  EXPECT_EQ(le32(f2, 1166 + 20), 65536u + 2048u);  // XOR + 128 rows of 16 bytes

  core::IconSet board = familyBoard(7);
  const ByteBuffer f4 = win::writeIcoFamily(board);
  EXPECT_EQ(offsets(f4), (std::vector<std::uint32_t>{70, 1198, 5462, 15102}));
  EXPECT_EQ(f4.size(), 15102u + 67624u);
  for (std::size_t i = 0; i < 4; ++i)  // 16, 32, 48, 128 in this order
    EXPECT_EQ(f4[6 + 16 * i], (ByteBuffer{16, 32, 48, 0x80})[i]);

  // Read back on a fresh board: the same colour pictures, wholly opaque masks.
  Session back;
  win::readIcoBytes(back.ctx, f4);
  for (auto [colour, mask] : {std::pair{SlotId::ic16, SlotId::im16}, std::pair{SlotId::ic32, SlotId::im32},
                              std::pair{SlotId::ic48, SlotId::im48}, std::pair{SlotId::ic128, SlotId::im128}}) {
    SCOPED_TRACE(core::slotName(colour));
    EXPECT_EQ(back.board.slot(colour).picture, board.slot(colour).picture);
    EXPECT_EQ(back.board.slot(colour).depth, 7);
    const int size = core::controlSize(colour).width;
    EXPECT_TRUE(test::maskOpaque(*back.board.slot(mask).picture, size, size));
  }
}

TEST(IcoWriter, WritesTheControlSizeAndConvertsOtherDepths) {
  core::IconSet board;
  // ic12: a 16x16 entry, the 16x12 picture in the top rows, white below.
  const Bitmap small = pattern(16, 12, 9);
  board.offerBitmap(SlotId::ic12, small);
  const ByteBuffer f = *win::writeIcoImage(board, SlotId::ic12);
  ASSERT_EQ(f.size(), 22u + 1128u);
  EXPECT_EQ(f[6], 16);
  EXPECT_EQ(f[7], 16);
  Session back;
  win::readIcoBytes(back.ctx, f);
  const Bitmap& read = *back.board.slot(SlotId::ic16).picture;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      ASSERT_EQ(read.pixel(x, y), y < 12 ? small.pixel(x, y) : core::kWhite) << x << "," << y;

  // An indexed picture becomes 32 bits in place, colours kept; an empty slot is white opaque.
  Bitmap indexed(48, 48, PixelFormat::Bits4);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 48; ++x) indexed.setIndex(x, y, (x / 3 + y) % 16);
  board.offerBitmap(SlotId::ic48, indexed);
  const ByteBuffer f48 = *win::writeIcoImage(board, SlotId::ic48);
  EXPECT_EQ(board.slot(SlotId::ic48).picture->format(), PixelFormat::Bits32);
  Session back48;
  win::readIcoBytes(back48.ctx, f48);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 48; ++x)
      ASSERT_EQ(back48.board.slot(SlotId::ic48).picture->pixel(x, y), indexed.pixel(x, y));

  const ByteBuffer blank = *win::writeIcoImage(board, SlotId::ic128);
  EXPECT_TRUE(std::all_of(blank.begin() + 62, blank.begin() + 62 + 65536,
                          [](std::uint8_t b) { return b == 0xFF; }));

  // Pasteboard and palette images have no icon size: no file, and the command refuses them
  // before any dialog.
  EXPECT_FALSE(win::writeIcoImage(board, SlotId::PB16));
  Session session;
  session.board.select(SlotId::ipal256);
  EXPECT_EQ(win::icoClick(session.ctx), core::Outcome::Refused);
  EXPECT_TRUE(session.prompter.saveDialogs.empty());
}

// The files read by two independent decoders give the pictures' RGBA values.
TEST(IcoWriter, PillowAndIcotoolReadTheWrittenFile) {
  VEXILO_REQUIRE_PILLOW();
  VEXILO_REQUIRE_ICOUTILS();
  core::IconSet board = familyBoard(21);
  const ByteBuffer file = win::writeIcoFamily(board);
  test::TempDir dir;
  test::writeFile(dir / "family.ico", file);

  auto agrees = [](const Bitmap& picture, const test::RgbaImage& ref) {
    if (ref.width != picture.width() || ref.height != picture.height())
      return ::testing::AssertionFailure() << "size " << ref.width << "x" << ref.height;
    for (int y = 0; y < ref.height; ++y)
      for (int x = 0; x < ref.width; ++x)
        if ((ref.at(x, y)[3] == 0) != (picture.pixel(x, y).alpha == 0))
          return ::testing::AssertionFailure() << "alpha 0 at " << x << "," << y;
    return test::matchesReference(picture, ref, 0, true);
  };
  const auto icotool = test::decodeWithIcotool(dir / "family.ico");
  ASSERT_EQ(icotool.size(), 4u);
  int index = 0;
  for (SlotId id : {SlotId::ic16, SlotId::ic32, SlotId::ic48, SlotId::ic128}) {
    SCOPED_TRACE(core::slotName(id));
    const Bitmap& picture = *board.slot(id).picture;
    EXPECT_TRUE(agrees(picture, icotool.at(index + 1)));
    const auto single = dir / ("entry" + std::to_string(index) + ".ico");
    test::writeFile(single, test::singleEntryIco(file, index));
    const auto pillow = test::decodeWithPillow(single);
    ASSERT_TRUE(pillow);
    EXPECT_TRUE(agrees(picture, *pillow));
    ++index;
  }
}

TEST(IcoCommands, WindowsIconSavesTheFamilyAndIconFileTheSelectedSlot) {
  test::TempDir dir;
  Session s;
  fill(s.board, SlotId::ic16, 1);
  fill(s.board, SlotId::ic48, 2);
  const auto path = (dir / "family.ico").string();
  s.prompter.paths.push_back(path);
  win::wicClick(s.ctx);
  ASSERT_TRUE(oneSaveDialog(s.prompter, core::loadLocalString(6423, 0), core::loadLocalString(6440, 0),
                            "ico", "*.ico"));
  EXPECT_EQ(test::readFile(path), win::writeIcoFamily(s.board));
  EXPECT_TRUE(s.prompter.questions.empty());

  // The selected slot alone; the existing file is replaced only when the answer is Yes.
  s.board.select(SlotId::ic48);
  s.prompter.paths.push_back(path);
  s.prompter.answers.push_back(false);
  win::icoClick(s.ctx);
  EXPECT_EQ(s.prompter.questions.size(), 1u);
  EXPECT_EQ(test::readFile(path), win::writeIcoFamily(s.board));
  s.prompter.paths.push_back(path);
  s.prompter.answers.push_back(true);
  win::icoClick(s.ctx);
  EXPECT_EQ(test::readFile(path), win::writeIcoImage(s.board, SlotId::ic48));
  EXPECT_EQ(test::readFile(path).size(), 22u + 9640u);

  // Cancel writes nothing; the texts follow the language in use.
  Session french;
  french.ctx.langOffset = core::kFrench;
  win::wicClick(french.ctx);
  ASSERT_EQ(french.prompter.saveDialogs.size(), 1u);
  EXPECT_EQ(french.prompter.saveDialogs[0].title, core::loadLocalString(6423, core::kFrench));
  EXPECT_TRUE(french.prompter.infos.empty());
}
