// The real main window on the offscreen platform, driven through its menus: a session that
// imports files of both systems, edits the board through the pop-up, the Edit menu and the
// system clipboard, saves with every command and reads each output again; the menus' states as
// the window applies them; selection, language and hints.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/menu_state.h"
#include "support/fake_prompter.h"
#include "support/memory_settings_store.h"
#include "support/shared_data.h"
#include "support/temp_dir.h"
#include "ui/main_window.h"
#include "ui/qsettings_store.h"
#include "ui/qt_clipboard.h"
#include "ui/slot_view.h"

using namespace vexilo;
using core::Bitmap;
using core::PixelFormat;
using core::SlotId;

namespace {

Bitmap pattern(int size, PixelFormat format) {
  Bitmap b(size, size, PixelFormat::Bits32);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      b.setPixel(x, y, {std::uint8_t(x * 8), std::uint8_t(y * 8), std::uint8_t(x * y), 255});
  b.convertTo(format);
  return b;
}

// The same size and, to within `tolerance` on average, the same colours (alpha left out: file
// formats keep it apart).
::testing::AssertionResult sameColours(const core::Slot& a, const core::Slot& b, double tolerance = 0) {
  if (!a.picture || !b.picture || a.picture->width() != b.picture->width() ||
      a.picture->height() != b.picture->height())
    return ::testing::AssertionFailure() << "an empty slot or other sizes";
  double sum = 0;
  for (int y = 0; y < a.picture->height(); ++y)
    for (int x = 0; x < a.picture->width(); ++x) {
      const core::Bgra p = a.picture->pixel(x, y), q = b.picture->pixel(x, y);
      sum += std::abs(p.red - q.red) + std::abs(p.green - q.green) + std::abs(p.blue - q.blue);
    }
  sum /= 3.0 * a.picture->width() * a.picture->height();
  if (sum > tolerance) return ::testing::AssertionFailure() << "mean difference " << sum;
  return ::testing::AssertionSuccess();
}

// Every board slot alike: depth and picture.
::testing::AssertionResult sameBoard(const core::IconSet& a, const core::IconSet& b) {
  for (SlotId id : core::kBoardSlots)
    if (a.slot(id).depth != b.slot(id).depth || a.slot(id).picture != b.slot(id).picture)
      return ::testing::AssertionFailure() << core::slotName(id) << " differs";
  return ::testing::AssertionSuccess();
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QGuiApplication::clipboard()->clear();
    window = open();
  }
  std::unique_ptr<ui::MainWindow> open(core::SettingsStore* settings = nullptr) {
    auto w = std::make_unique<ui::MainWindow>(settings ? *settings : store, help,
                                              ui::SystemLanguages{0x09, 0x09}, &prompter);
    w->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    return w;
  }
  // A menu opened (none: an item of the pop-up itself), then its item chosen, which must be
  // enabled.
  void choose(ui::MainWindow& w, const char* menu, const char* item) {
    if (menu) emit w.action(menu)->menu()->aboutToShow();
    ASSERT_TRUE(w.action(item)->isEnabled()) << item;
    w.action(item)->trigger();
  }
  // The pop-up as a right click opens it: the image selected, the menu prepared.
  void popup(ui::MainWindow& w, SlotId id, const char* item, const char* submenu = nullptr) {
    w.selectSlot(id);
    w.preparePopup(id);
    choose(w, submenu, item);
  }
  void import(ui::MainWindow& w, const std::filesystem::path& path) {
    prompter.paths.push_back(path.string());
    choose(w, "F1", "O");
    EXPECT_EQ(w.statusPanel()->text().toStdString(), path.string());
  }
  void expectShown(const core::ItemStates& states) {
    for (const auto& [item, enabled] : states)
      EXPECT_EQ(window->action(QString::fromLatin1(item.data(), qsizetype(item.size())))->isEnabled(),
                enabled) << item;
  }
  void menu(const char* name) { emit window->action(name)->menu()->aboutToShow(); }

  test::MemorySettingsStore store;
  test::RecordingHelp help;
  test::FakePrompter prompter;
  test::TempDir dir;
  std::unique_ptr<ui::MainWindow> window;
};

}  // namespace

TEST_F(WindowTest, ImportEditSaveEverywhereAndReopen) {
  VEXILO_REQUIRE_SHARED();
  ui::MainWindow& w = *window;
  import(w, test::sharedDir() / "samples/peer_png2icns.icns");
  import(w, test::sharedDir() / "corpus/macbinary/hfsutils_Desktop.bin");
  ASSERT_EQ(w.board().slot(SlotId::icNB).depth, 1) << "the ICN# of the resource fork";
  import(w, test::sharedDir() / "samples/peer_magick_32bit.ico");

  // The masks, a quarter turn, a colour depth; Copy of the pasteboard in view, Cut from the
  // Edit menu and Paste from the pop-up through the system clipboard.
  choose(w, "E", "CMs");
  for (SlotId id : {SlotId::im16, SlotId::im32, SlotId::im48}) EXPECT_TRUE(w.board().slot(id).picture);
  const Bitmap before48 = *w.board().slot(SlotId::ic48).picture;
  popup(w, SlotId::ic48, "R90D", "Rot");  // a quarter turn right: (x, y) goes to (47 - y, x)
  EXPECT_EQ(w.board().slot(SlotId::ic48).picture->pixel(47 - 9, 2), before48.pixel(2, 9));
  popup(w, SlotId::ic32, "b8", "Prof");
  EXPECT_EQ(w.board().slot(SlotId::ic32).picture->format(), PixelFormat::Bits8);
  emit w.action("Prof")->menu()->aboutToShow();
  EXPECT_TRUE(w.action("b8")->isChecked());
  w.pageMain()->setCurrentIndex(1);
  w.pagePasteboard()->setCurrentIndex(2);
  choose(w, "E", "C");
  EXPECT_EQ(ui::QtClipboard().bitmap(), w.board().slot(SlotId::PB48).picture);
  w.pageMain()->setCurrentIndex(0);
  const core::Slot blackWhite = w.board().slot(SlotId::icNB);
  w.selectSlot(SlotId::icNB);
  choose(w, "E", "X");
  ASSERT_FALSE(w.board().slot(SlotId::icNB).filled());
  popup(w, SlotId::icNB, "PV");
  EXPECT_EQ(w.board().slot(SlotId::icNB).picture, blackWhite.picture) << "1 bit kept";
  const core::IconSet edited = w.board();

  // Every save command: File > Save, then the pop-up's Save Image As on the 32x32 image.
  std::vector<std::pair<std::string, std::string>> saves = {
      {"DatF", "family.icns"}, {"ResF", "resource.bin"}, {"F2", "both.bin"}, {"Wic", "family.ico"},
      {"Icns", "slot32.icns"}, {"Ress", "slot32"},       {"iFat", "a&b.bin"}, {"Ico", "slot32.ico"},
      {"SBM", "slot32.bmp"},   {"Jpg", "slot32.jpg"}};
  for (auto& [item, name] : saves) {
    prompter.paths.push_back((dir / name).string());
    if (item == "DatF" || item == "ResF" || item == "F2" || item == "Wic") choose(w, "F1", item.c_str());
    else popup(w, SlotId::ic32, item.c_str(), "IS");
    if (item == "Ress") name += ".bin";  // always added
  }
  std::map<std::string, core::IconSet> read;
  for (const auto& [item, name] : saves) {
    auto reader = open();
    import(*reader, dir / name);
    read.emplace(name, reader->board());
  }
  EXPECT_TRUE(prompter.infos.empty());
  const core::IconSet& family = read.at("family.icns");
  for (SlotId id : {SlotId::ic16, SlotId::ic32, SlotId::ic48, SlotId::ic128}) {
    EXPECT_EQ(family.slot(id).depth, 7) << core::slotName(id);
    EXPECT_TRUE(sameColours(family.slot(id), edited.slot(id))) << core::slotName(id);
    EXPECT_TRUE(sameColours(read.at("family.ico").slot(id), edited.slot(id))) << core::slotName(id);
  }
  EXPECT_TRUE(sameBoard(read.at("resource.bin"), family));
  EXPECT_TRUE(sameBoard(read.at("both.bin"), family));
  for (const std::string name :
       {"slot32.icns", "slot32.bin", "slot32.ico", "slot32.bmp", "slot32.jpg"}) {
    EXPECT_TRUE(sameColours(read.at(name).slot(SlotId::ic32), edited.slot(SlotId::ic32),
                            name == "slot32.jpg" ? 12 : 0)) << name;
    EXPECT_FALSE(read.at(name).slot(SlotId::ic48).filled()) << name;
  }
  for (SlotId id : {SlotId::ic32, SlotId::ic48})  // the custom icon
    EXPECT_TRUE(sameColours(read.at("a&b.bin").slot(id), edited.slot(id))) << core::slotName(id);

  // File > Reopen: the last five read, the latest first, "&" doubled in the captions.
  auto again = open();
  EXPECT_EQ(again->action("R11")->text().toStdString(), "1. " + (dir / "slot32.jpg").string());
  EXPECT_EQ(again->action("R14")->text().toStdString(), "4. " + (dir / "a&&b.bin").string());
  choose(*again, "Re1", "R15");
  EXPECT_TRUE(sameBoard(again->board(), read.at("slot32.bin")));
  EXPECT_EQ(again->action("R11")->text().toStdString(), "1. " + (dir / "slot32.bin").string());
  // Wipe Out empties what the tab in view shows.
  for (int tab : {2, 1, 0}) {
    again->pageMain()->setCurrentIndex(tab);
    again->runCommand("Eff");
    EXPECT_EQ(again->board().slot(SlotId::ic32).filled(), tab != 0) << tab;
    EXPECT_EQ(again->board().slot(SlotId::PB32).filled(), tab == 2) << tab;
  }
}

TEST_F(WindowTest, MenusShowTheRulesForWhatTheWindowShows) {
  window->board().offerBitmap(SlotId::ic32, pattern(32, PixelFormat::Bits32));  // PB32 too
  window->board().offerBitmap(SlotId::ic48, pattern(48, PixelFormat::Bits4));
  struct Case { int tab, pasteboard; bool clipboard; };  // each case changes the tab
  for (const auto& [tab, pasteboard, clipboard] :
       {Case{1, 1, true}, {0, 1, true}, {2, 0, true}, {1, 0, false}, {0, 0, false}}) {
    SCOPED_TRACE(testing::Message() << "tab " << tab << ", pasteboard " << pasteboard);
    if (clipboard) QGuiApplication::clipboard()->setImage(QImage(4, 4, QImage::Format_RGB32));
    else QGuiApplication::clipboard()->clear();
    window->pagePasteboard()->setCurrentIndex(pasteboard);
    window->pageMain()->setCurrentIndex(tab);
    const core::MenuInput in{window->board(), static_cast<core::MainTab>(tab),
                             core::kPasteboards[static_cast<std::size_t>(pasteboard)], clipboard};
    expectShown(core::tabChangeStates(in.tab));
    menu("F1");
    expectShown(core::fileMenuStates(in));
    menu("E");
    expectShown(core::editMenuStates(in));
    for (SlotId id : {SlotId::ic32, SlotId::im16, SlotId::ic128, SlotId::PB32}) {
      window->preparePopup(id);
      expectShown(core::popupStates(in, id));
      menu("IS");
      expectShown(core::saveImageMenuStates(in, id));
    }
  }
}

TEST_F(WindowTest, SelectionHintsDrawingAndLanguage) {
  // A click selects an image and marks its frame (a tab sheet for the pasteboard) alone.
  const auto frame = [&](SlotId id) {
    return window->framePanel(id)->palette().color(QPalette::Window);
  };
  QTest::mouseClick(window->slotView(SlotId::ic32), Qt::LeftButton);
  window->pageMain()->setCurrentIndex(1);
  QTest::mouseClick(window->slotView(SlotId::PB16), Qt::RightButton);
  EXPECT_EQ(window->board().selected(), SlotId::PB16);
  EXPECT_EQ(frame(SlotId::PB16), QColor(192, 220, 192));
  for (SlotId id : {SlotId::ic32, SlotId::ic128}) EXPECT_EQ(frame(id), QColor(255, 251, 240));

  // Dotted hints go to the status bar without their dot.
  window->statusPanel()->setText("/some/file.icns");
  window->action("CM")->showStatusText(window->popupMenu());
  EXPECT_EQ(window->iconBar()->currentMessage(), "Create the mask for the current icon.");
  window->action("Jpg")->showStatusText(window->popupMenu());  // no hint: the panel comes back
  EXPECT_TRUE(window->iconBar()->currentMessage().isEmpty());
  EXPECT_EQ(window->statusPanel()->text(), "/some/file.icns");

  // 32-bit pictures show blended over white, unless all their alpha is 0; white where none is.
  core::Slot slot;
  slot.picture = Bitmap(1, 1, PixelFormat::Bits32);
  slot.picture->setPixel(0, 0, {0, 0, 100, 128});  // premultiplied red at half alpha
  EXPECT_EQ(ui::renderSlot(slot, {1, 2}).pixel(0, 0), qRgb(227, 127, 127));
  EXPECT_EQ(ui::renderSlot(slot, {1, 2}).pixel(0, 1), qRgb(255, 255, 255));
  slot.picture->setPixel(0, 0, {0, 0, 100, 0});
  EXPECT_EQ(ui::renderSlot(slot, {1, 2}).pixel(0, 0), qRgb(100, 0, 0));

  // The language chosen and the files opened are kept for the next run, whatever the system's
  // language, in the machine-wide settings (the test's own folders).
  ui::QSettingsStore kept;
  window = open(&kept);
  window->runCommand("FR");
  EXPECT_EQ(window->pageMain()->tabText(1), "Table de montage");
  window->board().offerBitmap(SlotId::ic16, pattern(16, PixelFormat::Bits1));
  window->preparePopup(SlotId::ic16);
  window->action("CCol")->trigger();
  EXPECT_EQ(prompter.infos, std::vector<std::string>{"2 différentes couleurs dans l'image."});
  menu("L");
  EXPECT_TRUE(window->action("FR")->isChecked() && !window->action("EN")->isChecked());
  window->openIconFile("/data/b.icns");  // not there: said so, listed all the same
  window->action("Q")->trigger();  // closing stores the language
  window = open(&kept);
  EXPECT_EQ(window->action("E")->text(), "Édition");
  EXPECT_EQ(window->action("R11")->text(), "1. /data/b.icns");
  EXPECT_TRUE(
      std::filesystem::exists(std::filesystem::path(std::getenv("XDG_CONFIG_DIRS")) / "Korvane/Vexilo.conf"));
}

TEST_F(WindowTest, PicturesThroughTheSystemClipboard) {
  // Ours keep their format and colours; 4-bit ones come back 8-bit.
  for (int ordinal = 1; ordinal <= 7; ++ordinal) {
    Bitmap b = pattern(13, PixelFormat(ordinal));
    if (ordinal == 7) b.setPixel(2, 3, {10, 20, 30, 0});  // straight alpha, kept
    const auto back = ui::fromQImage(ui::toQImage(b));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->depth, ordinal == 2 ? 3 : ordinal);
    EXPECT_EQ(back->bitmap.format(), PixelFormat(back->depth));
    for (int y = 0; y < 13; ++y)
      for (int x = 0; x < 13; ++x) ASSERT_EQ(back->bitmap.pixel(x, y), b.pixel(x, y)) << ordinal;
  }
  EXPECT_FALSE(ui::fromQImage(QImage()));
}
