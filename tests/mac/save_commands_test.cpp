// The Macintosh save commands: MacBinary layouts, reading back, and an independent splitter.
#include <gtest/gtest.h>

#include <cstring>

#include "core/string_table.h"
#include "mac/envelopes.h"
#include "mac/icns.h"
#include "mac/save_commands.h"
#include "support/fake_prompter.h"
#include "support/oracle.h"
#include "support/shared_data.h"
#include "support/temp_dir.h"

using namespace vexilo;
using core::SlotId;

namespace {

core::Bitmap icon(int size, std::uint8_t alphaInside) {
  core::Bitmap b(size, size, core::PixelFormat::Bits32);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const bool inside = x > 2 && y > 2 && x < size - 3 && y < size - 3;
      b.setPixel(x, y, inside ? core::Bgra{static_cast<std::uint8_t>(x * 5), 90, static_cast<std::uint8_t>(y * 3), alphaInside}
                              : core::Bgra{255, 255, 255, 0});
    }
  return b;
}

core::Bitmap opaque(int size) {
  core::Bitmap b = icon(size, 255);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      core::Bgra c = b.pixel(x, y);
      c.alpha = 255;
      b.setPixel(x, y, c);
    }
  return b;
}

class MacSave : public ::testing::Test {
 protected:
  core::CommandContext ctx() { return {board, prompter, 0}; }
  std::string target(const char* name) {
    const std::string path = (dir / name).string();
    prompter.paths.push_back(path);
    return path;
  }
  core::IconSet readBack(const std::string& path) {
    core::IconSet back;
    test::FakePrompter quiet;
    core::CommandContext c{back, quiet, 0};
    const auto bytes = test::readFile(path);
    EXPECT_TRUE(mac::isMacBinary(std::span<const std::uint8_t, 128>(bytes.data(), 128), bytes.size()));
    mac::readMacBinaryBytes(c, bytes, path);
    return back;
  }

  test::TempDir dir;
  core::IconSet board;
  test::FakePrompter prompter;
};

}  // namespace

TEST_F(MacSave, DataOnlyOfABoardWithoutColourIconsIsAnEmptyIcns) {
  board.offerBitmap(SlotId::im32, icon(32, 255));
  board.offerBitmap(SlotId::ic12, icon(16, 255));
  auto c = ctx();
  const std::string path = target("a.icns");
  mac::saveDataFork(c);
  EXPECT_EQ(test::readFile(path), (core::ByteBuffer{'i', 'c', 'n', 's', 0, 0, 0, 8}));
  EXPECT_EQ(prompter.saveDialogs.at(0).title, "Saving an icns File");
}

TEST_F(MacSave, ResourceOnlyAndBothForksLayouts) {
  board.offerBitmap(SlotId::ic32, opaque(32));
  const core::ByteBuffer icns = mac::writeIcnsFamily(board);
  const std::size_t forkSize = 256 + 4 + icns.size() + 50;
  auto c = ctx();

  const std::string resourceOnly = target("r.bin");
  mac::saveResourceFork(c);
  const core::ByteBuffer r = test::readFile(resourceOnly);
  EXPECT_EQ(r.size(), 128 + (forkSize + 127) / 128 * 128);
  EXPECT_EQ(core::readBE32(&r[83]), 0u);
  EXPECT_EQ(core::readBE32(&r[87]), forkSize);
  EXPECT_EQ(core::readBE32(&r[128]), 256u) << "the fork starts at 128";
  EXPECT_EQ(std::memcmp(&r[1], "\x05Icon\r", 6), 0);
  EXPECT_EQ(std::memcmp(&r[65], "ICNSMACS\x40", 9), 0);
  EXPECT_EQ(core::readBE32(&r[91]), core::readBE32(&r[95])) << "creation and modification dates";
  EXPECT_EQ(prompter.saveDialogs.back().initialName, "*.bin");

  const std::string both = target("b.bin");
  mac::saveBothForks(c);
  const core::ByteBuffer b = test::readFile(both);
  const std::size_t paddedData = (icns.size() + 127) / 128 * 128;
  EXPECT_EQ(core::readBE32(&b[83]), icns.size());
  EXPECT_TRUE(std::equal(icns.begin(), icns.end(), b.begin() + 128));
  EXPECT_TRUE(std::all_of(b.begin() + 128 + static_cast<std::ptrdiff_t>(icns.size()),
                          b.begin() + 128 + static_cast<std::ptrdiff_t>(paddedData), [](auto v) { return v == 0; }));
  EXPECT_EQ(core::readBE32(&b[128 + paddedData]), 256u);
  EXPECT_EQ(b.size() % 128, 0u) << "the resource fork is padded too";

  for (const std::string& path : {resourceOnly, both}) {
    const core::IconSet back = readBack(path);
    EXPECT_EQ(back.slot(SlotId::ic32).depth, 7) << path;
    EXPECT_EQ(back.slot(SlotId::ic32).picture, board.slot(SlotId::ic32).picture) << path;
  }
}

TEST_F(MacSave, ResourceCopyOfOneImageAlwaysEndsInBin) {
  board.offerBitmap(SlotId::ic48, icon(48, 200));
  board.select(SlotId::ic48);
  const std::string chosen = (dir / "a.icns").string();
  test::writeFile(chosen + ".bin", core::ByteBuffer{1});
  prompter.paths = {chosen, chosen};
  prompter.answers = {false, true};
  auto c = ctx();
  mac::saveSlotAsResource(c);
  ASSERT_EQ(prompter.questions.size(), 1u);
  EXPECT_NE(prompter.questions[0].find("a.icns.bin"), std::string::npos);
  EXPECT_EQ(test::readFile(chosen + ".bin"), core::ByteBuffer{1});
  mac::saveSlotAsResource(c);
  EXPECT_EQ(readBack(chosen + ".bin").slot(SlotId::ic48).depth, 7);
  EXPECT_FALSE(std::filesystem::exists(chosen));

  board.select(SlotId::PB32);  // no icon size: refused before any dialog
  mac::saveSlotAsResource(c);
  EXPECT_EQ(prompter.saveDialogs.size(), 2u);
}

TEST_F(MacSave, CustomIconFromAnEightBitImageKeysItsMask) {
  core::Bitmap picture(32, 32, core::PixelFormat::Bits32);
  picture.fill(core::kWhite);
  for (int x = 4; x < 20; ++x) picture.setPixel(x, 10, {0, 0, 255, 255});
  picture.convertTo(core::PixelFormat::Bits8);
  board.offerBitmap(SlotId::ic32, picture);
  board.offerBitmap(SlotId::ic48, icon(48, 255));
  auto c = ctx();
  const auto icns = mac::customIconIcns(c);
  ASSERT_TRUE(icns);
  EXPECT_EQ(std::memcmp(&(*icns)[8], "ICN#\0\0\x01\x08", 8), 0);
  const std::uint8_t* bits = &(*icns)[16];
  EXPECT_EQ(std::memcmp(bits, bits + 128, 128), 0) << "image and mask are the same bitmap";
  EXPECT_EQ(bits[10 * 4], 0x0F) << "pixels 4-7 of row 10 set";
  EXPECT_EQ(bits[10 * 4 + 1], 0xFF);
  EXPECT_EQ(bits[0], 0);
  EXPECT_TRUE(board.slot(SlotId::im32).picture) << "the keyed mask now shows in im32";
  EXPECT_EQ(board.slot(SlotId::im32).depth, 0);
  EXPECT_EQ(std::memcmp(&(*icns)[8 + 264], "icl8\0\0\x04\x08", 8), 0);

  // All white: every bit clear, so the element is all ones.
  core::IconSet white;
  core::Bitmap blank(32, 32, core::PixelFormat::Bits8);
  blank.fill(core::kWhite);
  white.offerBitmap(SlotId::ic32, blank);
  core::CommandContext w{white, prompter, 0};
  const auto allOnes = mac::buildIcnElement(w);
  ASSERT_TRUE(allOnes);
  EXPECT_TRUE(std::all_of(allOnes->begin() + 8, allOnes->end(), [](auto v) { return v == 0xFF; }));

  // No 32x32 picture at all: message 6100 and nothing written.
  core::IconSet empty;
  core::CommandContext e{empty, prompter, 0};
  const std::string path = target("none.bin");
  mac::saveCustomIcon(e);
  EXPECT_EQ(prompter.infos.back(), core::lookupString(6100));
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(MacSave, CustomIconFileReadsBackAndSplitsWithMacsave) {
  board.offerBitmap(SlotId::ic32, icon(32, 255));
  board.offerBitmap(SlotId::ic48, icon(48, 255));
  auto c = ctx();
  const std::string path = target("Icon.bin");
  mac::saveCustomIcon(c);
  const core::ByteBuffer file = test::readFile(path);
  const std::uint32_t dataLength = core::readBE32(&file[83]);
  const std::uint32_t forkLength = core::readBE32(&file[87]);
  EXPECT_EQ(std::memcmp(&file[128], "icns", 4), 0);
  EXPECT_TRUE(board.slot(SlotId::im32).picture) << "the mask cut from alpha shows in im32";
  EXPECT_EQ(board.slot(SlotId::im32).depth, 0) << "without changing its depth";

  const core::IconSet back = readBack(path);
  EXPECT_EQ(back.slot(SlotId::ic32).depth, 7);
  EXPECT_EQ(back.slot(SlotId::ic32).picture->pixel(10, 10), board.slot(SlotId::ic32).picture->pixel(10, 10));
  EXPECT_EQ(back.slot(SlotId::ic48).picture->pixel(20, 30), board.slot(SlotId::ic48).picture->pixel(20, 30));
  EXPECT_EQ(back.slot(SlotId::icNB).depth, 1);

  if (test::runCommand("command -v macsave >/dev/null") != 0) {
    if (test::inCi()) FAIL() << "macsave (macutils) is missing";
    GTEST_SKIP() << "macsave (macutils) is missing";
  }
  ASSERT_EQ(test::runCommand("cd " + test::shellQuote(dir.path().string()) + " && macsave -3 < Icon.bin 2>/dev/null"), 0);
  core::ByteBuffer data, fork;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    if (entry.path().extension() == ".data") data = test::readFile(entry.path());
    if (entry.path().extension() == ".rsrc") fork = test::readFile(entry.path());
  }
  EXPECT_EQ(data, core::ByteBuffer(file.begin() + 128, file.begin() + 128 + dataLength));
  const std::size_t forkAt = 128 + (dataLength + 127) / 128 * 128;
  EXPECT_EQ(fork, core::ByteBuffer(file.begin() + static_cast<std::ptrdiff_t>(forkAt),
                                   file.begin() + static_cast<std::ptrdiff_t>(forkAt + forkLength)));
}
