// The real main window on the offscreen platform: layout, selection, enabling rules, language,
// hints and the settings it keeps.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include "core/bmp_codec.h"
#include "core/string_table.h"
#include "support/fake_prompter.h"
#include "support/memory_settings_store.h"
#include "ui/main_window.h"
#include "ui/slot_view.h"

using namespace vexilo;
using core::SlotId;

namespace {

constexpr auto kMachine = core::SettingsRoot::Machine;
const QColor kCream(255, 251, 240);
const QColor kGreen(192, 220, 192);

core::Bitmap picture(int size, core::PixelFormat format) {
  core::Bitmap b(size, size, core::PixelFormat::Bits32);
  b.fill({40, 80, 160, 255});
  b.convertTo(format);
  return b;
}

QColor frameColour(const ui::MainWindow& w, SlotId id) {
  return w.framePanel(id)->palette().color(QPalette::Window);
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QGuiApplication::clipboard()->clear();
    open();
  }
  void open(ui::SystemLanguages languages = {0x09, 0x09}) {
    window = std::make_unique<ui::MainWindow>(store, help, languages, &prompter);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }
  bool enabled(const char* name) { return window->action(name)->isEnabled(); }
  void openMenu(const char* name) { emit window->action(name)->menu()->aboutToShow(); }

  test::MemorySettingsStore store;
  test::RecordingHelp help;
  test::FakePrompter prompter;
  std::unique_ptr<ui::MainWindow> window;
};

}  // namespace

TEST_F(MainWindowTest, StartsWithTheDesignedLayout) {
  EXPECT_EQ(window->centralWidget()->size(), QSize(342, 390));
  EXPECT_EQ(window->width(), 342);
  EXPECT_EQ(window->statusPanel()->width(), 150);
  EXPECT_EQ(window->iconBar()->height(), 19);
  EXPECT_FALSE(window->progress()->isVisible());
  EXPECT_EQ(window->pageMain()->currentIndex(), 0);
  EXPECT_EQ(window->pagePalettes()->currentWidget()->objectName(), "TabPal256");

  // Cells: the frame panel within its band, white panel 4 larger, image inside.
  struct Expect { SlotId id; QRect frame; };
  for (const auto& [id, rect] : {Expect{SlotId::ic128, {3, 3, 139, 139}},
                                 Expect{SlotId::im48, {228, 7, 58, 58}},
                                 Expect{SlotId::imNB, {265, 16, 42, 42}},
                                 Expect{SlotId::ic12, {235, 22, 26, 26}}}) {
    EXPECT_EQ(window->framePanel(id)->geometry(), rect) << core::slotName(id);
    EXPECT_EQ(window->slotView(id)->size(), QSize(rect.width() - (id == SlotId::ic128 ? 11 : 10),
                                                   rect.height() - (id == SlotId::ic128 ? 11 : 10)));
  }
  EXPECT_EQ(window->findChild<QWidget*>("Pan128")->size(), QSize(326, 144));
  EXPECT_EQ(window->slotView(SlotId::PB128)->size(), QSize(320, 328));

  // Labelled in English; Options and Help shown once labelled.
  EXPECT_EQ(window->pageMain()->tabText(0), "Iconaria");
  EXPECT_EQ(window->pageMain()->tabText(1), "Pasteboard");
  EXPECT_EQ(window->action("F1")->text(), "File");
  EXPECT_EQ(window->action("PX")->statusTip(), window->action("X")->statusTip());
  EXPECT_TRUE(window->action("Opt")->isVisible());
  EXPECT_TRUE(window->action("Hlp")->isVisible());
  EXPECT_EQ(window->action("Q")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_F4));
  EXPECT_EQ(window->action("O")->shortcut(), QKeySequence("Ctrl+I"));
}

TEST_F(MainWindowTest, ClickingAnImageSelectsItAndRestoresThePreviousFrame) {
  EXPECT_EQ(window->board().selected(), SlotId::ic128);
  EXPECT_EQ(frameColour(*window, SlotId::ic128), kGreen);
  QTest::mouseClick(window->slotView(SlotId::ic32), Qt::LeftButton);
  EXPECT_EQ(window->board().selected(), SlotId::ic32);
  EXPECT_EQ(frameColour(*window, SlotId::ic32), kGreen);
  EXPECT_EQ(frameColour(*window, SlotId::ic128), kCream);

  window->pageMain()->setCurrentIndex(1);
  QTest::mouseClick(window->slotView(SlotId::PB16), Qt::RightButton);
  EXPECT_EQ(window->board().selected(), SlotId::PB16);
  EXPECT_EQ(frameColour(*window, SlotId::PB16), kGreen);  // the tab sheet
  EXPECT_EQ(frameColour(*window, SlotId::ic32), kCream);
}

TEST_F(MainWindowTest, FileAndEditMenusFollowTheBoard) {
  openMenu("F1");
  EXPECT_FALSE(enabled("S")) << "nothing to save on an empty board";
  openMenu("E");
  EXPECT_TRUE(enabled("X"));
  EXPECT_TRUE(enabled("C"));
  EXPECT_FALSE(enabled("CMs"));
  EXPECT_FALSE(enabled("Eff"));
  EXPECT_FALSE(enabled("V"));

  window->board().offerBitmap(SlotId::ic16, picture(16, core::PixelFormat::Bits8));
  QGuiApplication::clipboard()->setImage(QImage(4, 4, QImage::Format_RGB32));
  openMenu("F1");
  EXPECT_TRUE(enabled("S"));
  openMenu("E");
  EXPECT_TRUE(enabled("CMs"));
  EXPECT_TRUE(enabled("Eff"));
  EXPECT_TRUE(enabled("V"));

  // Pasteboard tab: Save off; Wipe Out follows the visible pasteboard's depth.
  window->pageMain()->setCurrentIndex(1);
  EXPECT_FALSE(enabled("S"));
  openMenu("E");
  EXPECT_FALSE(enabled("CMs"));
  EXPECT_FALSE(enabled("X"));
  EXPECT_FALSE(enabled("V"));
  EXPECT_TRUE(enabled("Eff")) << "PB16 holds the 16x16 picture";
  window->pagePasteboard()->setCurrentIndex(1);
  openMenu("E");
  EXPECT_FALSE(enabled("Eff")) << "PB32 holds nothing";

  // Palettes: the visible palette is drawn once the tab shows; Save and Wipe Out off.
  EXPECT_FALSE(window->board().slot(SlotId::ipal256).picture);
  window->pageMain()->setCurrentIndex(2);
  EXPECT_FALSE(enabled("S"));
  EXPECT_FALSE(enabled("Eff"));
  ASSERT_TRUE(window->board().slot(SlotId::ipal256).picture);
  EXPECT_EQ(window->board().slot(SlotId::ipal256).picture->pixel(25, 5), (core::Bgra{0xCC, 0xFF, 0xFF, 255}));
  EXPECT_FALSE(window->board().slot(SlotId::ipal16).picture);
  window->pagePalettes()->setCurrentIndex(0);
  EXPECT_TRUE(window->board().slot(SlotId::ipal16).picture);
  openMenu("E");
  for (const char* name : {"CMs", "Eff", "X", "V"}) EXPECT_FALSE(enabled(name)) << name;
}

TEST_F(MainWindowTest, PopupOffersWhatTheImageAllows) {
  window->preparePopup(SlotId::ic32);  // empty board slot
  for (const char* name : {"PC", "IS", "Rot", "CCol", "Prof", "PreMult", "PV"})
    EXPECT_FALSE(enabled(name)) << name;
  EXPECT_TRUE(enabled("PX")) << "Cut stays available on the board";
  EXPECT_FALSE(enabled("CM")) << "an empty colour image has no mask to make";

  window->board().offerBitmap(SlotId::ic32, picture(32, core::PixelFormat::Bits32));
  window->preparePopup(SlotId::ic32);
  for (const char* name : {"PC", "IS", "Rot", "CCol", "Prof", "PreMult", "CM", "PX"})
    EXPECT_TRUE(enabled(name)) << name;
  EXPECT_TRUE(enabled("C")) << "a command enables its Edit menu item too";

  for (SlotId id : {SlotId::im48, SlotId::im16, SlotId::im12}) {
    window->preparePopup(id);
    EXPECT_TRUE(enabled("CM")) << core::slotName(id) << " (empty mask images too)";
  }
  window->board().offerBitmap(SlotId::ic128, picture(128, core::PixelFormat::Bits8));
  window->board().offerBitmap(SlotId::icNB, picture(32, core::PixelFormat::Bits1));
  for (SlotId id : {SlotId::ic128, SlotId::im128, SlotId::icNB, SlotId::imNB}) {
    window->preparePopup(id);
    EXPECT_FALSE(enabled("CM")) << core::slotName(id);
  }
  EXPECT_FALSE(enabled("PreMult")) << "1-bit picture";

  // The custom icon needs both the 32 and the 48 colour images and starts from one of them.
  window->preparePopup(SlotId::ic32);
  openMenu("IS");
  EXPECT_FALSE(enabled("iFat"));
  window->board().offerBitmap(SlotId::ic48, picture(48, core::PixelFormat::Bits4));
  openMenu("IS");
  EXPECT_TRUE(enabled("iFat"));
  window->preparePopup(SlotId::ic16);
  openMenu("IS");
  EXPECT_FALSE(enabled("iFat"));

  // Away from the board the pop-up never offers Cut or Paste.
  QGuiApplication::clipboard()->setImage(QImage(4, 4, QImage::Format_RGB32));
  window->pageMain()->setCurrentIndex(1);
  window->preparePopup(SlotId::PB16);
  EXPECT_FALSE(enabled("PX"));
  EXPECT_FALSE(enabled("PV"));
  EXPECT_TRUE(enabled("PC"));
}

TEST_F(MainWindowTest, LanguageSwitchRelabelsAndIsStoredAtClose) {
  window->runCommand("FR");
  EXPECT_EQ(window->langOffset(), core::kFrench);
  EXPECT_EQ(window->action("F1")->text(), "Fichier");
  EXPECT_EQ(window->pageMain()->tabText(1), "Table de montage");
  EXPECT_EQ(window->action("L")->statusTip(), ".Changement de langue d'affichage (Anglais/Français)");
  emit window->action("L")->menu()->aboutToShow();
  EXPECT_TRUE(window->action("FR")->isChecked());
  EXPECT_FALSE(window->action("EN")->isChecked());

  window->action("F1")->setText("marker");
  window->runCommand("FR");  // already French: no relabelling
  EXPECT_EQ(window->action("F1")->text(), "marker");

  window->runCommand("Q");  // File > Quit closes the window, which stores the language
  const auto lang = store.valuesOf(kMachine, "Software\\Korvane\\Vexilo\\Lang");
  ASSERT_EQ(lang.size(), 1u);
  EXPECT_EQ(lang[0].text, "1");
  open();  // the next run starts in French although the system is English
  EXPECT_EQ(window->langOffset(), core::kFrench);
  EXPECT_EQ(window->action("E")->text(), "Édition");
}

TEST_F(MainWindowTest, DefaultLanguageNeedsBothUserAndSystemInFrench) {
  test::MemorySettingsStore fresh;
  ui::MainWindow mixed(fresh, help, {0x0C, 0x09}, &prompter);
  mixed.show();
  EXPECT_EQ(mixed.langOffset(), core::kEnglish);
  test::MemorySettingsStore fresh2;
  ui::MainWindow french(fresh2, help, {0x040C, 0x080C}, &prompter);
  french.show();
  EXPECT_EQ(french.langOffset(), core::kFrench);
  EXPECT_EQ(french.action("HU")->text(), "Rubriques d'aide");
}

TEST_F(MainWindowTest, DottedHintsGoToTheStatusBarWithoutTheirDot) {
  window->statusPanel()->setText("/some/file.icns");
  window->action("O")->showStatusText(window->menuBar());
  EXPECT_EQ(window->iconBar()->currentMessage(), "Import an existing icon/resource file in the Iconaria");
  EXPECT_FALSE(window->statusPanel()->isVisible());
  window->action("CM")->showStatusText(window->popupMenu());  // the pop-up's only hint
  EXPECT_EQ(window->iconBar()->currentMessage(), "Create the mask for the current icon.");
  window->action("Jpg")->showStatusText(window->popupMenu());  // no hint: the panel comes back
  EXPECT_TRUE(window->iconBar()->currentMessage().isEmpty());
  EXPECT_TRUE(window->statusPanel()->isVisible());
  EXPECT_EQ(window->statusPanel()->text(), "/some/file.icns");
  QStatusTipEvent tip("a tool tip only");
  QApplication::sendEvent(window.get(), &tip);
  EXPECT_TRUE(window->iconBar()->currentMessage().isEmpty());
}

TEST_F(MainWindowTest, KeepsTheLastPlacedRectangleButNotAnEdgePosition) {
  window->move(60, 70);
  QApplication::processEvents();
  const QRect placed = window->mainRect();
  EXPECT_EQ(placed.topLeft(), window->frameGeometry().topLeft());
  window->move(0, 90);
  QApplication::processEvents();
  EXPECT_EQ(window->mainRect(), placed);
}

TEST_F(MainWindowTest, ReopenMenuShowsTheRecentFiles) {
  EXPECT_FALSE(enabled("Re1"));
  window->openIconFile("/tmp/a b&c.icns");
  window->openIconFile("/tmp/second.ico");
  EXPECT_TRUE(enabled("Re1"));
  EXPECT_EQ(window->action("R11")->text(), "1. /tmp/second.ico");
  EXPECT_EQ(window->action("R12")->text(), "2. /tmp/a b&&c.icns");
  EXPECT_FALSE(enabled("R13"));
  window->runCommand("R12");  // reopening moves it to the top
  EXPECT_EQ(window->action("R11")->text(), "1. /tmp/a b&&c.icns");
  EXPECT_EQ(window->statusPanel()->text(), "/tmp/a b&c.icns");
}

TEST(SlotRendering, ThirtyTwoBitPicturesBlendOverWhiteUnlessAllAlphaIsZero) {
  core::Slot slot;
  slot.picture = core::Bitmap(2, 1, core::PixelFormat::Bits32);
  slot.picture->setPixel(0, 0, {0, 0, 100, 128});  // premultiplied red at half alpha
  slot.picture->setPixel(1, 0, {0, 0, 0, 0});
  QImage shown = ui::renderSlot(slot, {2, 2});
  EXPECT_EQ(shown.pixel(0, 0), qRgb(227, 127, 127));
  EXPECT_EQ(shown.pixel(1, 0), qRgb(255, 255, 255));
  EXPECT_EQ(shown.pixel(0, 1), qRgb(255, 255, 255)) << "no picture there: white";

  slot.picture->setPixel(0, 0, {0, 0, 100, 0});
  shown = ui::renderSlot(slot, {2, 2});
  EXPECT_EQ(shown.pixel(0, 0), qRgb(100, 0, 0)) << "all alpha 0: drawn opaque";
}
