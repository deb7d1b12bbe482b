// The real main window on the offscreen platform, driven through its menus: a session that
// imports files of both systems, edits the board through the pop-up, the Edit menu and the
// system clipboard, saves with every command and reads each output again; the menus' states;
// selection, hints, language and the settings kept for the next run; Help, About and Print.
#include <QClipboard>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QUrl>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTest>
#include <QToolButton>

#include <fstream>

#include "core/string_table.h"
#include "support/fake_prompter.h"
#include "support/memory_settings_store.h"
#include "support/modal.h"
#include "support/oracle.h"
#include "support/pictures.h"
#include "support/shared_data.h"
#include "support/temp_dir.h"
#include "ui/about_box.h"
#include "ui/help_commands.h"
#include "ui/main_window.h"
#include "ui/printing.h"
#include "ui/qsettings_store.h"
#include "ui/qt_clipboard.h"
#include "ui/qt_prompter.h"
#include "ui/slot_view.h"

using namespace vexilo;
using core::PixelFormat;
using core::SlotId;
using test::WhenModal;

namespace {

// The mean colour difference of two slots' pictures (alpha left out: file formats keep it
// apart); 1000 for an empty slot or other sizes.
double meanDiff(const core::Slot& a, const core::Slot& b) {
  if (!a.picture || !b.picture || a.picture->width() != b.picture->width() || a.picture->height() != b.picture->height())
    return 1000;
  double sum = 0;
  for (int i = 0, w = a.picture->width(), n = w * a.picture->height(); i < n; ++i) {
    const core::Bgra p = a.picture->pixel(i % w, i / w), q = b.picture->pixel(i % w, i / w);
    sum += (std::abs(p.red - q.red) + std::abs(p.green - q.green) + std::abs(p.blue - q.blue)) / (3.0 * n);
  }
  return sum;
}

// The program's message boxes and file dialogs are driven through QtPrompter as the commands use
// them: keys, buttons and the close box, texts in both languages, help.
void press(QWidget& box, Qt::Key key) { QTest::keyClick(box.focusWidget() ? box.focusWidget() : &box, key); }
void click(QWidget& box, const char* name) { QTest::mouseClick(box.findChild<QAbstractButton*>(name), Qt::LeftButton); }

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QGuiApplication::clipboard()->clear();
    window = open();
  }
  // A new window, shown after `prepare` has run on it.
  std::unique_ptr<ui::MainWindow> open(core::SettingsStore* settings = nullptr,
                                       const std::function<void(ui::MainWindow&)>& prepare = {}) {
    auto w = std::make_unique<ui::MainWindow>(settings ? *settings : store, help,
                                              ui::SystemLanguages{0x09, 0x09}, &prompter);
    if (prepare) prepare(*w);
    w->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    return w;
  }
  // A menu opened (none: an item of the pop-up itself), then its item chosen, which must be
  // enabled. With `slot`, the pop-up as a right click opens it first.
  void choose(ui::MainWindow& w, const char* menu, const char* item, std::optional<SlotId> slot = {}) {
    if (slot) {
      w.selectSlot(*slot);
      w.preparePopup(*slot);
    }
    if (menu) emit w.action(menu)->menu()->aboutToShow();
    ASSERT_TRUE(w.action(item)->isEnabled()) << item;
    w.action(item)->trigger();
  }
  void import(ui::MainWindow& w, const std::filesystem::path& path) {
    prompter.paths.push_back(path.string());
    choose(w, "F1", "O");
    // The whole path as the panel's tip, its text shortened in the middle to fit the panel.
    const QLabel* panel = w.statusPanel();
    EXPECT_EQ(panel->toolTip().toStdString(), path.string());
    EXPECT_LE(panel->fontMetrics().horizontalAdvance(panel->text()), panel->width());
    EXPECT_TRUE(panel->text().endsWith(QString::fromStdString(path.filename().string()).right(6)));
  }
  // The menu opened (none: the states already applied), then its items' states as expected.
  void expectShown(const char* menu, const core::ItemStates& states) {
    if (menu) emit window->action(menu)->menu()->aboutToShow();
    for (const auto& [item, enabled] : states)
      EXPECT_EQ(window->action(QString::fromLatin1(item.data(), qsizetype(item.size())))->isEnabled(),
                enabled) << item;
  }

  test::MemorySettingsStore store;
  test::RecordingHelp help;
  test::FakePrompter prompter;
  test::TempDir dir;
  std::unique_ptr<ui::MainWindow> window;
  int lang = core::kEnglish;
  std::string helpPath = "/usr/share/vexilo/vexiloe.qhc";
  ui::QtPrompter qt{nullptr, [this] { return lang; }, [this] { return helpPath; }, help};
};

// Help, About and printing: the window's help commands print to a PDF file and open web
// addresses through `opener`. Help files named after this program lie beside it (made by the
// build), so the window finds one per language.
class HelpTest : public WindowTest {
 protected:
  void SetUp() override {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString((dir / "page.pdf").string()));
    window = open(nullptr, [this](ui::MainWindow& w) { ui::installHelpCommands(w, help, {opener, &printer}); });
  }
  QPrinter printer{QPrinter::HighResolution};
  std::vector<std::string> urls;
  bool browserThere = true;
  ui::UrlOpener opener = [this](const QUrl& url) {
    urls.push_back(url.toString().toStdString());
    return browserThere;
  };
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
  const core::Bitmap before48 = *w.board().slot(SlotId::ic48).picture;
  choose(w, "Rot", "R90D", SlotId::ic48);  // a quarter turn right: (x, y) goes to (47 - y, x)
  EXPECT_EQ(w.board().slot(SlotId::ic48).picture->pixel(47 - 9, 2), before48.pixel(2, 9));
  choose(w, "Prof", "b8", SlotId::ic32);
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
  choose(w, nullptr, "PV", SlotId::icNB);
  EXPECT_EQ(w.board().slot(SlotId::icNB).picture, blackWhite.picture) << "1 bit kept";
  const core::IconSet edited = w.board();

  // Every save command: File > Save for the family, the pop-up's Save Image As on the 32x32
  // image ("Ress" always adds ".bin"); each output read by a new window.
  const std::vector<std::pair<std::string, std::string>> saves = {
      {"DatF", "family.icns"}, {"ResF", "resource.bin"}, {"F2", "both.bin"}, {"Wic", "family.ico"},
      {"Icns", "slot32.icns"}, {"Ress", "slot32"},       {"iFat", "a&b.bin"}, {"Ico", "slot32.ico"},
      {"SBM", "slot32.bmp"},   {"Jpg", "slot32.jpg"}};
  std::map<std::string, core::IconSet> read;
  for (std::size_t i = 0; i < saves.size(); ++i) {
    auto [item, name] = saves[i];
    prompter.paths.push_back((dir / name).string());
    choose(w, i < 4 ? "F1" : "IS", item.c_str(), i < 4 ? std::nullopt : std::optional(SlotId::ic32));
    if (item == "Ress") name += ".bin";
    auto reader = open();
    import(*reader, dir / name);
    read.emplace(name, reader->board());
  }
  EXPECT_TRUE(prompter.infos.empty());
  const core::IconSet& family = read.at("family.icns");
  for (SlotId id : {SlotId::ic16, SlotId::ic32, SlotId::ic48, SlotId::ic128}) {
    EXPECT_EQ(family.slot(id).depth, 7) << core::slotName(id);
    EXPECT_EQ(meanDiff(family.slot(id), edited.slot(id)), 0) << core::slotName(id);
    EXPECT_EQ(meanDiff(read.at("family.ico").slot(id), edited.slot(id)), 0) << core::slotName(id);
  }
  for (SlotId id : core::kBoardSlots)
    for (const char* name : {"resource.bin", "both.bin"})
      EXPECT_TRUE(read.at(name).slot(id).depth == family.slot(id).depth &&
                  read.at(name).slot(id).picture == family.slot(id).picture) << name << " " << core::slotName(id);
  for (const std::string name : {"slot32.icns", "slot32.bin", "slot32.ico", "slot32.bmp", "slot32.jpg"}) {
    EXPECT_LE(meanDiff(read.at(name).slot(SlotId::ic32), edited.slot(SlotId::ic32)),
              name == "slot32.jpg" ? 12 : 0) << name;
    EXPECT_FALSE(read.at(name).slot(SlotId::ic48).filled()) << name;
  }
  for (SlotId id : {SlotId::ic32, SlotId::ic48})  // the custom icon
    EXPECT_EQ(meanDiff(read.at("a&b.bin").slot(id), edited.slot(id)), 0) << core::slotName(id);

  // File > Reopen: the last five read, the latest first, "&" doubled in the captions.
  auto again = open();
  EXPECT_EQ(again->action("R11")->text().toStdString(), "1. " + (dir / "slot32.jpg").string());
  EXPECT_EQ(again->action("R14")->text().toStdString(), "4. " + (dir / "a&&b.bin").string());
  choose(*again, "Re1", "R15");
  EXPECT_EQ(again->board().slot(SlotId::ic32).picture, read.at("slot32.bin").slot(SlotId::ic32).picture);
  EXPECT_EQ(again->action("R11")->text().toStdString(), "1. " + (dir / "slot32.bin").string());
  // Wipe Out empties what the tab in view shows.
  for (int tab : {2, 1, 0}) {
    again->pageMain()->setCurrentIndex(tab);
    again->runCommand("Eff");
    EXPECT_TRUE(again->board().slot(SlotId::ic32).filled() == (tab != 0) &&
                again->board().slot(SlotId::PB32).filled() == (tab == 2)) << tab;
  }
}

TEST_F(WindowTest, MenusShowTheRulesForWhatTheWindowShows) {
  window->board().offerBitmap(SlotId::ic32, test::pattern(32, 32));  // PB32 too
  window->board().offerBitmap(SlotId::ic48, test::pattern(48, 48, PixelFormat::Bits4));
  QGuiApplication::clipboard()->setImage(QImage(4, 4, QImage::Format_RGB32));
  // Tab, pasteboard in view and clipboard each differ between two of the cases.
  for (const auto& [tab, pasteboard, clipboard] : {std::tuple{1, 1, true}, {2, 0, true}, {3, 0, true}, {0, 0, false}}) {
    SCOPED_TRACE(testing::Message() << "tab " << tab << ", pasteboard " << pasteboard);
    if (!clipboard) QGuiApplication::clipboard()->clear();
    window->pagePasteboard()->setCurrentIndex(pasteboard);
    window->pageMain()->setCurrentIndex(tab);
    const core::MenuInput in{window->board(), static_cast<core::MainTab>(tab),
                             core::kPasteboards[static_cast<std::size_t>(pasteboard)], clipboard};
    // Without a menu opening, the tab sets Save, and the Edit items as the Edit menu shows them.
    expectShown(nullptr, core::editMenuStates(in));
    expectShown(nullptr, {core::tabChangeStates(in.tab).front()});
    expectShown("F1", core::fileMenuStates(in));
    expectShown("E", core::editMenuStates(in));
    for (SlotId id : {SlotId::ic32, SlotId::im16, SlotId::PB32, SlotId::ic256, SlotId::ic1024}) {
      window->preparePopup(id);
      expectShown(nullptr, core::popupStates(in, id));
      expectShown("IS", core::saveImageMenuStates(in, id));
    }
  }
}

// A modern icon fills the large slots, shown whole on their own tab (the window keeps its size),
// where they take the edit commands and save as PNG.
TEST_F(WindowTest, LargeSizesTabHoldsAModernIcon) {
  VEXILO_REQUIRE_SHARED();
  ui::MainWindow& w = *window;
  const QSize size = w.size();
  import(w, test::sharedDir() / "corpus/icns/pillow_pillow3.icns");
  EXPECT_TRUE(prompter.infos.empty());
  EXPECT_FALSE(w.findChild<QProgressBar*>("Progress")->isVisible());
  w.pageMain()->setCurrentIndex(3);
  EXPECT_EQ(w.pageMain()->tabText(3), "Large Sizes");
  for (SlotId id : core::kLargeSlots) {
    EXPECT_EQ(w.board().slot(id).depth, 7);
    EXPECT_EQ(w.slotView(id)->size(), QSize(320, 320));
  }
  EXPECT_EQ(w.size(), size);
  choose(w, "E", "C");  // nothing selected on this tab yet: the board's selection
  w.pageLarge()->setCurrentIndex(2);
  choose(w, nullptr, "R90D", SlotId::ic1024);
  EXPECT_FALSE(w.action("CM")->isEnabled());
  prompter.paths.push_back((dir / "big.png").string());
  choose(w, "IS", "Png", SlotId::ic1024);
  const auto png = test::decodeWithPillow(dir / "big.png");
  ASSERT_TRUE(png);
  EXPECT_EQ(png->width, 1024);
  choose(w, "E", "Eff");
  for (SlotId id : core::kLargeSlots) EXPECT_FALSE(w.board().slot(id).filled());
  EXPECT_TRUE(w.board().slot(SlotId::ic128).filled());
  // Create All Sizes fills the empty slots below the largest picture, as one step to take back.
  w.board().wipeSlot(SlotId::ic32);
  choose(w, "E", "CAS");
  EXPECT_TRUE(w.board().slot(SlotId::ic32).filled() && !w.board().slot(SlotId::ic256).filled());
  choose(w, "E", "Und");
  EXPECT_FALSE(w.board().slot(SlotId::ic32).filled());
  w.runCommand("FR");
  EXPECT_EQ(w.pageMain()->tabText(3), "Grandes tailles");
}

// Files from outside: named on the command line, and dropped on the window (local files only),
// each read as File > Import reads it, in order, into the recent files.
TEST_F(WindowTest, FilesNamedOrDroppedOpenInOrder) {
  VEXILO_REQUIRE_SHARED();
  const auto corpus = test::sharedDir() / "corpus";
  const QString small = QString::fromStdString((corpus / "icns/rust-icns_is32.icns").string());
  const QString large = QString::fromStdString((corpus / "icns/rust-icns_il32.icns").string());
  window->openIconFiles({small, large});
  EXPECT_TRUE(window->board().slot(SlotId::ic16).filled() && window->board().slot(SlotId::ic32).filled());
  EXPECT_EQ(window->statusPanel()->toolTip(), large);
  EXPECT_EQ(window->action("R11")->text().toStdString(), "1. " + large.toStdString());
  window = open();
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(large), QUrl("https://example.org/x.icns")});
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  enter.setAccepted(false);
  QCoreApplication::sendEvent(window.get(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(window.get(), &drop);
  EXPECT_TRUE(window->board().slot(SlotId::ic32).filled() && !window->board().slot(SlotId::ic16).filled());
  QMimeData text;
  text.setText("not a file");
  QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
  refused.setAccepted(false);
  QCoreApplication::sendEvent(window.get(), &refused);
  EXPECT_FALSE(refused.isAccepted());
}

TEST_F(WindowTest, SelectionHintsPicturesAndTheLanguageKeptForTheNextRun) {
  // A click selects an image and marks its frame (a tab sheet for the pasteboard) alone.
  QTest::mouseClick(window->slotView(SlotId::ic32), Qt::LeftButton);
  window->pageMain()->setCurrentIndex(1);
  QTest::mouseClick(window->slotView(SlotId::PB16), Qt::RightButton);
  EXPECT_EQ(window->board().selected(), SlotId::PB16);
  for (SlotId id : {SlotId::PB16, SlotId::ic32, SlotId::ic128})
    EXPECT_EQ(window->framePanel(id)->palette().color(QPalette::Window),
              id == SlotId::PB16 ? QColor(192, 220, 192) : QColor(255, 251, 240));

  // Dotted hints go to the status bar without their dot; no hint: the panel comes back.
  window->statusPanel()->setText("/some/file.icns");
  window->action("CM")->showStatusText(window->popupMenu());
  EXPECT_EQ(window->iconBar()->currentMessage(), "Create the mask for the current icon.");
  window->action("Jpg")->showStatusText(window->popupMenu());
  EXPECT_TRUE(window->iconBar()->currentMessage().isEmpty());
  EXPECT_EQ(window->statusPanel()->text(), "/some/file.icns");

  // 32-bit pictures show blended over white, unless all their alpha is 0; white where none is.
  core::Slot slot{.picture = test::solid(1, 1, PixelFormat::Bits32, {0, 0, 100, 128})};  // premultiplied
  const QImage shown = ui::renderSlot(slot, {1, 2});
  EXPECT_TRUE(shown.pixel(0, 0) == qRgb(227, 127, 127) && shown.pixel(0, 1) == qRgb(255, 255, 255));
  slot.picture->setPixel(0, 0, {0, 0, 100, 0});
  EXPECT_EQ(ui::renderSlot(slot, {1, 2}).pixel(0, 0), qRgb(100, 0, 0));

  // Through the system clipboard ours keep their format and pixels; 4-bit ones come back 8-bit.
  for (int ordinal : {1, 2, 4, 7}) {  // 1-bit, 4-bit, 16-bit words, 32-bit
    const core::Bitmap b = test::pattern(13, 13, PixelFormat(ordinal));
    const auto back = ui::fromQImage(ui::toQImage(b));
    ASSERT_TRUE(back && back->depth == (ordinal == 2 ? 3 : ordinal) && back->bitmap.format() == PixelFormat(back->depth));
    for (int i = 0; i < 13 * 13; ++i) ASSERT_EQ(back->bitmap.pixel(i % 13, i / 13), b.pixel(i % 13, i / 13)) << ordinal;
  }

  // The language chosen and the files opened are kept, whatever the system's language, in the
  // user's settings (the test's own folders), never in the machine-wide folder, writable as it is.
  ui::QSettingsStore kept;
  window = open(&kept);
  window->runCommand("FR");
  EXPECT_EQ(window->pageMain()->tabText(1), "Table de montage");
  core::Bitmap twoColours = test::solid(16, 16, PixelFormat::Bits32, {0, 0, 0, 255});
  twoColours.setPixel(3, 5, {255, 255, 255, 255});
  twoColours.convertTo(PixelFormat::Bits1);
  window->board().offerBitmap(SlotId::ic16, twoColours);
  window->preparePopup(SlotId::ic16);
  window->action("CCol")->trigger();
  EXPECT_EQ(prompter.infos, std::vector<std::string>{"2 différentes couleurs dans l'image."});
  emit window->action("L")->menu()->aboutToShow();
  EXPECT_TRUE(window->action("FR")->isChecked() && !window->action("EN")->isChecked());
  window->openIconFile("/data/b.icns");  // not there: said so, listed all the same
  window->action("Q")->trigger();  // closing stores the language
  window = open(&kept);
  EXPECT_EQ(window->action("E")->text(), "&Édition");
  EXPECT_EQ(window->action("R11")->text(), "1. /data/b.icns");
  EXPECT_TRUE(window->action("R11")->isVisible() && !window->action("R12")->isVisible());
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(std::getenv("XDG_CONFIG_HOME")) / "Korvane/Vexilo.conf"));
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(std::getenv("XDG_CONFIG_DIRS")) / "Korvane/Vexilo.conf"));
}

TEST_F(HelpTest, HelpItemsAndTheAboutBoxInBothLanguages) {
  for (const auto& [lang, file, offset, caption] : {std::tuple{"EN", "gui_testse.qhc", 0, "About Vexilo"},
                                                    std::tuple{"FR", "gui_testsf.qhc", 10000, "À propos de Vexilo"}}) {
    window->runCommand(lang);
    EXPECT_EQ(std::filesystem::path(window->helpPath()).filename(), file);
    help.calls.clear(), urls.clear();
    for (const char* item : {"HU", "HS", "HI", "WH"}) window->action(item)->trigger();
    ui::AboutBox box(offset, "/opt/vexilo/vexilo.qhc", help, opener, window.get());
    EXPECT_EQ(box.windowTitle(), QString::fromUtf8(caption));
    EXPECT_EQ(box.findChild<QLabel*>("ctl111")->text().toStdString(), core::loadLocalString(1056, offset));
    for (const char* name : {"ctl141", "ctl113", "ctl114"}) box.findChild<QPushButton*>(name)->click();
    std::vector<std::string> calls;
    for (const auto& c : help.calls)
      calls.push_back(c.kind + std::to_string(c.context) + c.query + (c.path == window->helpPath() ? "" : c.path));
    EXPECT_EQ(calls, (std::vector<std::string>{"context" + std::to_string(998 + offset), "search0Quillon", "index0",
                                               "context" + std::to_string(1006 + offset) + "/opt/vexilo/vexilo.qhc"}));
    EXPECT_EQ(urls, (std::vector<std::string>{"https://support.korvane.example/support" + QString(lang).toLower().toStdString() +
                                              ".php3", "mailto:support@korvane.example", "https://www.korvane.example"}));
  }
  // With no browser to take the address, a message gives it (here in French, the last language).
  browserThere = false;
  window->action("WH")->trigger();
  ASSERT_EQ(prompter.infos.size(), 1u);
  EXPECT_EQ(prompter.infos[0], core::formatMessage(core::loadLocalString(1061, core::kFrench), urls.back()));
  EXPECT_NE(prompter.infos[0].find("https://support.korvane.example/supportfr.php3"), std::string::npos);
  // The box is laid out in dialog units: the classic 8-point face's are 6 by 13, and halves
  // round away from 0.
  EXPECT_EQ(ui::fromDialogUnits({155, 133, 80, 14}, {6, 13}), QRect(233, 216, 120, 23));
}

TEST_F(HelpTest, AboutIsModalCentredOverTheWindowAndKeptOnTheScreen) {
  // The window's last position is kept, but not one on the screen's left edge.
  QRect placed;
  for (const QPoint& at : {QPoint(60, 70), QPoint(0, 90)}) {
    window->move(at);
    QApplication::processEvents();
    if (at.x() != 0) placed = window->frameGeometry();
    QRect shownAt;
    WhenModal esc([&](QWidget& box) {
      shownAt = box.frameGeometry();
      QTest::keyClick(&box, Qt::Key_Escape);
    });
    window->action("Aprop")->trigger();
    EXPECT_EQ(shownAt.topLeft(), ui::centredOver(placed, shownAt.size(), window->screen()->geometry().size()));
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
  window->board().offerBitmap(core::SlotId::ic128, red);
  printer.setPageOrientation(QPageLayout::Landscape);  // Print takes portrait whatever was set
  window->action("Pr")->trigger();
  EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Portrait);
  // Printer Setup sets up the pages of that same printer.
  WhenModal cancel([&](QWidget& box) {
    auto* dialog = qobject_cast<QPageSetupDialog*>(&box);
    EXPECT_EQ(dialog ? dialog->printer() : nullptr, &printer);
    static_cast<QDialog&>(box).reject();
  });
  window->action("PrS")->trigger();
  if (!test::inCi() && test::runCommand("command -v pdftoppm >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "pdftoppm (poppler-utils) is missing";  // in CI the run below fails
  ASSERT_EQ(test::runCommand("pdftoppm -r 100 -png " + test::shellQuote((dir / "page.pdf").string()) + " " +
                             test::shellQuote((dir / "page").string())), 0);
  EXPECT_FALSE(std::filesystem::exists(dir / "page-2.png"));
  const QImage page(QString::fromStdString((dir / "page-1.png").string()));
  // The pages and the status bar, no menu, enlarged from the printable area's corner plus the
  // margin: the centre of the red image.
  const QRect client = window->centralWidget()->geometry().united(window->statusBar()->geometry());
  const QRect printable = printer.pageRect(QPrinter::DevicePixel).toRect();
  const QPoint at = window->slotView(core::SlotId::ic128)->mapTo(window.get(), QPoint(64, 64)) - client.topLeft();
  const QColor printed = page.pixelColor(((QPointF(printable.topLeft()) + QPointF(ui::kPrintMargin, ui::kPrintMargin) +
                                           QPointF(at) * ui::printScale(printable.width(), 342)) *
                                          (100.0 / printer.resolution())).toPoint());
  EXPECT_TRUE(printed.red() > 200 && printed.green() < 60 && printed.blue() < 60) << printed.name().toStdString();
}

TEST_F(WindowTest, MessageBoxesAnswerKeysShowHelpAndTextsInEitherLanguage) {
  // The whole text as it is: characters a rich-text label would swallow, two-byte ones, far
  // more than the box has room for.
  std::string text = "Le fichier\n/";
  while (text.size() < 2000) text += "Icônes <vieilles> & neuves/";
  // yes: the question's answer, -1 when a question has no such button; info: whether an
  // information box has it. Help shows the box's topic and leaves the box open.
  struct Case { const char* how; std::function<void(QWidget&)> act; int yes; bool info; };
  const std::vector<Case> cases = {
      {"Enter", [](QWidget& box) { press(box, Qt::Key_Return); }, 1, true},
      {"Yes", [](QWidget& box) { click(box, "MessOui"); }, 1, false},
      {"Esc", [](QWidget& box) { press(box, Qt::Key_Escape); }, 0, true},
      {"close box", [](QWidget& box) { box.close(); }, 0, true},
      {"No", [](QWidget& box) { click(box, "MessNon"); }, 0, false},
      {"Close", [](QWidget& box) { click(box, "MessFermer"); }, -1, true},
      {"Help, then Esc",
       [](QWidget& box) { click(box, "Aide"); EXPECT_TRUE(box.isVisible()); press(box, Qt::Key_Escape); }, 0, true},
  };
  for (const auto& [language, question, info] : {std::tuple{core::kEnglish, "&Yes&No-", "--&Close"},
                                             std::tuple{core::kFrench, "&Oui&Non-", "--&Fermer"}}) {
    lang = language;
    for (const Case& c : cases)
      for (const bool yesNo : {true, false}) {  // a question, then an information box
        SCOPED_TRACE(c.how);
        if (yesNo ? c.yes < 0 : !c.info) continue;
        WhenModal driver([&](QWidget& box) {
          QString captions;  // of Yes, No and Close; "-" for a button the box does not have
          for (const char* name : {"MessOui", "MessNon", "MessFermer"})
            captions += box.findChild<QAbstractButton*>(name) ? box.findChild<QAbstractButton*>(name)->text() : "-";
          const auto* label = box.findChild<QLabel*>("MessText");
          EXPECT_TRUE(captions == (yesNo ? question : info) && label->text().toStdString() == text &&
                      label->textFormat() == Qt::PlainText);
          EXPECT_EQ(box.findChild<QToolButton*>("Aide")->toolTip().toStdString(), core::lookupString(1047 + lang));
          c.act(box);
        });
        if (yesNo) EXPECT_EQ(qt.askYesNo(text), c.yes == 1);
        else qt.showInfo(text);  // returns once the box is closed
      }
  }
  helpPath.clear();  // no help file: nothing shown
  WhenModal noHelp(cases.back().act);
  qt.showInfo(text);
  std::vector<int> contexts;
  for (const auto& call : help.calls) contexts.push_back(call.path.empty() ? -1 : call.context);
  EXPECT_EQ(contexts, (std::vector<int>{1003, 1001, 11003, 11001}));
  // The style's icon tells the kind: a failure, a refusal, a question, anything else. The
  // table's "&&" shows as one "&" (French "N&B" of 6100); the path keeps its own.
  using Icon = QStyle::StandardPixmap;
  for (const auto& [id, kind, icon] : {std::tuple{1041, "error", Icon::SP_MessageBoxCritical},
                                       {6410, "error", Icon::SP_MessageBoxCritical}, {6422, "error", Icon::SP_MessageBoxCritical},
                                       {6100, "warning", Icon::SP_MessageBoxWarning}, {6406, "warning", Icon::SP_MessageBoxWarning},
                                       {1061, "information", Icon::SP_MessageBoxInformation},
                                       {6101, "information", Icon::SP_MessageBoxInformation},
                                       {1051, "question", Icon::SP_MessageBoxQuestion}}) {
    const std::string shown = core::messageText(id, lang, "/a&&b");
    WhenModal driver([&, id = id, kind = kind, icon = icon](QWidget& box) {
      const auto* label = box.findChild<QLabel*>("MessIcon");
      const QImage image = label->pixmap().toImage();
      EXPECT_TRUE(label->property("kind").toString() == kind && !image.isNull() &&
                  image == box.style()->standardIcon(icon, nullptr, &box).pixmap(label->pixmap().size()).toImage()) << id;
      EXPECT_EQ(box.findChild<QLabel*>("MessText")->text().toStdString(), shown);
      press(box, Qt::Key_Escape);
    });
    if (id == 1051) EXPECT_FALSE(qt.askYesNo(shown));
    else core::showMessage(qt, lang, id, "/a&&b");
  }
}

TEST_F(WindowTest, FileDialogsNeverAskAboutOverwritingAndAddTheExtension) {
  EXPECT_EQ(ui::toQtFilter("Icons| *.ico ; *.icns |All|*.*||"), QString("Icons (*.ico *.icns);;All (*)"));
  const std::string existing = (dir / "old.ico").string();
  std::ofstream(existing) << "x";
  core::FileDialogRequest request{"Save", std::string(core::lookupString(16440)), "ico", "*.ico",
                                  dir.path().string()};
  for (const auto& [save, initialName, chosen, expected] :
       {std::tuple{true, "*.ico", existing, existing}, {false, "*.ico", existing, existing},
        {true, "draft", std::string(), (dir / "draft.ico").string()}}) {
    request.initialName = initialName;  // a pattern names no file
    WhenModal driver([&, save = save, chosen = chosen](QWidget& box) {
      auto& dialog = static_cast<QFileDialog&>(box);
      EXPECT_EQ(dialog.fileMode(), save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
      EXPECT_EQ(dialog.testOption(QFileDialog::DontConfirmOverwrite), save);
      EXPECT_EQ(dialog.nameFilters().join("|").toStdString(),
                "Fichiers d'icônes [*.ico] (*.ico)|Tous les fichiers [*.*] (*)");
      if (!chosen.empty()) dialog.selectFile(QString::fromStdString(chosen));  // else the name shown
      static_cast<QDialog&>(dialog).accept();  // a second modal box would be left to the watchdog
    });
    EXPECT_EQ(save ? qt.askSavePath(request) : qt.askOpenPath(request), expected);
  }
  WhenModal cancel([](QWidget& box) { press(box, Qt::Key_Escape); });
  EXPECT_EQ(qt.askSavePath(request), std::nullopt);
  // A macOS icon set, a folder, is chosen by going into it; another folder is only gone into.
  const auto iconset = dir / "logo.iconset";
  std::filesystem::create_directories(iconset);
  std::filesystem::create_directories(dir / "plain");
  WhenModal enter([&](QWidget& box) {
    auto* name = box.findChild<QLineEdit*>("fileNameEdit");
    for (const auto& folder : {dir / "plain", iconset}) {
      EXPECT_TRUE(box.isVisible());
      name->setText(QString::fromStdString(folder.string()));
      QTest::keyClick(name, Qt::Key_Return);
    }
  });
  EXPECT_EQ(qt.askOpenPath(request), iconset.string());
}

// The window worked from the keyboard alone: Tab through the slots in reading order, the
// arrows to the neighbouring slot, Space to select, the pop-up, the menu bar and Save's submenu.
TEST_F(WindowTest, KeyboardWalksTheSlotsAndOpensEveryMenu) {
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  auto focused = [] { auto* v = qobject_cast<ui::SlotView*>(QApplication::focusWidget()); return v ? v->slotId() : SlotId::ipal16; };
  auto key = [](int k, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(QApplication::focusWidget(), Qt::Key(k), m); };
  EXPECT_EQ(focused(), SlotId::ic128);  // the selection has the focus from the start
  window->slotView(SlotId::ic16)->setFocus();
  std::vector<SlotId> order{SlotId::ic16};
  for (int k = 0; k < 11; ++k, order.push_back(focused())) key(Qt::Key_Tab);
  EXPECT_EQ(order, (std::vector{SlotId::ic16, SlotId::im16, SlotId::ic12, SlotId::im12, SlotId::ic32, SlotId::im32,
                                SlotId::icNB, SlotId::imNB, SlotId::ic48, SlotId::im48, SlotId::ic128, SlotId::im128}));
  key(Qt::Key_Tab, Qt::ShiftModifier);
  EXPECT_TRUE(focused() == SlotId::ic128 && window->board().selected() == SlotId::ic128);  // focus alone moved
  key(Qt::Key_Space);
  EXPECT_EQ(window->board().selected(), SlotId::ic128);
  window->slotView(SlotId::im16)->setFocus();
  key(Qt::Key_Return);
  EXPECT_EQ(window->board().selected(), SlotId::im16);
  // Arrows: along the band, to the nearest slot of the next band, nothing past the edges.
  for (auto [k, to] : {std::pair{Qt::Key_Right, SlotId::ic12}, {Qt::Key_Left, SlotId::im16}, {Qt::Key_Down, SlotId::im32},
                       {Qt::Key_Down, SlotId::ic48}, {Qt::Key_Up, SlotId::ic32}, {Qt::Key_Left, SlotId::ic32},
                       {Qt::Key_Down, SlotId::ic48}, {Qt::Key_Down, SlotId::ic128}, {Qt::Key_Down, SlotId::ic128}}) {
    key(k);
    EXPECT_TRUE(window->board().selected() == to && focused() == to) << core::slotName(to);
  }
  // The focus frame is a line round the cell, apart from the selection's fill inside it.
  const QImage cell = window->framePanel(SlotId::ic128)->grab().toImage();
  EXPECT_EQ(cell.pixelColor(0, 0), QColor(0, 0, 128));
  EXPECT_EQ(cell.pixelColor(1, 1), QColor(192, 220, 192));
  window->slotView(SlotId::im128)->setFocus();
  EXPECT_NE(window->framePanel(SlotId::ic128)->grab().toImage().pixelColor(0, 0), QColor(0, 0, 128));

  // Shift+F10 and the Menu key: the selection's pop-up; F10 and Alt alone: the File menu;
  // Ctrl+S: the Save submenu beside it, once something can be saved.
  QMenu* file = window->action("F1")->menu();
  for (auto [k, m, menu] : {std::tuple{Qt::Key_F10, Qt::ShiftModifier, window->popupMenu()}, {Qt::Key_Menu, Qt::NoModifier, window->popupMenu()},
                            {Qt::Key_F10, Qt::NoModifier, file}, {Qt::Key_Alt, Qt::NoModifier, file}}) {
    key(k, m);
    // Where the style leads the menu bar by Alt itself, Alt puts the bar in keyboard mode.
    EXPECT_TRUE(QApplication::activePopupWidget() == menu || window->menuBar()->activeAction() == menu->menuAction()) << k;
    while (QApplication::activePopupWidget()) QApplication::activePopupWidget()->close();
    QTest::keyClick(window->menuBar(), Qt::Key_Escape);
    window->slotView(SlotId::ic128)->setFocus();
  }
  window->board().offerBitmap(SlotId::ic32, test::pattern(32, 32));
  window->refresh();
  key(Qt::Key_S, Qt::ControlModifier);
  EXPECT_TRUE(file->isVisible() && window->action("S")->menu()->isVisible());
  while (QApplication::activePopupWidget()) QApplication::activePopupWidget()->close();
  // Ctrl+Z takes the picture back, Ctrl+Y puts it there again.
  window->runCommand("Eff");
  key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_TRUE(window->board().slot(SlotId::ic32).filled());
  key(Qt::Key_Z, Qt::ControlModifier);
  key(Qt::Key_Y, Qt::ControlModifier);
  EXPECT_FALSE(window->board().slot(SlotId::ic32).filled());
}

// In both languages at the platform's font: every size caption shows whole, clear of the cells
// around it and drawn; every hint fits the status bar, shortened with an ellipsis if need be.
TEST_F(WindowTest, TextsFitTheirPlaceInBothLanguages) {
  for (int language : {core::kEnglish, core::kFrench}) {
    window->switchLanguage(language);
    const QImage shot = window->grab().toImage();
    for (const char* name : {"Pan16Caption", "Pan32Caption", "Pan48Caption", "Pan128Caption"}) {
      const auto* label = window->findChild<QLabel*>(name);
      ASSERT_TRUE(label) << name;
      const QRect ink = label->fontMetrics().boundingRect(label->rect(), int(label->alignment()), label->text());
      EXPECT_TRUE(label->rect().contains(ink)) << name;
      for (const auto* cell : label->parentWidget()->findChildren<QFrame*>(Qt::FindDirectChildrenOnly))
        EXPECT_TRUE(cell == label || !cell->geometry().intersects(label->geometry())) << name << " " << cell->objectName().toStdString();
      const QRect onShot(label->mapTo(window.get(), ink.topLeft()), ink.size());
      int dark = 0;
      for (int y = onShot.top(); y <= onShot.bottom(); ++y)
        for (int x = onShot.left(); x <= onShot.right(); ++x) dark += qGray(shot.pixel(x, y)) < 128;
      EXPECT_GT(dark, ink.width()) << name;
    }
    QStatusBar* bar = window->iconBar();
    for (QAction* item : window->findChildren<QAction*>()) {
      if (!item->statusTip().startsWith('.')) continue;
      item->showStatusText(window.get());
      const QString shown = bar->currentMessage();
      EXPECT_LE(bar->fontMetrics().horizontalAdvance(shown), bar->width()) << shown.toStdString();
      EXPECT_TRUE(shown == item->statusTip().mid(1) || shown.endsWith(QChar(0x2026))) << shown.toStdString();
    }
  }
}
