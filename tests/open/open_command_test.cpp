// Recognising files by content first, then by extension, and handing them to their reader.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "core/bytes.h"
#include "core/string_table.h"
#include "open/open_command.h"
#include "support/fake_prompter.h"
#include "support/memory_settings_store.h"
#include "support/shared_data.h"
#include "support/temp_dir.h"

using namespace vexilo;
using open::extensionKind;

TEST(OpenCommand, ExtensionsAreLowerCasedAndMatchedAsPrefixes) {
  EXPECT_EQ(extensionKind("x.ico"), 0);
  EXPECT_EQ(extensionKind("x.icons"), 0) << "begins with .ico";
  EXPECT_EQ(extensionKind("x.BMP"), 1);
  EXPECT_EQ(extensionKind("/a/x.icns"), 2);
  EXPECT_EQ(extensionKind("x.ICL8"), 4);
  EXPECT_EQ(extensionKind("x.ict8"), 16);
  EXPECT_EQ(extensionKind("x.ict#"), -1) << "no 128-pixel pair exists";
  EXPECT_EQ(extensionKind("x.t8mk"), 27);
  EXPECT_EQ(extensionKind("x.jpg"), 28);
  EXPECT_EQ(extensionKind("x.jpeg"), 28);
  EXPECT_EQ(extensionKind("noextension"), -1);
  EXPECT_EQ(extensionKind("/a.b/file"), -1) << "the dot of a folder name";
  EXPECT_EQ(extensionKind("x.icnsxyz"), -1) << "more than six characters after the dot";
  EXPECT_EQ(extensionKind(std::string("x.") + std::string(5000, 'i')), -1);
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
  core::ByteBuffer icns = {'i', 'c', 'n', 's', 0, 0, 0, 8};
  EXPECT_EQ(open::sniffFileKind(write("x.bin", icns)), open::kIcns);

  core::ByteBuffer macBinary(128 + 128, 0);
  macBinary[1] = 4;
  std::memcpy(&macBinary[2], "Icon", 4);
  core::writeBE32(&macBinary[87], 100);
  EXPECT_EQ(open::sniffFileKind(write("y.icns", macBinary)), open::kMacBinary);

  EXPECT_EQ(open::sniffFileKind(write("s.ico", {0x00, 0x05, 0x16, 0x00, 0, 0})), open::kAppleSingle);
  EXPECT_EQ(open::sniffFileKind(write("d.bmp", {0x00, 0x05, 0x16, 0x07})), open::kAppleDouble);
  EXPECT_EQ(open::sniffFileKind(write("e.dll", {'M', 'Z', 0x90, 0})), open::kExecutable);
  EXPECT_EQ(open::sniffFileKind(write("n.icns", {'B', 'M'})), open::kUnknown);
  EXPECT_EQ(open::sniffFileKind(dir / "missing.icns"), open::kUnknown);
  EXPECT_EQ(open::sniffFileKind(dir.path()), open::kUnknown) << "a folder";
}

TEST_F(OpenFiles, UnsupportedFilesAreReportedAndMissingMacFilesToo) {
  core::CommandContext ctx = context();
  const std::string text = write("notes.txt", {'h', 'i'});
  open::openIconFile(ctx, text);
  ASSERT_EQ(prompter.infos.size(), 1u);
  EXPECT_EQ(prompter.infos[0], "File\n" + text + "\nis not a supported graphic format.");

  // Not there: the extension decides, and the icns reader says it cannot open it.
  const std::string missing = (dir / "gone.icns").string();
  open::openIconFile(ctx, missing);
  ASSERT_EQ(prompter.infos.size(), 2u);
  EXPECT_EQ(prompter.infos[1], core::formatMessage(core::lookupString(1041), missing));

  ctx.langOffset = core::kFrench;
  open::openIconFile(ctx, text);
  EXPECT_EQ(prompter.infos.back(), "Le fichier\n" + text + "\nn'est pas dans un format graphique reconnu.");
  for (core::SlotId id : core::kBoardSlots) EXPECT_FALSE(board.slot(id).filled());
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
  EXPECT_EQ(prompter.openDialogs[0].defaultExtension, "bin");
  EXPECT_EQ(open::askFileToImport(ctx), "/icons/new/b.icns");
  EXPECT_EQ(settings.readLastDir(""), "/icons/new/");
}
