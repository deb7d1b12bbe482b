// The common opening of the save commands, and whole-file output that never damages a target.
#include <gtest/gtest.h>

#include "core/save_flow.h"
#include "core/string_table.h"
#include "support/fake_prompter.h"
#include "support/shared_data.h"
#include "support/temp_dir.h"

using namespace vexilo;

TEST(SaveFlow, AnExistingFileIsReplacedWholeOnlyAfterYes) {
  test::TempDir dir;
  core::IconSet board;
  test::FakePrompter prompter;
  core::CommandContext ctx{board, prompter, 0};
  const auto target = (dir / "out.icns").string(), fresh = (dir / "new.icns").string();
  test::writeFile(target, core::ByteBuffer{1, 2, 3});
  const core::FileDialogRequest dialog = core::dialogFromStrings(0, 6435, 6436, 6437, 6438);
  EXPECT_EQ(dialog.filter, "icns Files [*.icns]|*.icns|All Files [*.*]|*.*");
  prompter.paths = {target, target, std::nullopt, fresh};
  prompter.answers = {false, true};
  // No to the question, Yes, a cancelled dialog, a new file that is not asked about.
  const std::optional<std::string> none, chosen[] = {none, target, none, fresh};
  for (const auto& path : chosen) EXPECT_EQ(core::chooseSaveTarget(ctx, dialog), path);
  EXPECT_EQ(prompter.questions, std::vector<std::string>(2, core::formatMessage(core::lookupString(1051), target)));

  EXPECT_EQ(core::writeOutput(ctx, target, core::ByteBuffer{9, 8}), core::Outcome::Written);
  EXPECT_EQ(test::readFile(target), (core::ByteBuffer{9, 8}));
  // A missing folder, or a folder where the file should be: reported, nothing left behind.
  std::filesystem::create_directory(dir / "c.ico");
  const auto nowhere = (dir / "missing" / "b.ico").string();
  EXPECT_EQ(core::writeOutput(ctx, nowhere, core::ByteBuffer{1}), core::Outcome::Failed);
  EXPECT_EQ(core::writeOutput(ctx, (dir / "c.ico").string(), core::ByteBuffer{1}), core::Outcome::Failed);
  EXPECT_EQ(prompter.infos, (std::vector<std::string>{"File\n" + nowhere + "\ncould not be opened or created.",
                                                      "File\n" + (dir / "c.ico").string() + "\ncould not be opened or created."}));
  EXPECT_TRUE(std::filesystem::is_empty(dir / "c.ico"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}
