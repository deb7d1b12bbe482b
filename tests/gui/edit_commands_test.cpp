// The edit and picture commands in the real window, through the real clipboard.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include "core/bmp_codec.h"
#include "support/fake_prompter.h"
#include "support/memory_settings_store.h"
#include "ui/edit_commands.h"
#include "ui/main_window.h"
#include "ui/qt_clipboard.h"

using namespace vexilo;
using core::Bitmap;
using core::PixelFormat;
using core::SlotId;

namespace {

Bitmap pattern(int size, PixelFormat format) {
  Bitmap b(size, size, PixelFormat::Bits32);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      b.setPixel(x, y, {static_cast<std::uint8_t>(x * 8), static_cast<std::uint8_t>(y * 8),
                        static_cast<std::uint8_t>(x * y), 255});
  b.convertTo(format);
  return b;
}

class EditCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QGuiApplication::clipboard()->clear();
    window =
        std::make_unique<ui::MainWindow>(store, help, ui::SystemLanguages{0x09, 0x09}, &prompter);
    ui::installEditCommands(*window);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }
  core::IconSet& board() { return window->board(); }
  const core::Slot& slot(SlotId id) { return board().slot(id); }
  void popup(SlotId id, const char* item) {
    window->preparePopup(id);
    window->runCommand(item);
  }

  test::MemorySettingsStore store;
  test::RecordingHelp help;
  test::FakePrompter prompter;
  std::unique_ptr<ui::MainWindow> window;
};

}  // namespace

TEST_F(EditCommandsTest, CutAndPasteKeepTheFormatFromMenuAndPopup) {
  const Bitmap four = pattern(32, PixelFormat::Bits4);
  board().offerBitmap(SlotId::ic32, four);

  popup(SlotId::ic32, "PX");
  EXPECT_FALSE(slot(SlotId::ic32).filled());
  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  ASSERT_TRUE(mime);
  EXPECT_TRUE(mime->hasImage()) << "other programs get an image";
  EXPECT_TRUE(mime->hasFormat(ui::kBmpMimeType));

  popup(SlotId::icNB, "PV");
  EXPECT_EQ(slot(SlotId::icNB).depth, 2);
  EXPECT_EQ(*slot(SlotId::icNB).picture, four);

  // The same from the Edit menu, on the selected slot.
  window->selectSlot(SlotId::icNB);
  window->runCommand("X");
  EXPECT_FALSE(slot(SlotId::icNB).picture);
  window->selectSlot(SlotId::ic32);
  window->preparePopup(SlotId::ic128);  // a pop-up opened earlier does not matter to the menu
  window->action("V")->setEnabled(true);
  window->action("V")->trigger();
  EXPECT_EQ(*slot(SlotId::ic32).picture, four);
  EXPECT_FALSE(slot(SlotId::ic128).picture);
}

TEST_F(EditCommandsTest, CopyWidensTheImageInViewFromMenuAndPopup) {
  board().offerBitmap(SlotId::ic16, pattern(16, PixelFormat::Bits8));
  popup(SlotId::ic16, "PC");
  EXPECT_EQ(slot(SlotId::ic16).picture->format(), PixelFormat::Bits32);
  EXPECT_EQ(slot(SlotId::ic16).depth, 3);
  auto copied = ui::QtClipboard().read();
  ASSERT_TRUE(copied);
  EXPECT_EQ(copied->bitmap, *slot(SlotId::ic16).picture);
  EXPECT_EQ(copied->depth, 7);

  window->selectSlot(SlotId::ic48);
  board().offerBitmap(SlotId::ic48, pattern(48, PixelFormat::Bits1));
  window->runCommand("C");
  EXPECT_EQ(ui::QtClipboard().bitmap(), slot(SlotId::ic48).picture);

  // The pasteboard tab: Copy takes the visible pasteboard, whatever is selected.
  window->pageMain()->setCurrentIndex(1);
  window->pagePasteboard()->setCurrentIndex(2);
  window->runCommand("C");
  EXPECT_EQ(ui::QtClipboard().bitmap(), slot(SlotId::PB48).picture);
  window->pageMain()->setCurrentIndex(2);
  window->pagePalettes()->setCurrentIndex(1);  // shows, so draws, the icon palette
  ASSERT_TRUE(slot(SlotId::ipalicon).picture);
  window->runCommand("C");
  EXPECT_EQ(ui::QtClipboard().bitmap(), slot(SlotId::ipalicon).picture);
}

TEST_F(EditCommandsTest, PastesOtherProgramsImages) {
  QImage indexed(20, 20, QImage::Format_Indexed8);
  indexed.setColorTable({qRgb(255, 0, 0), qRgb(0, 0, 255)});
  indexed.fill(1);
  QGuiApplication::clipboard()->setImage(indexed);
  popup(SlotId::ic16, "PV");
  EXPECT_EQ(slot(SlotId::ic16).depth, 3);
  EXPECT_EQ(slot(SlotId::ic16).picture->pixel(15, 15), (core::Bgra{255, 0, 0, 255}));

  QImage grey(8, 8, QImage::Format_Grayscale8);
  grey.fill(qRgb(90, 90, 90));
  QGuiApplication::clipboard()->setImage(grey);
  popup(SlotId::ic32, "PV");
  EXPECT_EQ(slot(SlotId::ic32).depth, -1) << "a layout the board has no format for";
  EXPECT_EQ(slot(SlotId::ic32).picture->pixel(7, 7), (core::Bgra{90, 90, 90, 255}));
  EXPECT_EQ(slot(SlotId::ic32).picture->pixel(8, 8), core::kWhite);

  QGuiApplication::clipboard()->clear();
  popup(SlotId::ic48, "PV");
  EXPECT_FALSE(slot(SlotId::ic48).filled());
}

TEST(QtClipboardImages, EveryFormatSurvivesTheQImageRoundTrip) {
  for (PixelFormat f : {PixelFormat::Bits1, PixelFormat::Bits8, PixelFormat::Bits15,
                        PixelFormat::Bits16, PixelFormat::Bits24, PixelFormat::Bits32}) {
    Bitmap b = pattern(13, f);
    if (f == PixelFormat::Bits32) b.setPixel(2, 3, {10, 20, 30, 0});  // straight alpha, kept
    const auto back = ui::fromQImage(ui::toQImage(b));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->bitmap, b) << core::depthOrdinal(f);
    EXPECT_EQ(back->depth, core::depthOrdinal(f));
  }
  // 4-bit pictures become 8-bit ones of the same colours.
  const Bitmap four = pattern(13, PixelFormat::Bits4);
  const auto back = ui::fromQImage(ui::toQImage(four));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->bitmap.format(), PixelFormat::Bits8);
  EXPECT_EQ(back->bitmap.pixel(7, 9), four.pixel(7, 9));
  EXPECT_FALSE(ui::fromQImage(QImage()));
}

TEST_F(EditCommandsTest, PictureCommandsActOnThePopupImage) {
  board().offerBitmap(SlotId::ic32, pattern(32, PixelFormat::Bits24));
  board().offerBitmap(SlotId::ic16, pattern(16, PixelFormat::Bits32));
  window->selectSlot(SlotId::ic16);  // the selection is not the target

  window->preparePopup(SlotId::ic32);
  emit window->action("Prof")->menu()->aboutToShow();
  EXPECT_TRUE(window->action("b32")->isChecked());
  EXPECT_EQ(slot(SlotId::ic32).picture->format(), PixelFormat::Bits32);
  window->runCommand("b4");
  emit window->action("Prof")->menu()->aboutToShow();
  EXPECT_TRUE(window->action("b4")->isChecked());
  EXPECT_FALSE(window->action("b32")->isChecked());
  EXPECT_EQ(slot(SlotId::ic32).depth, 6);

  const Bitmap before = *slot(SlotId::ic32).picture;
  for (const char* item : {"R90D", "R90G", "R180", "RGD", "RHB"}) window->runCommand(item);
  Bitmap expected = before;
  expected.convertTo(PixelFormat::Bits32);
  EXPECT_EQ(*slot(SlotId::ic32).picture, expected) << "R180, then both flips, undo each other";

  const Bitmap ic16 = *slot(SlotId::ic16).picture;
  window->runCommand("R90D");
  EXPECT_NE(*slot(SlotId::ic32).picture, expected);
  window->runCommand("Mult");
  window->runCommand("Demult");
  EXPECT_EQ(*slot(SlotId::ic16).picture, ic16) << "never the selected slot";

  window->preparePopup(SlotId::ic48);
  emit window->action("Prof")->menu()->aboutToShow();
  for (const char* item : {"b32", "b8", "b4", "b1"})
    EXPECT_FALSE(window->action(item)->isChecked());
}

TEST_F(EditCommandsTest, ColourCountIsShownInTheLanguageInUse) {
  board().offerBitmap(SlotId::ic16, pattern(16, PixelFormat::Bits1));
  popup(SlotId::ic16, "CCol");
  ASSERT_EQ(prompter.infos.size(), 1u);
  EXPECT_EQ(prompter.infos[0], "2 different colors in the picture.");
  EXPECT_EQ(slot(SlotId::ic16).picture->format(), PixelFormat::Bits32);
  window->runCommand("FR");
  popup(SlotId::ic16, "CCol");
  ASSERT_EQ(prompter.infos.size(), 2u);
  EXPECT_EQ(prompter.infos[1], "2 différentes couleurs dans l'image.");
  popup(SlotId::ic32, "CCol");
  EXPECT_EQ(prompter.infos.size(), 2u) << "nothing to count, nothing said";
}

TEST_F(EditCommandsTest, WipeOutFollowsTheVisibleTab) {
  board().offerBitmap(SlotId::ic16, pattern(16, PixelFormat::Bits8));
  board().offerBitmap(SlotId::im128, pattern(128, PixelFormat::Bits1));
  window->pageMain()->setCurrentIndex(2);
  window->runCommand("Eff");
  EXPECT_TRUE(slot(SlotId::ic16).filled());
  window->pageMain()->setCurrentIndex(1);
  window->runCommand("Eff");
  EXPECT_TRUE(slot(SlotId::ic16).filled());
  EXPECT_EQ(slot(SlotId::PB16).depth, 0);
  window->pageMain()->setCurrentIndex(0);
  window->runCommand("Eff");
  EXPECT_FALSE(slot(SlotId::ic16).filled());
  EXPECT_FALSE(slot(SlotId::im128).filled());
}
