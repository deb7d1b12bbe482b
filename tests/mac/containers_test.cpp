// Resource forks and the envelopes that carry them: the writer's layout byte for byte, reading
// back, hostile forks, and the real forks of the corpus in every envelope.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "core/string_table.h"
#include "mac/envelopes.h"
#include "mac/icns.h"
#include "mac/icon_elements.h"
#include "mac/resource_fork.h"
#include "support/fake_prompter.h"
#include "support/oracle.h"
#include "support/shared_data.h"

using namespace vexilo;
using core::SlotId;

namespace {

core::ByteBuffer pattern(std::size_t n, std::uint8_t seed) {
  core::ByteBuffer b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(seed + i * 7);
  return b;
}

struct Reading {
  core::IconSet board;
  test::FakePrompter prompter;
  core::CommandContext ctx{board, prompter, 0};
};

// Two boards hold the same pictures in the same slots with the same depths.
void expectSameBoard(const core::IconSet& a, const core::IconSet& b, const std::string& what) {
  for (std::size_t i = 0; i < core::kSlotCount; ++i) {
    const auto id = static_cast<SlotId>(i);
    EXPECT_EQ(a.slot(id).depth, b.slot(id).depth) << what << " " << core::slotName(id);
    EXPECT_EQ(a.slot(id).picture, b.slot(id).picture) << what << " " << core::slotName(id);
  }
}

bool anyFilled(const core::IconSet& board) {
  for (SlotId id : core::kBoardSlots)
    if (board.slot(id).filled()) return true;
  return false;
}

}  // namespace

TEST(ResourceFork, OneResourceLayoutByteForByte) {
  const core::ByteBuffer icns = pattern(10000, 3);
  const core::ByteBuffer fork = mac::writeResourceFork({{{'i', 'c', 'n', 's'}, icns}});
  const core::ByteBuffer header = {0, 0, 1, 0, 0, 0, 0x28, 0x14, 0, 0, 0x27, 0x14, 0, 0, 0, 0x32};
  ASSERT_EQ(fork.size(), 256u + 10004 + 50);
  EXPECT_TRUE(std::equal(header.begin(), header.end(), fork.begin()));
  EXPECT_TRUE(std::all_of(fork.begin() + 16, fork.begin() + 256, [](auto b) { return b == 0; }));
  EXPECT_EQ(core::readBE32(&fork[256]), 10000u);
  EXPECT_TRUE(std::equal(icns.begin(), icns.end(), fork.begin() + 260));
  const core::ByteBuffer map(fork.begin() + 10260, fork.end());
  core::ByteBuffer expected = header;
  for (int i = 0; i < 8; ++i) expected.push_back(0);
  const core::ByteBuffer rest = {0x00, 0x1C, 0x00, 0x32, 0x00, 0x00, 'i', 'c', 'n', 's', 0x00, 0x00, 0x00,
                                 0x0A, 0xBF, 0xB9, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0};
  expected.insert(expected.end(), rest.begin(), rest.end());
  EXPECT_EQ(map, expected);
}

TEST(ResourceFork, CustomIconLayoutAndReadingBack) {
  // A real 8-bit and 1-bit family from the program's own encoders.
  core::IconSet source;
  core::Bitmap picture(32, 32, core::PixelFormat::Bits8);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) picture.setIndex(x, y, (x * 7 + y) % 256);
  source.offerBitmap(SlotId::ic32, picture);
  const core::Bitmap original = *source.slot(SlotId::ic32).picture;  // encoding widens the slot
  core::ByteBuffer icl8;
  mac::writeElement8(source, icl8, SlotId::ic32, 32);
  core::ByteBuffer icn = {'I', 'C', 'N', '#', 0, 0, 1, 8};
  const core::ByteBuffer planes = pattern(256, 1);
  icn.insert(icn.end(), planes.begin(), planes.end());
  core::ByteBuffer icns = {'i', 'c', 'n', 's', 0, 0, 0, 0};
  icns.insert(icns.end(), icn.begin(), icn.end());
  core::writeBE32(&icns[4], static_cast<std::uint32_t>(icns.size()));

  const core::ByteBuffer fork = mac::writeResourceFork({
      {{'i', 'c', 'l', '8'}, core::Bytes(icl8).subspan(8)},
      {{'I', 'C', 'N', '#'}, core::Bytes(icn).subspan(8)},
      {{'i', 'c', 'n', 's'}, icns},
  });
  const std::uint32_t mapAt = core::readBE32(&fork[4]);
  EXPECT_EQ(core::readBE32(&fork[12]), 90u);
  const std::uint8_t* map = &fork[mapAt];
  EXPECT_EQ(core::readBE16(map + 28), 2);
  const char* types[] = {"icl8", "ICN#", "icns"};
  const std::uint16_t lists[] = {26, 38, 50};
  const std::uint32_t offsets[] = {0, 1028, 1288};
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(std::memcmp(map + 30 + 8 * k, types[k], 4), 0);
    EXPECT_EQ(core::readBE16(map + 36 + 8 * k), lists[k]);
    const std::uint8_t* ref = map + 28 + lists[k];
    EXPECT_EQ(core::readBE16(ref), 0xBFB9);
    EXPECT_EQ(core::readBE16(ref + 2), 0xFFFF);
    EXPECT_EQ(core::readBE32(ref + 4), offsets[k]);  // attribute byte 0, then the offset
  }

  Reading r;
  mac::readResourceFork(r.ctx, fork);
  EXPECT_EQ(r.board.slot(SlotId::ic32).depth, 3);
  EXPECT_EQ(*r.board.slot(SlotId::ic32).picture, original);
  EXPECT_EQ(r.board.slot(SlotId::icNB).depth, 1) << "the ICN# image";
  EXPECT_EQ(r.board.slot(SlotId::imNB).depth, 1) << "and its mask";
  EXPECT_TRUE(r.prompter.infos.empty());
  // The icns resource holds the same ICN#: a second copy of both pictures on the pasteboard.
  EXPECT_EQ(r.board.cursor(SlotId::PB32).count, 5);
}

TEST(ResourceFork, HostileForksLeaveTheBoardSound) {
  core::ByteBuffer icl8;
  core::IconSet source;
  source.offerBitmap(SlotId::ic32, core::Bitmap(32, 32, core::PixelFormat::Bits8));
  mac::writeElement8(source, icl8, SlotId::ic32, 32);
  const core::ByteBuffer good = mac::writeResourceFork({{{'i', 'c', 'l', '8'}, core::Bytes(icl8).subspan(8)}});
  const std::size_t map = core::readBE32(&good[4]);

  auto read = [](const core::ByteBuffer& fork) {
    Reading r;
    mac::readResourceFork(r.ctx, fork);
    return anyFilled(r.board);
  };
  EXPECT_TRUE(read(good));

  core::ByteBuffer noTypes = good;
  core::writeBE16(&noTypes[map + 28], 0xFFFF);
  EXPECT_FALSE(read(noTypes));

  core::ByteBuffer manyTypes = good;  // 32768 types in a 50-byte map
  core::writeBE16(&manyTypes[map + 28], 0x7FFF);
  EXPECT_TRUE(read(manyTypes));

  core::ByteBuffer attribute = good;  // the attribute byte does not move the data
  attribute[map + 30 + 8 + 4] = 0x20;
  EXPECT_TRUE(read(attribute));

  core::ByteBuffer pastEnd = good;
  core::writeBE32(&pastEnd[map + 30 + 8 + 4], 0x00FFFFF0);
  EXPECT_FALSE(read(pastEnd));

  core::ByteBuffer lyingLength = good;
  core::writeBE32(&lyingLength[256], 0xFFFFFFFF);
  EXPECT_FALSE(read(lyingLength));

  core::ByteBuffer selfMap = good;  // the map's reference list pointing back into the header copy
  core::writeBE16(&selfMap[map + 36], 0xFFE4);
  core::writeBE16(&selfMap[map + 32], 0x7FFF);
  read(selfMap);

  core::ByteBuffer hugeMap = good;
  core::writeBE32(&hugeMap[4], 0xFFFFFF00);
  EXPECT_FALSE(read(hugeMap));

  // A compressed resource (shorter than its type holds) gives no picture.
  const core::ByteBuffer packed = {0xA8, 0x9F, 0x65, 0x72, 0, 0x12, 0, 0, 0, 0, 4, 0};
  EXPECT_FALSE(read(mac::writeResourceFork({{{'i', 'c', 'l', '8'}, packed}})));

  // Every prefix of a valid fork reads without harm.
  for (std::size_t n = 0; n < good.size(); n += 7) read(core::ByteBuffer(good.begin(), good.begin() + n));
}

TEST(ResourceFork, DeeperAndFirstPicturesWinAcrossResources) {
  core::IconSet source;
  core::Bitmap eight(32, 32, core::PixelFormat::Bits8), four(32, 32, core::PixelFormat::Bits4);
  eight.setIndex(3, 3, 35);
  four.setIndex(3, 3, 3);
  core::ByteBuffer e8, e8b;
  source.offerBitmap(SlotId::ic32, eight);
  mac::writeElement8(source, e8, SlotId::ic32, 32);
  core::ByteBuffer icl4(512, 0x11);
  Reading r;
  mac::readResourceFork(r.ctx, mac::writeResourceFork({{{'i', 'c', 'l', '4'}, icl4},
                                                        {{'i', 'c', 'l', '8'}, core::Bytes(e8).subspan(8)}}));
  EXPECT_EQ(r.board.slot(SlotId::ic32).depth, 3);
  EXPECT_EQ(r.board.cursor(SlotId::PB32).count, 2);
  Reading m;  // mini icons go to the 16x12 slot, never to 16x16
  mac::readResourceFork(m.ctx, mac::writeResourceFork({{{'i', 'c', 'm', '4'}, core::ByteBuffer(96, 0x22)}}));
  EXPECT_EQ(m.board.slot(SlotId::ic12).depth, 2);
  EXPECT_EQ(m.board.slot(SlotId::ic16).depth, 0);
  Reading s;  // 32-bit elements standing as resources of their own are not read
  mac::readResourceFork(s.ctx, mac::writeResourceFork({{{'i', 'l', '3', '2'}, core::ByteBuffer(4096, 1)}}));
  EXPECT_FALSE(anyFilled(s.board));
}

TEST(Envelopes, MacBinaryForksAreFoundByTheirLengths) {
  const core::ByteBuffer fork =
      mac::writeResourceFork({{{'i', 'c', 'l', '4'}, core::ByteBuffer(512, 0x35)}});
  for (std::uint32_t dataLength : {0u, 256u, 300u}) {
    core::ByteBuffer file(128, 0);
    file[1] = 1;
    file[2] = 'x';
    core::writeBE32(&file[83], dataLength);
    core::writeBE32(&file[87], static_cast<std::uint32_t>(fork.size()));
    file.resize(128 + (dataLength + 127) / 128 * 128, 0xEE);
    EXPECT_EQ(file.size(), dataLength == 300 ? 512u : dataLength == 256 ? 384u : 128u);
    file.insert(file.end(), fork.begin(), fork.end());
    Reading r;
    mac::readMacBinaryBytes(r.ctx, file, "x.bin");
    EXPECT_EQ(r.board.slot(SlotId::ic32).depth, 2) << dataLength;
    EXPECT_TRUE(r.prompter.infos.empty()) << "a data fork beside a resource fork is ignored";
  }

  // Only a data fork: icns data are read, anything else is reported.
  core::ByteBuffer icnsOnly(128, 0);
  icnsOnly[1] = 1;
  icnsOnly[2] = 'x';
  const core::ByteBuffer icns = {'i', 'c', 'n', 's', 0, 0, 0, 8};
  core::writeBE32(&icnsOnly[83], 8);
  icnsOnly.insert(icnsOnly.end(), icns.begin(), icns.end());
  Reading quiet;
  mac::readMacBinaryBytes(quiet.ctx, icnsOnly, "a.bin");
  EXPECT_TRUE(quiet.prompter.infos.empty());
  icnsOnly[128] = 'X';
  Reading loud;
  mac::readMacBinaryBytes(loud.ctx, icnsOnly, "a.bin");
  ASSERT_EQ(loud.prompter.infos.size(), 1u);
  EXPECT_EQ(loud.prompter.infos[0], "File\na.bin\ndoesn't contain resources.");
}

TEST(Envelopes, AppleEntriesReadEveryResourceForkAndReportNone) {
  const core::ByteBuffer fork =
      mac::writeResourceFork({{{'i', 'c', 's', '8'}, core::ByteBuffer(256, 0x05)}});
  auto apple = [](std::vector<std::array<std::uint32_t, 3>> entries, const core::ByteBuffer& payload) {
    core::ByteBuffer file = {0x00, 0x05, 0x16, 0x07, 0, 2, 0, 0};
    file.resize(24, 0);
    core::appendBE16(file, static_cast<std::uint16_t>(entries.size()));
    for (const auto& e : entries) {
      core::appendBE32(file, e[0]);
      core::appendBE32(file, e[1]);
      core::appendBE32(file, e[2]);
    }
    file.resize(600, 0);
    file.insert(file.end(), payload.begin(), payload.end());
    return file;
  };
  const auto size = static_cast<std::uint32_t>(fork.size());
  Reading both;  // Finder information first, then the fork
  mac::readAppleEntries(both.ctx, apple({{9, 600, 0}, {2, 600, size}}, fork), "._x");
  EXPECT_EQ(both.board.slot(SlotId::ic16).depth, 3);
  EXPECT_TRUE(both.prompter.infos.empty());

  Reading dataOnly;
  mac::readAppleEntries(dataOnly.ctx, apple({{1, 600, size}}, fork), "x.as");
  EXPECT_EQ(dataOnly.prompter.infos.size(), 1u);
  EXPECT_FALSE(anyFilled(dataOnly.board));

  Reading emptyLast;  // the last fork entry is empty: read, then reported
  mac::readAppleEntries(emptyLast.ctx, apple({{2, 600, size}, {2, 600, 0}}, fork), "x.as");
  EXPECT_EQ(emptyLast.board.slot(SlotId::ic16).depth, 3);
  EXPECT_EQ(emptyLast.prompter.infos.size(), 1u);

  Reading iconEntries;  // ids 5 and 6 are icons of another layout, not forks
  mac::readAppleEntries(iconEntries.ctx, apple({{5, 600, size}, {6, 600, size}}, fork), "x.as");
  EXPECT_FALSE(anyFilled(iconEntries.board));

  Reading beyond;  // offsets and lengths past the file, and a count past the 512-byte header
  mac::readAppleEntries(beyond.ctx, apple({{2, 0xFFFFFF00, size}, {2, 600, 0xFFFFFFFF}}, fork), "x.as");
  core::ByteBuffer many = apple({}, fork);
  core::writeBE16(&many[24], 0xFFFF);
  mac::readAppleEntries(beyond.ctx, many, "x.as");
}

TEST(Envelopes, RealForksReadAlikeInEveryEnvelope) {
  VEXILO_REQUIRE_SHARED();
  const auto corpus = test::sharedDir() / "corpus";
  struct Same {
    std::string fork, macBinary, appleDouble, appleSingle;
  };
  const Same files[] = {
      {"rsrc/apple1991_Desktop.rsrc", "macbinary/hfsutils_Desktop.bin", "appledouble/unar_._Desktop",
       "applesingle/synth/Desktop.as"},
      {"rsrc/apple1991_Serial_Port_Arbitrator.rsrc", "macbinary/hfsutils_Serial_Port_Arbitrator.bin",
       "appledouble/unar_._Serial_Port_Arbitrator", "applesingle/synth/Serial_Port_Arbitrator.as"},
      {"rsrc/apple1991_Remote_Access_Setup.rsrc", "macbinary/hfsutils_Remote_Access_Setup.bin",
       "appledouble/unar_._Remote_Access_Setup", "applesingle/synth/Remote_Access_Setup_v1.as"},
  };
  for (const Same& same : files) {
    Reading fork;
    mac::readResourceFork(fork.ctx, test::readFile(corpus / same.fork));
    EXPECT_EQ(fork.board.slot(SlotId::ic32).depth, 3) << same.fork;
    Reading mb, ad, as;
    mac::readMacBinary(mb.ctx, corpus / same.macBinary);
    mac::readAppleDouble(ad.ctx, corpus / same.appleDouble);
    mac::readAppleSingle(as.ctx, corpus / same.appleSingle);
    expectSameBoard(fork.board, mb.board, same.macBinary);
    expectSameBoard(fork.board, ad.board, same.appleDouble);
    expectSameBoard(fork.board, as.board, same.appleSingle);
  }

  // The first icl8 of a real fork shows what an independent decoder shows for one of its ids.
  VEXILO_REQUIRE_PILLOW();
  Reading desktop;
  mac::readResourceFork(desktop.ctx, test::readFile(corpus / "rsrc/apple1991_Serial_Port_Arbitrator.rsrc"));
  bool matched = false;
  for (const auto& dir : std::filesystem::directory_iterator(corpus / "expected/rsrc/apple1991_Serial_Port_Arbitrator")) {
    const auto reference = test::decodeWithPillow(dir.path() / "32x32x8.png");
    if (!reference) continue;
    bool same = true;
    for (int y = 0; y < 32 && same; ++y)
      for (int x = 0; x < 32 && same; ++x) {
        const std::uint8_t* p = reference->at(x, y);
        const core::Bgra c = desktop.board.slot(SlotId::ic32).picture->pixel(x, y);
        if (p[3] != 0 && (p[0] != c.red || p[1] != c.green || p[2] != c.blue)) same = false;
      }
    matched = matched || same;
  }
  EXPECT_TRUE(matched);

  // Compressed resources are skipped, not drawn as garbage; forks without icons change nothing.
  Reading installer;
  mac::readResourceFork(installer.ctx, test::readFile(corpus / "rsrc/apple1991_Installer.rsrc"));
  EXPECT_NE(installer.board.slot(SlotId::ic32).depth, 3);
  Reading noIcons;
  mac::readMacBinary(noIcons.ctx, corpus / "macbinary/monobit_4x6_suitcase.bin");
  EXPECT_FALSE(anyFilled(noIcons.board));
  EXPECT_TRUE(noIcons.prompter.infos.empty()) << "a resource fork without icons is not reported";

  // The icns data fork and the icns resource.
  Reading wish, wishFile;
  mac::readMacBinary(wish.ctx, corpus / "macbinary/macstream_Wish-icns-in-datafork.bin");
  mac::readIcnsFile(wishFile.ctx, corpus / "icns/tk_carbon_Wish.icns");
  expectSameBoard(wish.board, wishFile.board, "icns data fork");
  Reading test3;
  mac::readMacBinary(test3.ctx, corpus / "macbinary/libicns_test3.bin");
  EXPECT_TRUE(anyFilled(test3.board));

  // Bad envelopes are refused without harm.
  for (const char* bad : {"applesingle/bad", "appledouble/bad", "appledouble/edge", "applesingle/edge"}) {
    for (const auto& entry : std::filesystem::directory_iterator(corpus / bad)) {
      Reading r;
      mac::readAppleSingle(r.ctx, entry.path());
    }
  }
}
