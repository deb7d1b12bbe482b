// A session in the real window, through the menus' commands only: files of both systems
// imported, the board edited, every save command, each output opened again in a fresh window
// and through File > Reopen, and the language switched back and forth.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>
#include <QTest>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/string_table.h"
#include "support/fake_prompter.h"
#include "support/memory_settings_store.h"
#include "support/shared_data.h"
#include "support/temp_dir.h"
#include "ui/edit_commands.h"
#include "ui/help_commands.h"
#include "ui/main_window.h"
#include "ui/windows_commands.h"

using namespace vexilo;
using core::Bitmap;
using core::SlotId;

namespace {

constexpr int kDepth1 = 1, kDepth32 = 7;

// Same size and the same colour in every pixel (alpha left out: file formats keep it apart).
::testing::AssertionResult sameColours(const core::Slot& a, const core::Slot& b) {
  if (!a.picture || !b.picture) return ::testing::AssertionFailure() << "an empty slot";
  if (a.picture->width() != b.picture->width() || a.picture->height() != b.picture->height())
    return ::testing::AssertionFailure() << "sizes differ";
  for (int y = 0; y < a.picture->height(); ++y)
    for (int x = 0; x < a.picture->width(); ++x) {
      const core::Bgra p = a.picture->pixel(x, y), q = b.picture->pixel(x, y);
      if (p.red != q.red || p.green != q.green || p.blue != q.blue)
        return ::testing::AssertionFailure() << "pixel " << x << "," << y << " differs";
    }
  return ::testing::AssertionSuccess();
}

// Every board slot alike: depth and every pixel, alpha included.
::testing::AssertionResult sameBoard(const core::IconSet& a, const core::IconSet& b) {
  for (SlotId id : core::kBoardSlots) {
    const core::Slot &p = a.slot(id), &q = b.slot(id);
    if (p.depth != q.depth || p.picture.has_value() != q.picture.has_value())
      return ::testing::AssertionFailure() << core::slotName(id) << ": depth " << p.depth << " vs "
                                           << q.depth;
    if (!p.picture) continue;
    if (p.picture->width() != q.picture->width() || p.picture->height() != q.picture->height())
      return ::testing::AssertionFailure() << core::slotName(id) << ": sizes differ";
    for (int y = 0; y < p.picture->height(); ++y)
      for (int x = 0; x < p.picture->width(); ++x)
        if (p.picture->pixel(x, y) != q.picture->pixel(x, y))
          return ::testing::AssertionFailure() << core::slotName(id) << ": pixel " << x << "," << y;
  }
  return ::testing::AssertionSuccess();
}

double meanDifference(const Bitmap& a, const Bitmap& b) {
  double sum = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const core::Bgra p = a.pixel(x, y), q = b.pixel(x, y);
      sum += std::abs(p.red - q.red) + std::abs(p.green - q.green) + std::abs(p.blue - q.blue);
    }
  return sum / (3.0 * a.width() * a.height());
}

class Walkthrough : public ::testing::Test {
 protected:
  std::unique_ptr<ui::MainWindow> freshWindow() {
    auto w = std::make_unique<ui::MainWindow>(store, help, ui::SystemLanguages{0x09, 0x09}, &prompter);
    // Wired here as the window program wires them (a second registration is harmless).
    ui::installEditCommands(*w);
    ui::installWindowsCommands(*w);
    ui::installHelpCommands(*w, help,
                            {[this](const QUrl& url) { urls.push_back(url.toString().toStdString()); }});
    w->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    return w;
  }

  // File > Import with the open dialog answered.
  void import(ui::MainWindow& w, const std::filesystem::path& path) {
    prompter.paths.push_back(path.string());
    emit w.action("F1")->menu()->aboutToShow();
    w.action("O")->trigger();
    EXPECT_EQ(w.statusPanel()->text().toStdString(), path.string());
  }

  // A menu item with the save dialog answered; the file must then exist.
  void save(ui::MainWindow& w, const char* item, const std::filesystem::path& path) {
    ASSERT_TRUE(w.action(item)->isEnabled()) << item;
    prompter.paths.push_back(path.string());
    w.action(item)->trigger();
    EXPECT_TRUE(prompter.infos.empty()) << item << ": " << prompter.infos.front();
    EXPECT_GT(std::filesystem::file_size(path), 0u) << item;
  }

  // The pop-up as a right-click opens it: the image selected, the menu prepared.
  void popupOn(ui::MainWindow& w, SlotId id) {
    w.selectSlot(id);
    w.preparePopup(id);
  }

  test::MemorySettingsStore store;
  test::RecordingHelp help;
  test::FakePrompter prompter;
  std::vector<std::string> urls;
  test::TempDir dir;
};

}  // namespace

TEST_F(Walkthrough, ImportEditSaveEverywhereAndReopen) {
  VEXILO_REQUIRE_SHARED();
  const auto shared = test::sharedDir();
  auto window = freshWindow();
  ui::MainWindow& w = *window;
  EXPECT_FALSE(w.action("Re1")->isEnabled()) << "no file opened yet";

  // Import: an icns file, a MacBinary file with classic icon resources, a Windows icon.
  import(w, shared / "samples/peer_png2icns.icns");
  for (SlotId id : {SlotId::ic16, SlotId::ic32, SlotId::ic48, SlotId::ic128})
    EXPECT_EQ(w.board().slot(id).depth, kDepth32) << core::slotName(id);
  EXPECT_FALSE(w.board().slot(SlotId::icNB).filled());
  const core::IconSet afterIcns = w.board();

  import(w, shared / "corpus/macbinary/hfsutils_Desktop.bin");
  EXPECT_EQ(w.board().slot(SlotId::icNB).depth, kDepth1) << "the ICN# of the resource fork";
  EXPECT_TRUE(sameColours(w.board().slot(SlotId::ic32), afterIcns.slot(SlotId::ic32)))
      << "a shallower icl8 leaves the 32-bit picture";
  import(w, shared / "samples/peer_magick_32bit.ico");
  EXPECT_TRUE(sameColours(w.board().slot(SlotId::ic48), afterIcns.slot(SlotId::ic48)))
      << "of equal depths the first picture stays";
  EXPECT_EQ(prompter.openDialogs.size(), 3u);
  EXPECT_TRUE(prompter.infos.empty());
  EXPECT_TRUE(w.action("Re1")->isEnabled());
  EXPECT_NE(w.action("R11")->text().toStdString().find("peer_magick_32bit.ico"), std::string::npos);

  // Edit > Create All Masks, a quarter turn, a colour depth.
  emit w.action("E")->menu()->aboutToShow();
  ASSERT_TRUE(w.action("CMs")->isEnabled());
  w.action("CMs")->trigger();
  for (SlotId id : {SlotId::im16, SlotId::im32, SlotId::im48})
    EXPECT_TRUE(w.board().slot(id).picture) << core::slotName(id);

  popupOn(w, SlotId::ic48);
  ASSERT_TRUE(w.action("Rot")->isEnabled());
  const Bitmap before48 = *w.board().slot(SlotId::ic48).picture;
  w.action("R90D")->trigger();
  const Bitmap& turned = *w.board().slot(SlotId::ic48).picture;
  for (int y = 0; y < 48; y += 7)
    for (int x = 0; x < 48; x += 5)
      ASSERT_EQ(turned.pixel(47 - y, x), before48.pixel(x, y)) << x << "," << y;

  popupOn(w, SlotId::ic32);
  emit w.action("Prof")->menu()->aboutToShow();
  EXPECT_TRUE(w.action("b32")->isChecked());
  w.action("b8")->trigger();
  EXPECT_EQ(w.board().slot(SlotId::ic32).picture->format(), core::PixelFormat::Bits8);
  EXPECT_EQ(w.board().slot(SlotId::ic32).depth, kDepth32) << "the recorded depth stays";
  const core::IconSet edited = w.board();

  // Every save command: File > Save, then the pop-up's Save Image on the 32x32 colour image.
  emit w.action("F1")->menu()->aboutToShow();
  ASSERT_TRUE(w.action("S")->isEnabled());
  const auto at = [&](const char* name) { return dir / name; };
  save(w, "DatF", at("family.icns"));
  save(w, "ResF", at("resource.bin"));
  save(w, "F2", at("both.bin"));
  save(w, "Wic", at("family.ico"));
  popupOn(w, SlotId::ic32);
  emit w.action("IS")->menu()->aboutToShow();
  ASSERT_TRUE(w.action("iFat")->isEnabled());
  save(w, "Icns", at("slot32.icns"));
  prompter.paths.push_back(at("slot32").string());  // ".bin" is always added
  w.action("Ress")->trigger();
  EXPECT_GT(std::filesystem::file_size(at("slot32.bin")), 0u);
  save(w, "iFat", at("custom.bin"));
  save(w, "Ico", at("slot32.ico"));
  save(w, "SBM", at("slot32.bmp"));
  save(w, "Jpg", at("slot32.jpg"));
  EXPECT_EQ(prompter.saveDialogs.size(), 10u);
  EXPECT_TRUE(prompter.questions.empty()) << "no file existed before";

  // Each output in a fresh window, through File > Import.
  struct Opened {
    std::string name;
    core::IconSet board;
  };
  std::vector<Opened> opened;
  for (const char* name : {"family.icns", "resource.bin", "both.bin", "family.ico", "slot32.icns",
                           "slot32.bin", "custom.bin", "slot32.ico", "slot32.bmp", "slot32.jpg"}) {
    SCOPED_TRACE(name);
    auto reader = freshWindow();
    import(*reader, at(name));
    EXPECT_TRUE(prompter.infos.empty());
    opened.push_back({name, reader->board()});
  }
  const auto board = [&](const std::string& name) -> const core::IconSet& {
    for (const Opened& o : opened)
      if (o.name == name) return o.board;
    throw std::runtime_error("not opened: " + name);
  };

  // The family in an icns file: every colour image as edited, the 16-48 masks with it.
  const core::IconSet& family = board("family.icns");
  for (SlotId id : {SlotId::ic16, SlotId::ic32, SlotId::ic48, SlotId::ic128}) {
    EXPECT_EQ(family.slot(id).depth, kDepth32) << core::slotName(id);
    EXPECT_TRUE(sameColours(family.slot(id), edited.slot(id))) << core::slotName(id);
  }
  EXPECT_FALSE(family.slot(SlotId::icNB).filled()) << "icns families carry no black and white image";
  // The same family inside the resource fork, and in both forks.
  EXPECT_TRUE(sameBoard(board("resource.bin"), family));
  EXPECT_TRUE(sameBoard(board("both.bin"), family));
  // The Windows icon holds the same four colour images.
  for (SlotId id : {SlotId::ic16, SlotId::ic32, SlotId::ic48, SlotId::ic128})
    EXPECT_TRUE(sameColours(board("family.ico").slot(id), edited.slot(id))) << core::slotName(id);

  // One image alone: as an icns file, an icns resource, a Windows icon, a BMP and a JPEG.
  for (const char* name : {"slot32.icns", "slot32.bin", "slot32.ico", "slot32.bmp"}) {
    EXPECT_TRUE(sameColours(board(name).slot(SlotId::ic32), edited.slot(SlotId::ic32))) << name;
    EXPECT_FALSE(board(name).slot(SlotId::ic48).filled()) << name;
  }
  const core::Slot& jpeg = board("slot32.jpg").slot(SlotId::ic32);
  ASSERT_TRUE(jpeg.picture);
  EXPECT_LT(meanDifference(*jpeg.picture, *edited.slot(SlotId::ic32).picture), 12.0);
  // The custom icon: the 32 and 48 pairs.
  EXPECT_TRUE(sameColours(board("custom.bin").slot(SlotId::ic32), edited.slot(SlotId::ic32)));
  EXPECT_TRUE(sameColours(board("custom.bin").slot(SlotId::ic48), edited.slot(SlotId::ic48)));
  EXPECT_TRUE(board("custom.bin").slot(SlotId::im32).filled());

  // File > Reopen holds the last five opened, the latest first; each reads alike again.
  for (int k = 1; k <= core::RecentMenu::kItems; ++k) {
    const Opened& expected = opened[opened.size() - static_cast<std::size_t>(k)];
    SCOPED_TRACE(expected.name);
    auto again = freshWindow();
    const QString item = QString("R1%1").arg(k);
    emit again->action("F1")->menu()->aboutToShow();
    ASSERT_TRUE(again->action(item)->isEnabled());
    EXPECT_NE(again->action(item)->text().toStdString().find(expected.name), std::string::npos);
    again->action(item)->trigger();
    EXPECT_TRUE(sameBoard(again->board(), expected.board));
  }
  EXPECT_TRUE(prompter.infos.empty());
}

TEST_F(Walkthrough, LanguageAndHelpMenus) {
  auto window = freshWindow();
  ui::MainWindow& w = *window;
  const auto caption = [&](const char* item) { return w.action(item)->text().toStdString(); };
  EXPECT_EQ(caption("F1"), core::loadLocalString(6500, 0));
  EXPECT_EQ(w.pageMain()->tabText(1), "Pasteboard");
  EXPECT_EQ(caption("Aprop"), "About Vexilo");

  emit w.action("L")->menu()->aboutToShow();
  EXPECT_TRUE(w.action("EN")->isChecked());
  w.action("FR")->trigger();
  EXPECT_EQ(w.langOffset(), 10000);
  EXPECT_EQ(caption("F1"), core::loadLocalString(6500, 10000));
  EXPECT_NE(caption("F1"), core::loadLocalString(6500, 0));
  EXPECT_EQ(w.pageMain()->tabText(1).toStdString(), "Table de montage");
  EXPECT_EQ(w.pagePalettes()->tabText(0).toStdString(), "16 couleurs");
  EXPECT_EQ(caption("Aprop"), "À propos de Vexilo");
  EXPECT_EQ(caption("HU"), "Rubriques d'aide");

  // No help file beside this program: the help items open nothing; support is on the web.
  for (const char* item : {"HU", "HS", "HI"}) w.action(item)->trigger();
  EXPECT_TRUE(help.calls.empty());
  w.action("WH")->trigger();
  EXPECT_EQ(urls, std::vector<std::string>{"https://support.korvane.example/supportfr.php3"});

  w.action("EN")->trigger();
  EXPECT_EQ(w.langOffset(), 0);
  EXPECT_EQ(caption("F1"), core::loadLocalString(6500, 0));
  EXPECT_EQ(w.pageMain()->tabText(1), "Pasteboard");
  EXPECT_EQ(caption("HU"), "Help Topics");
  // The choice is kept for the next run.
  w.runCommand("FR");
  w.close();
  auto next = freshWindow();
  EXPECT_EQ(next->langOffset(), 10000);
}
