// The Windows save commands in the real window: from the menu item to a file Pillow reads.
#include <QAction>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

#include "core/string_table.h"
#include "support/fake_prompter.h"
#include "support/memory_settings_store.h"
#include "support/oracle.h"
#include "support/shared_data.h"
#include "support/temp_dir.h"
#include "ui/main_window.h"
#include "ui/windows_commands.h"

using namespace vexilo;
using core::Bitmap;
using core::PixelFormat;
using core::SlotId;

namespace {

Bitmap pattern(int size) {
  Bitmap b(size, size, PixelFormat::Bits32);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      b.setPixel(x, y, {static_cast<std::uint8_t>(x * 8), static_cast<std::uint8_t>(y * 8),
                        static_cast<std::uint8_t>(x * y), static_cast<std::uint8_t>(x < 4 ? 0 : 255)});
  return b;
}

class WindowsCommandsTest : public ::testing::Test {
 protected:
  // File > Save > Windows Icon, as a person reaches it: the File menu opened, then the item.
  void saveWindowsIcon() {
    emit window->action("F1")->menu()->aboutToShow();
    ASSERT_TRUE(window->action("S")->isEnabled());
    ASSERT_TRUE(window->action("Wic")->isEnabled());
    window->action("Wic")->trigger();
  }

  void SetUp() override {
    window =
        std::make_unique<ui::MainWindow>(store, help, ui::SystemLanguages{0x09, 0x09}, &prompter);
    ui::installWindowsCommands(*window);
    ui::installWindowsCommands(*window);  // a second call changes nothing
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }

  test::MemorySettingsStore store;
  test::RecordingHelp help;
  test::FakePrompter prompter;
  std::unique_ptr<ui::MainWindow> window;
  test::TempDir dir;
};

}  // namespace

TEST_F(WindowsCommandsTest, SaveWindowsIconWritesTheFamilyThatPillowReads) {
  VEXILO_REQUIRE_PILLOW();
  const Bitmap big = pattern(32);
  window->board().offerBitmap(SlotId::ic32, big);
  window->board().offerBitmap(SlotId::ic16, pattern(16));
  const auto path = dir / "family.ico";
  prompter.paths.push_back(path.string());
  saveWindowsIcon();

  ASSERT_EQ(prompter.saveDialogs.size(), 1u);
  EXPECT_EQ(prompter.saveDialogs[0].title, core::loadLocalString(6423, 0));
  EXPECT_TRUE(prompter.infos.empty());
  const auto decoded = test::decodeWithPillow(path);  // Pillow opens the largest entry
  ASSERT_TRUE(decoded);
  ASSERT_EQ(decoded->width, 32);
  ASSERT_EQ(decoded->height, 32);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const core::Bgra p = big.pixel(x, y);
      const std::uint8_t* d = decoded->at(x, y);
      ASSERT_EQ(d[3], p.alpha) << x << "," << y;
      if (p.alpha != 0) {
        ASSERT_EQ(d[0], p.red);
        ASSERT_EQ(d[1], p.green);
        ASSERT_EQ(d[2], p.blue);
      }
    }
  const auto bytes = test::readFile(path);
  ASSERT_EQ(bytes.size(), 6u + 2 * 16 + 1128 + 4264);
  EXPECT_EQ(bytes[4], 2);

  // The pop-up's Icon File (Windows) writes the selected slot alone.
  window->selectSlot(SlotId::ic16);
  const auto single = dir / "one.ico";
  prompter.paths.push_back(single.string());
  window->runCommand("Ico");
  EXPECT_EQ(test::readFile(single).size(), 22u + 1128u);
}

TEST_F(WindowsCommandsTest, OverwriteAnsweredNoLeavesTheFileUntouched) {
  window->board().offerBitmap(SlotId::ic48, pattern(48));
  const auto path = dir / "existing.ico";
  const core::ByteBuffer before = {'k', 'e', 'e', 'p'};
  test::writeFile(path, before);
  prompter.paths.push_back(path.string());
  prompter.answers.push_back(false);
  saveWindowsIcon();
  ASSERT_EQ(prompter.questions.size(), 1u);
  EXPECT_EQ(prompter.questions[0],
            core::formatMessage(core::loadLocalString(1051, 0), path.string()));
  EXPECT_EQ(test::readFile(path), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);  // no temporary file left behind
}
