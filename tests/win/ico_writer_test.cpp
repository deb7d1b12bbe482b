// The ICO writer and its two commands: layouts worked out by hand, round trips through the
// reader, and the written files read back by Pillow.
#include <gtest/gtest.h>

#include "support/shared_data.h"
#include "support/temp_dir.h"
#include "win/ico_reader.h"
#include "win/ico_writer.h"
#include "win_support.h"

using namespace vexilo;
using namespace vexilo::test;

namespace {

constexpr SlotId kFamily[] = {SlotId::ic16, SlotId::ic32, SlotId::ic48, SlotId::ic128};

// Fills the slots with colours and alpha that differ at every pixel, alpha 0 in the top-left
// corner, seeds from `seed` on.
void fill(core::IconSet& board, std::initializer_list<SlotId> slots, int seed) {
  for (SlotId slot : slots) {
    Bitmap b(core::controlSize(slot).width, core::controlSize(slot).height, PixelFormat::Bits32);
    for (int y = 0; y < b.height(); ++y)
      for (int x = 0; x < b.width(); ++x)
        b.setPixel(x, y, {std::uint8_t(x * 3 + seed), std::uint8_t(y * 5), std::uint8_t(seed * 7 + x * y),
                          std::uint8_t(x + y < 4 ? 0 : (x * 16 + y * 3) % 256)});
    board.offerBitmap(slot, b);
    ++seed;
  }
}

// Each entry's image offset and byte count.
std::vector<std::uint32_t> directory(const ByteBuffer& file) {
  std::vector<std::uint32_t> out;
  for (std::size_t i = 0; i < file[4]; ++i)
    for (std::size_t at : {12, 8}) out.push_back(core::readLE32(file.data() + 6 + 16 * i + at));
  return out;
}

}  // namespace

TEST(IcoWriter, OneEntryFileByHand) {
  core::IconSet board;
  fill(board, {SlotId::ic32}, 1);
  const Bitmap picture = *board.slot(SlotId::ic32).picture;
  const ByteBuffer file = win::writeIcoFamily(board);  // one filled slot: the one-entry file
  ASSERT_EQ(file.size(), 4286u);
  EXPECT_EQ(ByteBuffer(file.begin(), file.begin() + 62),
            (ByteBuffer{0, 0, 1, 0, 1, 0,                // reserved, icon, one entry
                        32, 32, 0, 0, 1, 0, 32, 0,       // 32x32, planes 1, 32 bits
                        0xA8, 0x10, 0, 0, 22, 0, 0, 0,   // 4,264 bytes at 22
                        40, 0, 0, 0, 32, 0, 0, 0, 64, 0, 0, 0, 1, 0, 32, 0, 0, 0, 0, 0,
                        0x80, 0x10, 0, 0,  // image size 4,096 + 128
                        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  // XOR rows bottom row first, blue, green, red, alpha as the picture holds them; the AND mask 0.
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const std::size_t at = 62 + (static_cast<std::size_t>(31 - y) * 32 + x) * 4;
      ASSERT_EQ(Bgra({file[at], file[at + 1], file[at + 2], file[at + 3]}), picture.pixel(x, y)) << x << "," << y;
    }
  EXPECT_EQ(ByteBuffer(file.end() - 128, file.end()), ByteBuffer(128, 0));
}

TEST(IcoWriter, FamilyLayoutsAndRoundTrips) {
  core::IconSet none, board;
  EXPECT_EQ(win::writeIcoFamily(none), (ByteBuffer{0, 0, 1, 0, 0, 0}));
  // Mask, black-and-white and 16x12 slots are never part of the family; 128 is written 0x80,
  // its header height counting both bitmaps.
  fill(board, {SlotId::im48, SlotId::icNB, SlotId::ic12, SlotId::ic128}, 2);
  const ByteBuffer f1 = win::writeIcoFamily(board);
  EXPECT_EQ(ByteBuffer(f1.begin() + 4, f1.begin() + 8), (ByteBuffer{1, 0, 0x80, 0x80}));
  EXPECT_EQ(core::readLE32(f1.data() + 22 + 8), 256u);
  fill(board, {SlotId::ic16, SlotId::ic32, SlotId::ic48, SlotId::ic128}, 7);
  const ByteBuffer f4 = win::writeIcoFamily(board);
  EXPECT_EQ(directory(f4), (std::vector<std::uint32_t>{70, 1128, 1198, 4264, 5462, 9640, 15102, 67624}));
  // Read back: the colour pictures in family order, each with a wholly opaque mask.
  const core::DecodedFamily back = win::decodeIco(f4);
  ASSERT_EQ(back.pictures.size(), 8u);
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_TRUE(back.pictures[2 * i].slot == kFamily[i] && back.pictures[2 * i].bitmap == *board.slot(kFamily[i]).picture);
    const Bitmap& mask = back.pictures[2 * i + 1].bitmap;
    EXPECT_EQ(mask, Bitmap(mask.width(), mask.width(), PixelFormat::Bits1, {core::Rgb{0, 0, 0}, core::Rgb{255, 255, 255}})) << i;
  }
  // ic12: a 16x16 entry, the 16x12 picture in the top rows, white below. An indexed picture
  // becomes 32 bits in place, colours kept.
  Bitmap indexed(48, 48, PixelFormat::Bits4);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 48; ++x) indexed.setIndex(x, y, (x / 3 + y) % 16);
  board.wipeSlot(SlotId::ic12);
  board.offerBitmap(SlotId::ic12, solid(16, 12, {1, 2, 3, 200}));
  board.wipeSlot(SlotId::ic48);
  board.offerBitmap(SlotId::ic48, indexed);
  const Bitmap small = win::decodeIco(*win::writeIcoImage(board, SlotId::ic12)).pictures.at(0).bitmap;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      ASSERT_EQ(small.pixel(x, y), y < 12 ? Bgra({1, 2, 3, 200}) : core::kWhite) << x << "," << y;
  const ByteBuffer f48 = *win::writeIcoImage(board, SlotId::ic48);
  indexed.convertTo(PixelFormat::Bits32);
  EXPECT_EQ(*board.slot(SlotId::ic48).picture, indexed);
  EXPECT_EQ(win::decodeIco(f48).pictures.at(0).bitmap, indexed);
  // An empty slot is written white and opaque.
  const ByteBuffer blank = *win::writeIcoImage(none, SlotId::ic128);
  EXPECT_EQ(ByteBuffer(blank.begin() + 62, blank.begin() + 62 + 65536), ByteBuffer(65536, 0xFF));
}

// Each written entry read by Pillow gives the picture's RGBA values, alpha 0 where it is 0.
TEST(IcoWriter, PillowReadsTheWrittenFile) {
  VEXILO_REQUIRE_PILLOW();
  core::IconSet board;
  fill(board, {SlotId::ic16, SlotId::ic32, SlotId::ic48, SlotId::ic128}, 21);
  const ByteBuffer file = win::writeIcoFamily(board);
  TempDir dir;
  for (int i = 0; i < 4; ++i) {
    const Bitmap& picture = *board.slot(kFamily[i]).picture;
    writeFile(dir / "single.ico", singleEntryIco(file, i));
    const auto ref = decodeWithPillow(dir / "single.ico");
    ASSERT_TRUE(ref && ref->width == picture.width());
    EXPECT_TRUE(matchesReference(picture, *ref, 0, true)) << i;
    for (int y = 0; y < ref->height; ++y)
      for (int x = 0; x < ref->width; ++x) ASSERT_EQ(ref->at(x, y)[3] == 0, picture.pixel(x, y).alpha == 0);
  }
}

// Windows Icon saves the family, Icon File the selected slot; an existing file is replaced only
// when the answer is Yes; pasteboard and palette images have no icon size and are refused
// before any dialog.
TEST(IcoCommands, SaveTheFamilyOrTheSelectedSlot) {
  TempDir dir;
  Session s;
  fill(s.board, {SlotId::ic16, SlotId::ic48}, 1);
  const auto path = (dir / "family.ico").string();
  s.prompter.paths = {path, path, path};
  s.prompter.answers = {false, true};
  EXPECT_EQ(win::wicClick(s.ctx), core::Outcome::Written);
  ASSERT_TRUE(oneSaveDialog(s.prompter, 6423, 6440));
  EXPECT_EQ(readFile(path), win::writeIcoFamily(s.board));
  s.board.select(SlotId::ic48);
  EXPECT_EQ(win::icoClick(s.ctx), core::Outcome::Cancelled);
  EXPECT_EQ(readFile(path), win::writeIcoFamily(s.board));
  EXPECT_EQ(win::icoClick(s.ctx), core::Outcome::Written);
  EXPECT_EQ(readFile(path), win::writeIcoImage(s.board, SlotId::ic48));
  EXPECT_FALSE(win::writeIcoImage(s.board, SlotId::PB16));
  for (SlotId id : {SlotId::PB32, SlotId::ipal256}) {
    Session other;
    other.board.select(id);
    EXPECT_EQ(win::icoClick(other.ctx), core::Outcome::Refused);
    EXPECT_TRUE(other.prompter.saveDialogs.empty());
  }
}
