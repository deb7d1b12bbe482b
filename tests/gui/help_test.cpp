// The Help menu, the About box, Print and Printer Setup in the real window. Help files named
// after this program lie beside it (made by the build), so the window finds one per language.
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStatusBar>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "core/string_table.h"
#include "support/fake_prompter.h"
#include "support/modal.h"
#include "support/memory_settings_store.h"
#include "support/oracle.h"
#include "support/shared_data.h"
#include "support/temp_dir.h"
#include "ui/about_box.h"
#include "ui/help_commands.h"
#include "ui/main_window.h"
#include "ui/printing.h"
#include "ui/slot_view.h"

using namespace vexilo;
using core::SlotId;

using vexilo::test::WhenModal;

namespace {

constexpr int kFrench = 10000;

template <class T>
T& child(QWidget& parent, const char* name) {
  T* found = parent.findChild<T*>(QString::fromLatin1(name));
  if (!found) throw std::runtime_error(std::string("no child ") + name);
  return *found;
}

std::string fileName(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

class HelpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString((dir / "page.pdf").string()));
  }

  void open(ui::SystemLanguages languages = {0x09, 0x09}, bool show = true) {
    window = std::make_unique<ui::MainWindow>(store, help, languages, &prompter);
    ui::installHelpCommands(*window, help, hooks());
    ui::installHelpCommands(*window, help, hooks());  // a second call changes nothing
    if (!show) return;
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }

  ui::HelpHooks hooks() {
    return {[this](const QUrl& url) { urls.push_back(url.toString().toStdString()); }, &printer};
  }

  test::TempDir dir;
  QPrinter printer{QPrinter::HighResolution};
  test::MemorySettingsStore store;
  test::RecordingHelp help;
  test::FakePrompter prompter;
  std::vector<std::string> urls;
  std::unique_ptr<ui::MainWindow> window;
};

}  // namespace

TEST_F(HelpTest, HelpItemsOpenTheHelpFileOfTheLanguage) {
  open();
  ASSERT_EQ(fileName(window->helpPath()), "help_testse.CHM");
  const std::string english = window->helpPath();
  window->action("HU")->trigger();
  window->action("HS")->trigger();
  window->action("HI")->trigger();
  ASSERT_EQ(help.calls.size(), 3u);
  EXPECT_EQ(help.calls[0].kind, "context");
  EXPECT_EQ(help.calls[0].path, english);
  EXPECT_EQ(help.calls[0].context, 998);
  EXPECT_EQ(help.calls[1].kind, "search");
  EXPECT_EQ(help.calls[1].path, english);
  EXPECT_EQ(help.calls[1].query, "Quillon");
  EXPECT_EQ(help.calls[2].kind, "index");
  EXPECT_EQ(help.calls[2].path, english);
  EXPECT_EQ(window->action("HU")->shortcut(), QKeySequence(Qt::Key_F1));

  window->runCommand("FR");
  ASSERT_EQ(fileName(window->helpPath()), "help_testsf.CHM");
  window->runCommand("HU");
  window->runCommand("HS");
  ASSERT_EQ(help.calls.size(), 5u);
  EXPECT_EQ(help.calls[3].path, window->helpPath());
  EXPECT_EQ(help.calls[3].context, 10998);
  EXPECT_EQ(help.calls[4].kind, "search");
  EXPECT_EQ(help.calls[4].query, "Quillon");
}

TEST_F(HelpTest, NothingOpensWithoutAHelpFile) {
  open({0x09, 0x09}, false);  // not started: no help file looked for yet
  ASSERT_TRUE(window->helpPath().empty());
  for (const char* item : {"HU", "HS", "HI"}) window->runCommand(item);
  ui::AboutBox box(0, window->helpPath(), help, {}, window.get());
  child<QPushButton>(box, "ctl141").click();
  child<QPushButton>(box, "ctl113").click();  // no opener: nothing either
  EXPECT_TRUE(help.calls.empty());
}

TEST_F(HelpTest, OnLineSupportOpensThePageOfTheLanguage) {
  open();
  window->action("WH")->trigger();
  window->runCommand("FR");
  window->action("WH")->trigger();
  EXPECT_EQ(urls, (std::vector<std::string>{"https://support.korvane.example/supporten.php3",
                                            "https://support.korvane.example/supportfr.php3"}));
}

TEST_F(HelpTest, AboutBoxInBothLanguages) {
  open();
  struct Expect {
    int offset;
    const char* caption;
    const char* title;
    const char* send;
    int helpContext;
  };
  for (const Expect& e : {Expect{0, "About Vexilo", "Macintosh and Windows\nIconaria", "Send E-mail", 1006},
                          Expect{kFrench, "À propos de Vexilo", "Iconaria\nMacintosh et Windows",
                                 "Envoyer email", 11006}}) {
    SCOPED_TRACE(e.offset);
    help.calls.clear();
    urls.clear();
    ui::AboutBox box(e.offset, "/opt/vexilo/vexilo.CHM", help, hooks().openUrl, window.get());
    EXPECT_EQ(box.windowTitle(), QString::fromUtf8(e.caption));
    EXPECT_EQ(box.parentWidget(), window.get());
    EXPECT_EQ(child<QLabel>(box, "ctl110").text(), QString::fromUtf8(e.title));
    EXPECT_EQ(child<QLabel>(box, "ctl111").text().toStdString(), core::loadLocalString(1056, e.offset));
    EXPECT_EQ(child<QLabel>(box, "ctl112").text(), "Version 1.0.0.0");
    EXPECT_EQ(child<QLabel>(box, "ctl112").frameShadow(), QFrame::Sunken);
    QPushButton& ok = child<QPushButton>(box, "ctl101");
    EXPECT_EQ(ok.text(), "&OK");
    EXPECT_TRUE(ok.isDefault());
    EXPECT_EQ(child<QPushButton>(box, "ctl113").text(), QString::fromUtf8(e.send));
    EXPECT_EQ(child<QPushButton>(box, "ctl114").text().toStdString(), core::loadLocalString(1060, e.offset));
    QPushButton& helpButton = child<QPushButton>(box, "ctl141");
    EXPECT_EQ(helpButton.toolTip().toStdString(), core::loadLocalString(1047, e.offset));
    EXPECT_FALSE(helpButton.icon().isNull()) << "the picture comes from the resources";

    helpButton.click();
    ASSERT_EQ(help.calls.size(), 1u);
    EXPECT_EQ(help.calls[0].path, "/opt/vexilo/vexilo.CHM");
    EXPECT_EQ(help.calls[0].context, e.helpContext);
    child<QPushButton>(box, "ctl113").click();
    child<QPushButton>(box, "ctl114").click();
    EXPECT_EQ(urls, (std::vector<std::string>{"mailto:support@korvane.example",
                                              "https://www.korvane.example"}));

    // Laid out in dialog units of the box's font: every control inside the box, OK at the
    // bottom right, the help button at the top right.
    const ui::DialogBaseUnits base = ui::dialogBaseUnits(box.font());
    EXPECT_EQ(box.size(), ui::fromDialogUnits({0, 0, 240, 150}, base).size());
    for (const char* name : {"ctl101", "ctl110", "ctl111", "ctl112", "ctl113", "ctl114", "ctl141"})
      EXPECT_TRUE(box.rect().contains(child<QWidget>(box, name).geometry())) << name;
    EXPECT_EQ(ok.geometry(), ui::fromDialogUnits({155, 133, 80, 14}, base));
    EXPECT_EQ(helpButton.geometry(), ui::fromDialogUnits({197, 5, 38, 36}, base));
  }
}

TEST_F(HelpTest, DialogUnitsFollowTheFont) {
  // The classic 8-point face: base units 6 by 13, halves rounded away from zero.
  EXPECT_EQ(ui::fromDialogUnits({155, 133, 80, 14}, {6, 13}), QRect(233, 216, 120, 23));
  EXPECT_EQ(ui::fromDialogUnits({0, 0, 240, 150}, {6, 13}), QRect(0, 0, 360, 244));
  QFont small, large;
  small.setPixelSize(11);
  large.setPixelSize(22);
  const ui::DialogBaseUnits a = ui::dialogBaseUnits(small), b = ui::dialogBaseUnits(large);
  EXPECT_GT(a.x, 0);
  EXPECT_GT(b.x, a.x);
  EXPECT_GT(b.y, a.y);
}

TEST_F(HelpTest, AboutBoxPlacement) {
  const QSize box(360, 244), screen(1024, 768);
  // Centred over the window.
  EXPECT_EQ(ui::centredOver({100, 50, 400, 500}, box, screen), QPoint(120, 178));
  // Halves truncate toward zero, also when the box is the larger.
  EXPECT_EQ(ui::centredOver({10, 10, 357, 241}, box, screen), QPoint(9, 9));
  // A window partly off the left or top edge puts the box at 0.
  EXPECT_EQ(ui::centredOver({-300, -250, 342, 450}, box, screen), QPoint(0, 0));
  // Past the right or bottom edge: pulled back onto the screen.
  EXPECT_EQ(ui::centredOver({900, 700, 342, 450}, box, screen), QPoint(1024 - 360, 768 - 244));
  // A box larger than the screen keeps its top-left corner on the screen.
  EXPECT_EQ(ui::centredOver({0, 0, 300, 300}, QSize(2000, 1000), screen), QPoint(0, 0));
}

TEST_F(HelpTest, AboutIsModalOverTheWindowAndEscClosesIt) {
  open({0x0C, 0x0C});
  ASSERT_EQ(window->langOffset(), kFrench);
  QRect shownAt;
  {
    WhenModal esc([&](QWidget& box) {
      EXPECT_EQ(box.objectName(), "AboutBox");
      EXPECT_EQ(box.windowTitle(), QString::fromUtf8("À propos de Vexilo"));
      EXPECT_EQ(box.parentWidget(), window.get());
      shownAt = box.frameGeometry();
      QTest::keyClick(&box, Qt::Key_Escape);
    });
    window->action("Aprop")->trigger();
  }
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  const QSize screen = window->screen()->geometry().size();
  EXPECT_EQ(shownAt.topLeft(), ui::centredOver(window->mainRect(), shownAt.size(), screen));

  // The window moved partly off the left edge: the box goes to x = 0.
  window->move(-200, 40);
  QApplication::processEvents();
  ASSERT_LT(window->mainRect().left(), 0);
  {
    WhenModal ok([&](QWidget& box) {
      shownAt = box.frameGeometry();
      child<QPushButton>(box, "ctl101").click();
    });
    window->runCommand("Aprop");
  }
  EXPECT_EQ(shownAt.left(), 0);
}

TEST_F(HelpTest, ScaleRule) {
  EXPECT_EQ(ui::printScale(4800, 342), 12);
  EXPECT_EQ(ui::printScale(400 + 342, 342), 1);
  EXPECT_EQ(ui::printScale(400 + 341, 342), 0);
  EXPECT_EQ(ui::printScale(300, 342), 0) << "a page narrower than the margins";
  EXPECT_EQ(ui::printScale(4800, 0), 0);
}

TEST_F(HelpTest, PrintPutsTheWindowOnOnePortraitPage) {
  open();
  core::Bitmap red(128, 128, core::PixelFormat::Bits32);
  red.fill({0, 0, 255, 255});
  window->board().offerBitmap(SlotId::ic128, red);
  window->refresh();

  const QImage capture = ui::captureClientArea(*window);
  const QRect client =
      window->centralWidget()->geometry().united(window->statusBar()->geometry());
  EXPECT_EQ(capture.size(), client.size()) << "the pages and the status bar, no menu";
  EXPECT_EQ(capture.width(), 342);

  printer.setPageOrientation(QPageLayout::Landscape);  // Print takes portrait whatever was set
  window->action("Pr")->trigger();
  EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Portrait);
  const auto pdf = dir / "page.pdf";
  ASSERT_TRUE(std::filesystem::exists(pdf));
  const core::ByteBuffer bytes = test::readFile(pdf);
  ASSERT_GT(bytes.size(), 1000u);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 5), "%PDF-");

  if (test::runCommand("command -v pdftoppm >/dev/null 2>&1") != 0) {
    if (test::inCi()) FAIL() << "pdftoppm (poppler-utils) is missing";
    GTEST_SKIP() << "pdftoppm (poppler-utils) is missing";
  }
  // Rendered at 100 dpi: one page, taller than wide, the capture enlarged s times from the
  // printable area's corner plus the margin.
  const int dpi = 100;
  ASSERT_EQ(test::runCommand("pdftoppm -r 100 -png " + test::shellQuote(pdf.string()) + " " +
                             test::shellQuote((dir / "page").string())),
            0);
  ASSERT_TRUE(std::filesystem::exists(dir / "page-1.png"));
  EXPECT_FALSE(std::filesystem::exists(dir / "page-2.png"));
  const QImage page(QString::fromStdString((dir / "page-1.png").string()));
  ASSERT_FALSE(page.isNull());
  EXPECT_LT(page.width(), page.height());

  const QRect printable = printer.pageRect(QPrinter::DevicePixel).toRect();
  const double toPage = double(dpi) / printer.resolution();
  const int s = ui::printScale(printable.width(), 342);
  ASSERT_GT(s, 0);
  const auto onPage = [&](QPoint inCapture) {
    const QPointF device = QPointF(printable.topLeft()) +
                           QPointF(ui::kPrintMargin, ui::kPrintMargin) +
                           QPointF(inCapture) * s;
    return (device * toPage).toPoint();
  };
  const QPoint redCentre =
      window->slotView(SlotId::ic128)->mapTo(window.get(), QPoint(64, 64)) - client.topLeft();
  EXPECT_EQ(capture.pixelColor(redCentre), QColor(255, 0, 0));
  const QColor printed = page.pixelColor(onPage(redCentre));
  EXPECT_GT(printed.red(), 200);
  EXPECT_LT(printed.green(), 60);
  EXPECT_LT(printed.blue(), 60);
  // White in the margin and past the capture's right edge.
  EXPECT_EQ(page.pixelColor(onPage({0, 0}) - QPoint(5, 5)), QColor(Qt::white));
  EXPECT_EQ(page.pixelColor(onPage({342, 200}) + QPoint(5, 0)), QColor(Qt::white));
  EXPECT_NE(page.pixelColor(onPage({340, 200})), QColor(Qt::white)) << "the board's frame";
}

TEST_F(HelpTest, PrinterSetupOpensOnThePrinterPrintUses) {
  open();
  {
    WhenModal cancel([&](QWidget& box) {
      auto* dialog = qobject_cast<QPrintDialog*>(&box);
      ASSERT_NE(dialog, nullptr) << box.metaObject()->className();
      EXPECT_EQ(dialog->printer(), &printer);
      dialog->reject();
    });
    window->action("PrS")->trigger();
  }
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}
