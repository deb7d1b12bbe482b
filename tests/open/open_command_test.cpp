// Recognising files by content first, then by extension, and handing them to their reader.
#include <gtest/gtest.h>

#include <cstring>

#include "core/bmp_codec.h"
#include "core/element_types.h"
#include "core/string_table.h"
#include "open/open_command.h"
#include "support/fake_prompter.h"
#include "support/memory_settings_store.h"
#include "support/shared_data.h"
#include "support/temp_dir.h"
#include "win/bmp_jpeg.h"
#include "win/ico_writer.h"

using namespace vexilo;
using core::SlotId;

TEST(OpenCommand, ExtensionsAreLowerCasedAndMatchedAsPrefixes) {
  const std::pair<std::string, int> cases[] = {
      {"x.ico", 0},     {"x.icons", 0},  {"x.BMP", 1},     {"/a/x.icns", 2}, {"x.ICN#", 3},
      {"x.ICL8", 4},    {"x.icm4", 8},   {"x.ich4", 14},   {"x.ict8", 16},   {"x.ict4", 17},
      {"x.it32", 22},   {"x.m8mk", 23},  {"x.t8mk", 27},   {"x.jpg", 28},    {"x.jpeg", 28},
      {"x.ict#", -1},   {"noext", -1},   {"/a.b/file", -1}, {"x.icnsxyz", -1},
      {"x." + std::string(5000, 'i'), -1},
  };
  for (const auto& [path, kind] : cases) EXPECT_EQ(open::extensionKind(path), kind) << path;
}

class OpenFiles : public ::testing::Test {
 protected:
  std::string write(const std::string& name, const core::ByteBuffer& bytes) {
    const auto path = (dir / name).string();
    test::writeFile(path, bytes);
    return path;
  }
  core::CommandContext context() { return {board, prompter, 0, &settings}; }

  test::TempDir dir;
  core::IconSet board;
  test::FakePrompter prompter;
  test::MemorySettingsStore store;
  core::Settings settings{store};
};

TEST_F(OpenFiles, ContentWinsOverTheExtension) {
  core::ByteBuffer macBinary(256, 0);
  macBinary[1] = 4;
  std::memcpy(&macBinary[2], "Icon", 4);
  core::writeBE32(&macBinary[87], 100);
  const std::pair<core::ByteBuffer, int> cases[] = {
      {{'i', 'c', 'n', 's', 0, 0, 0, 8}, open::kIcns},    {macBinary, open::kMacBinary},
      {{0x00, 0x05, 0x16, 0x00, 0, 0}, open::kAppleSingle}, {{0x00, 0x05, 0x16, 0x07}, open::kAppleDouble},
      {{'M', 'Z', 0x90, 0}, open::kExecutable},          {{'B', 'M'}, open::kUnknown},
  };
  for (const auto& [bytes, kind] : cases) EXPECT_EQ(open::sniffFileKind(write("x.icns", bytes)), kind);
  EXPECT_EQ(open::sniffFileKind(dir / "missing.icns"), open::kUnknown);
  EXPECT_EQ(open::sniffFileKind(dir.path()), open::kUnknown) << "a folder";
}

TEST_F(OpenFiles, EachKindReachesItsReader) {
  core::CommandContext ctx = context();
  core::IconSet source;
  source.offerBitmap(SlotId::ic48, core::Bitmap(48, 48, core::PixelFormat::Bits32));
  core::Bitmap blue(32, 32, core::PixelFormat::Bits32);
  blue.fill({200, 20, 30, 255});
  open::openIconFile(ctx, write("a.ico", win::writeIcoFamily(source)));
  open::openIconFile(ctx, write("b.bmp", core::encodeBmp(blue)));
  open::openIconFile(ctx, write("c.jpeg", *win::encodeJpeg(core::Bitmap(16, 16, core::PixelFormat::Bits32))));
  EXPECT_EQ(board.slot(SlotId::ic48).depth, 7);
  EXPECT_EQ(board.slot(SlotId::im48).depth, 1);
  EXPECT_EQ(*board.slot(SlotId::ic32).picture, blue);
  EXPECT_EQ(board.slot(SlotId::ic16).depth, 7);
  const core::IconSet before = board;
  open::openIconFile(ctx, write("d.ico", {'M', 'Z', 0, 0}));  // an executable with no PE image
  EXPECT_EQ(board.slot(SlotId::ic128).depth, before.slot(SlotId::ic128).depth);
  EXPECT_TRUE(prompter.infos.empty());

  // Every raw element file goes to the slots of its size: pairs to the colour and mask slot,
  // planes to the colour slot, 8-bit masks to the mask slot.
  for (const core::ElementType& t : core::elementTypes()) {
    if (t.extension.empty()) continue;
    core::IconSet fresh;
    core::CommandContext raw{fresh, prompter};
    open::openIconFile(raw, write("e" + std::string(t.extension), core::ByteBuffer(t.dataBytes, 0x5A)));
    const SlotId colour = *core::colourSlotOf(t.width, t.height);
    const SlotId mask = *core::maskSlotOf(t.width, t.height);
    const bool colourFilled = t.role != core::ElementRole::Mask;
    const bool maskFilled = t.role != core::ElementRole::Colour;
    EXPECT_EQ(fresh.slot(colour).filled(), colourFilled) << t.name();
    EXPECT_EQ(fresh.slot(mask).filled(), maskFilled) << t.name();
  }
  EXPECT_TRUE(prompter.infos.empty());
}

TEST_F(OpenFiles, UnsupportedFilesAreReportedAndMissingMacFilesToo) {
  core::CommandContext ctx = context();
  const std::string text = write("notes.txt", {'h', 'i'});
  open::openIconFile(ctx, text);
  ASSERT_EQ(prompter.infos.size(), 1u);
  EXPECT_EQ(prompter.infos[0], "File\n" + text + "\nis not a supported graphic format.");
  // Not there: the extension decides which reader would have spoken, and so the message.
  const std::string missing = (dir / "gone.icns").string(), bitmap = (dir / "gone.bmp").string();
  open::openIconFile(ctx, missing);
  open::openIconFile(ctx, bitmap);
  ASSERT_EQ(prompter.infos.size(), 3u);
  EXPECT_EQ(prompter.infos[1], core::formatMessage(core::lookupString(1041), missing));
  EXPECT_EQ(prompter.infos[2], core::formatMessage(core::lookupString(6422), bitmap));
  EXPECT_EQ(prompter.kinds, std::vector<core::MessageKind>(3, core::MessageKind::Error));
  ctx.langOffset = core::kFrench;
  open::openIconFile(ctx, text);
  EXPECT_EQ(prompter.infos.back(), "Le fichier\n" + text + "\nn'est pas dans un format graphique reconnu.");
  for (SlotId id : core::kBoardSlots) EXPECT_FALSE(board.slot(id).filled());
}

TEST_F(OpenFiles, ImportDialogStartsInTheLastFolderAndStoresTheNewOne) {
  core::CommandContext ctx = context();
  settings.writeLastDir("/icons/old/a.icns");
  prompter.paths = {std::nullopt, std::string("/icons/new/b.icns")};
  EXPECT_FALSE(open::askFileToImport(ctx));
  ASSERT_EQ(prompter.openDialogs.size(), 1u);
  EXPECT_EQ(prompter.openDialogs[0].initialDirectory, "/icons/old/");
  EXPECT_EQ(prompter.openDialogs[0].title, "Opening an Icon File");
  EXPECT_EQ(prompter.openDialogs[0].initialName, "*.ico;*.bmp;*.icns");
  EXPECT_EQ(open::askFileToImport(ctx), "/icons/new/b.icns");
  EXPECT_EQ(settings.readLastDir(""), "/icons/new/");
}

// A bare resource fork opens by its bytes under any name, as its MacBinary twin does; bytes
// whose fork header points outside the file or lays the map over the data do not.
TEST(OpenCommand, RawResourceForksOpenByTheirBytes) {
  VEXILO_REQUIRE_SHARED();
  const auto corpus = test::sharedDir() / "corpus";
  int forks = 0;
  for (const auto& entry : std::filesystem::directory_iterator(corpus / "rsrc")) {
    const core::ByteBuffer bytes = test::readFile(entry.path());
    for (const char* name : {"a.rsrc", "a.dfont", "a"}) {
      const core::DecodedFamily family = open::decodeIconFile(bytes, name);
      // (The font fork holds no icon resources: nothing to show, and nothing to say.)
      const bool font = entry.path().extension() == ".dfont";
      EXPECT_TRUE(family.messages.empty() && family.pictures.empty() == font) << entry.path() << " " << name;
    }
    ++forks;
  }
  EXPECT_GE(forks, 5);
  const core::ByteBuffer twin = test::readFile(corpus / "macbinary/hfsutils_Installer.bin");
  const auto asBin = open::decodeIconFile(twin, "x.bin");
  const auto asFork = open::decodeIconFile(test::readFile(corpus / "rsrc/apple1991_Installer.rsrc"), "x");
  ASSERT_EQ(asBin.pictures.size(), asFork.pictures.size());
  for (std::size_t i = 0; i < asBin.pictures.size(); ++i)
    EXPECT_TRUE(asBin.pictures[i].slot == asFork.pictures[i].slot && asBin.pictures[i].bitmap == asFork.pictures[i].bitmap);
  // A small sound fork, then damaged headers.
  core::ByteBuffer fork(256 + 30, 0);
  for (auto [at, v] : {std::pair{0, 256u}, {4, 256u}, {8, 0u}, {12, 30u}}) core::writeBE32(fork.data() + at, v);
  std::copy_n(fork.begin(), 16, fork.begin() + 256);
  fork[256 + 29] = 0xFF;  // no types
  EXPECT_TRUE(open::decodeIconFile(fork, "x").messages.empty());
  for (auto [at, v] : {std::pair{4, 0x10000u}, {12, 0xFFFFFFF0u}, {0, 250u}, {8, 40u}}) {
    core::ByteBuffer bad = fork;
    core::writeBE32(bad.data() + at, v);
    if (at != 0 && at != 8) std::copy_n(bad.begin(), 16, bad.begin() + 256);
    EXPECT_EQ(open::decodeIconFile(bad, "x").messages.size(), 1u) << at;  // not a supported graphic
  }
}
