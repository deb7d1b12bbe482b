// The Help menu, the About box, Print and Printer Setup in the real window. Help files named
// after this program lie beside it (made by the build), so the window finds one per language.
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTest>

#include "core/string_table.h"
#include "support/fake_prompter.h"
#include "support/memory_settings_store.h"
#include "support/modal.h"
#include "support/oracle.h"
#include "support/temp_dir.h"
#include "ui/about_box.h"
#include "ui/help_commands.h"
#include "ui/main_window.h"
#include "ui/printing.h"
#include "ui/slot_view.h"

using namespace vexilo;
using test::WhenModal;

namespace {

class HelpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString((dir / "page.pdf").string()));
    ui::installHelpCommands(window, help, {opener, &printer});
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }

  test::TempDir dir;
  QPrinter printer{QPrinter::HighResolution};
  test::MemorySettingsStore store;
  test::RecordingHelp help;
  test::FakePrompter prompter;
  std::vector<std::string> urls;
  ui::UrlOpener opener = [this](const QUrl& url) { urls.push_back(url.toString().toStdString()); };
  ui::MainWindow window{store, help, ui::SystemLanguages{0x09, 0x09}, &prompter};
};

}  // namespace

TEST_F(HelpTest, HelpItemsAndTheAboutBoxInBothLanguages) {
  for (const auto& [lang, file, offset, caption] : {std::tuple{"EN", "help_testse.CHM", 0, "About Vexilo"},
                                                    std::tuple{"FR", "help_testsf.CHM", 10000, "À propos de Vexilo"}}) {
    window.runCommand(lang);
    EXPECT_EQ(std::filesystem::path(window.helpPath()).filename(), file);
    help.calls.clear();
    for (const char* item : {"HU", "HS", "HI", "WH"}) window.action(item)->trigger();
    ui::AboutBox box(offset, "/opt/vexilo/vexilo.CHM", help, opener, &window);
    EXPECT_EQ(box.windowTitle(), QString::fromUtf8(caption));
    EXPECT_EQ(box.findChild<QLabel*>("ctl111")->text().toStdString(), core::loadLocalString(1056, offset));
    for (const char* name : {"ctl141", "ctl113", "ctl114"}) box.findChild<QPushButton*>(name)->click();
    std::vector<std::string> calls;
    for (const auto& c : help.calls)
      calls.push_back(c.kind + std::to_string(c.context) + c.query + (c.path == window.helpPath() ? "" : c.path));
    EXPECT_EQ(calls, (std::vector<std::string>{"context" + std::to_string(998 + offset), "search0Quillon", "index0",
                                               "context" + std::to_string(1006 + offset) + "/opt/vexilo/vexilo.CHM"}));
  }
  EXPECT_EQ(urls, (std::vector<std::string>{"https://support.korvane.example/supporten.php3",
                                            "mailto:support@korvane.example", "https://www.korvane.example",
                                            "https://support.korvane.example/supportfr.php3",
                                            "mailto:support@korvane.example", "https://www.korvane.example"}));
  // The box is laid out in dialog units: the classic 8-point face's are 6 by 13, and halves
  // round away from 0.
  EXPECT_EQ(ui::fromDialogUnits({155, 133, 80, 14}, {6, 13}), QRect(233, 216, 120, 23));
}

TEST_F(HelpTest, AboutIsModalCentredOverTheWindowAndKeptOnTheScreen) {
  // The window's last position is kept, but not one on the screen's left or top edge.
  QRect placed;
  for (const QPoint& at : {QPoint(60, 70), QPoint(-200, 40), QPoint(0, 90)}) {
    window.move(at);
    QApplication::processEvents();
    if (at.x() != 0) placed = window.frameGeometry();
    QRect shownAt;
    WhenModal esc([&](QWidget& box) {
      shownAt = box.frameGeometry();
      QTest::keyClick(&box, Qt::Key_Escape);
    });
    window.action("Aprop")->trigger();
    EXPECT_EQ(shownAt.topLeft(), ui::centredOver(placed, shownAt.size(), window.screen()->geometry().size()));
  }
  // Halves truncate toward zero; past the right or bottom edge the box is pulled back, but a
  // box larger than the screen keeps its top-left corner on it.
  EXPECT_EQ(ui::centredOver({10, 10, 357, 241}, {360, 244}, {1024, 768}), QPoint(9, 9));
  EXPECT_EQ(ui::centredOver({900, 700, 342, 450}, {360, 244}, {1024, 768}), QPoint(664, 524));
  EXPECT_EQ(ui::centredOver({0, -50, 300, 300}, {2000, 1000}, {1024, 768}), QPoint(0, 0));
}

TEST_F(HelpTest, PrintPutsTheClientAreaOnOnePortraitPageAndSetupUsesThatPrinter) {
  for (const auto& [page, scale] : {std::pair{4800, 12}, {742, 1}, {741, 0}, {300, 0}})
    EXPECT_EQ(ui::printScale(page, 342), scale) << page;
  core::Bitmap red(128, 128, core::PixelFormat::Bits32);
  red.fill({0, 0, 255, 255});
  window.board().offerBitmap(core::SlotId::ic128, red);
  printer.setPageOrientation(QPageLayout::Landscape);  // Print takes portrait whatever was set
  window.action("Pr")->trigger();
  EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Portrait);
  WhenModal cancel([&](QWidget& box) {
    auto* dialog = qobject_cast<QPrintDialog*>(&box);
    EXPECT_EQ(dialog ? dialog->printer() : nullptr, &printer);
    static_cast<QDialog&>(box).reject();
  });
  window.action("PrS")->trigger();
  if (test::runCommand("command -v pdftoppm >/dev/null 2>&1") != 0) {
    if (test::inCi()) FAIL() << "pdftoppm (poppler-utils) is missing";
    GTEST_SKIP() << "pdftoppm (poppler-utils) is missing";
  }
  ASSERT_EQ(test::runCommand("pdftoppm -r 100 -png " + test::shellQuote((dir / "page.pdf").string()) + " " +
                             test::shellQuote((dir / "page").string())), 0);
  EXPECT_FALSE(std::filesystem::exists(dir / "page-2.png"));
  const QImage page(QString::fromStdString((dir / "page-1.png").string()));
  // The pages and the status bar, no menu, enlarged from the printable area's corner plus the
  // margin: the red image, white margins, the board's frame at the right edge.
  const QRect client = window.centralWidget()->geometry().united(window.statusBar()->geometry());
  const QRect printable = printer.pageRect(QPrinter::DevicePixel).toRect();
  const int s = ui::printScale(printable.width(), 342);
  const auto onPage = [&](QPoint p) {
    return page.pixelColor(((QPointF(printable.topLeft()) + QPointF(ui::kPrintMargin, ui::kPrintMargin) +
                             QPointF(p) * s) * (100.0 / printer.resolution())).toPoint());
  };
  const QColor printed = onPage(window.slotView(core::SlotId::ic128)->mapTo(&window, QPoint(64, 64)) - client.topLeft());
  EXPECT_TRUE(printed.red() > 200 && printed.green() < 60 && printed.blue() < 60) << printed.name().toStdString();
  EXPECT_EQ(onPage({-4, -4}), QColor(Qt::white));
  EXPECT_NE(onPage({340, 200}), QColor(Qt::white));
}
