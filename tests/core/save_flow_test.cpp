// The common opening of the save commands, and whole-file output that never damages a target.
#include <gtest/gtest.h>

#include "core/file_io.h"
#include "core/save_flow.h"
#include "core/string_table.h"
#include "support/fake_prompter.h"
#include "support/shared_data.h"
#include "support/temp_dir.h"

using namespace vexilo;

namespace {

std::size_t filesIn(const std::filesystem::path& dir) {
  return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir),
                                                std::filesystem::directory_iterator()));
}

class SaveFlow : public ::testing::Test {
 protected:
  core::CommandContext context() { return {board, prompter, 0}; }
  test::TempDir dir;
  core::IconSet board;
  test::FakePrompter prompter;
};

}  // namespace

TEST_F(SaveFlow, AnExistingFileIsReplacedOnlyAfterYes) {
  const auto target = (dir / "out.icns").string();
  test::writeFile(target, core::ByteBuffer{1, 2, 3});
  core::CommandContext ctx = context();
  const core::FileDialogRequest dialog = core::dialogFromStrings(0, 6435, 6436, 6437, 6438);
  EXPECT_EQ(dialog.filter, "icns Files [*.icns]|*.icns|All Files [*.*]|*.*");

  prompter.paths = {target, target, std::nullopt};
  prompter.answers = {false, true};
  EXPECT_FALSE(core::chooseSaveTarget(ctx, dialog)) << "No to the question";
  ASSERT_EQ(prompter.questions.size(), 1u);
  EXPECT_EQ(prompter.questions[0], core::formatMessage(core::lookupString(1051), target));
  EXPECT_EQ(core::chooseSaveTarget(ctx, dialog), target);
  EXPECT_FALSE(core::chooseSaveTarget(ctx, dialog)) << "cancelled dialog";
  EXPECT_EQ(test::readFile(target), (core::ByteBuffer{1, 2, 3}));

  // A new file is not asked about.
  prompter.paths = {(dir / "new.icns").string()};
  EXPECT_TRUE(core::chooseSaveTarget(ctx, dialog));
  EXPECT_EQ(prompter.questions.size(), 2u);
}

TEST_F(SaveFlow, OutputReplacesWholeOrReportsAndLeavesNothingBehind) {
  core::CommandContext ctx = context();
  const auto target = (dir / "a.ico").string();
  test::writeFile(target, core::ByteBuffer(10, 7));
  EXPECT_EQ(core::writeOutput(ctx, target, core::ByteBuffer{9, 8}), core::Outcome::Written);
  EXPECT_EQ(test::readFile(target), (core::ByteBuffer{9, 8}));
  EXPECT_EQ(filesIn(dir.path()), 1u) << "no temporary file left";

  const auto nowhere = (dir / "missing" / "b.ico").string();
  EXPECT_EQ(core::writeOutput(ctx, nowhere, core::ByteBuffer{1}), core::Outcome::Failed);
  ASSERT_EQ(prompter.infos.size(), 1u);
  EXPECT_EQ(prompter.infos[0], "File\n" + nowhere + "\ncould not be opened or created.");

  // A folder where the file should be: refused, the folder untouched.
  std::filesystem::create_directory(dir / "c.ico");
  EXPECT_EQ(core::writeOutput(ctx, (dir / "c.ico").string(), core::ByteBuffer{1}), core::Outcome::Failed);
  EXPECT_TRUE(std::filesystem::is_directory(dir / "c.ico"));
  EXPECT_EQ(filesIn(dir.path()), 2u);

  EXPECT_FALSE(core::readFileBytes(dir / "c.ico"));
  EXPECT_FALSE(core::readFileBytes(dir / "none"));
  EXPECT_EQ(core::readFileBytes(target), (core::ByteBuffer{9, 8}));
  EXPECT_FALSE(core::readFileBytes(target, 1)) << "beyond the size limit";
}
