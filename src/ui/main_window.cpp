#include "ui/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QStyle>
#include <QLabel>
#include <QLayout>
#include <QLocale>
#include <QMenuBar>
#include <QMimeData>
#include <QUrl>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QVBoxLayout>

#include <chrono>
#include <ctime>
#include <future>

#include "core/file_helpers.h"
#include "core/help_path.h"
#include "core/string_table.h"
#include "imageops/all_sizes.h"
#include "imageops/masks.h"
#include "mac/icns.h"
#include "mac/palette_swatches.h"
#include "mac/save_commands.h"
#include "open/open_command.h"
#include "ui/edit_commands.h"
#include "ui/help_commands.h"
#include "ui/qt_prompter.h"
#include "ui/windows_commands.h"
#include "ui/slot_view.h"

namespace vexilo::ui {

using core::SlotId;

namespace {

const QColor kCreamColour(255, 251, 240);
const QColor kSelectedColour(192, 220, 192);
const QColor kFocusColour(0, 0, 128);  // the focus frame, a line apart from the selection's fill
constexpr int kClientWidth = 342;
constexpr int kProgressDelayMs = 500;
constexpr int kPageHeight = 390;
constexpr int kStatusHeight = 19;

QString text(int id, int langOffset) {
  return QString::fromStdString(core::loadLocalString(id, langOffset));
}

void paint(QWidget* w, const QColor& colour) {
  QPalette p = w->palette();
  p.setColor(QPalette::Window, colour);
  w->setPalette(p);
  w->setAutoFillBackground(true);
}

// The captions and hints of every item, by item name (0: none).
struct Label {
  const char* name;
  int caption;
  int hint;
};
constexpr Label kLabels[] = {
    {"F1", 6500, 6600},   {"O", 6501, 6601},    {"S", 6502, 6602},     {"Q", 6503, 6603},
    {"Pr", 6504, 6604},   {"PrS", 6505, 6605},  {"Re1", 6506, 6606},   {"IcoF", 6510, 0},
    {"Wic", 6511, 0},     {"DatF", 6512, 0},    {"ResF", 6513, 0},     {"F2", 6514, 0},
    {"IS", 6550, 0},      {"Jpg", 6551, 0},     {"SBM", 6552, 0},      {"Icns", 6553, 0},
    {"Ico", 6554, 0},     {"Rot", 6555, 0},     {"R180", 6556, 0},     {"R90G", 6557, 0},
    {"R90D", 6558, 0},    {"RGD", 6559, 0},     {"RHB", 6560, 0},      {"CCol", 6561, 0},
    {"PreMult", 6562, 0}, {"Mult", 6563, 0},    {"Demult", 6564, 0},   {"Ress", 6565, 0},
    {"Prof", 6566, 0},    {"b32", 6567, 0},     {"b8", 6568, 0},       {"b4", 6569, 0},
    {"b1", 6570, 0},      {"iFat", 6571, 0},    {"CM", 6525, 6625},    {"E", 6520, 6620},
    {"X", 6521, 6621},    {"PX", 6521, 6621},   {"C", 6522, 6622},     {"PC", 6522, 6622},
    {"V", 6523, 6623},    {"PV", 6523, 6623},   {"CMs", 6524, 6624},   {"Eff", 6526, 6626},
    {"Opt", 6530, 6630},  {"L", 6531, 6631},    {"EN", 1053, 0},       {"FR", 1052, 0},
    {"Hlp", 6540, 6640},  {"Aprop", 6541, 6641}, {"HU", 6543, 6643},   {"WH", 6544, 6644},
    {"HS", 6546, 6646},   {"HI", 6545, 6645},   {"Png", 6572, 0},      {"Und", 6527, 6627},
    {"Red", 6528, 6628},  {"CAS", 6529, 6629},
};

// The cells of the board: slot, band, x of the frame panel, frame panel name.
struct Cell {
  SlotId slot;
  int band;  // 0 Pan16, 1 Pan32, 2 Pan48, 3 Pan128
  int x;
  const char* frameName;
};
constexpr Cell kCells[] = {  // in reading order, which is the order Tab takes
    {SlotId::ic16, 0, 45, "Panel8"},   {SlotId::im16, 0, 76, "Panel9"},
    {SlotId::ic12, 0, 235, "Panel10"}, {SlotId::im12, 0, 267, "Panel11"},
    {SlotId::ic32, 1, 27, "Panel4"},   {SlotId::im32, 1, 75, "Panel5"},
    {SlotId::icNB, 1, 216, "Panel6"},  {SlotId::imNB, 1, 265, "Panel7"},
    {SlotId::ic48, 2, 41, "Panel2"},   {SlotId::im48, 2, 228, "Panel3"},
    {SlotId::ic128, 3, 3, "ppic128"},  {SlotId::im128, 3, 184, "Panel1"},
};

constexpr std::size_t at(SlotId id) { return static_cast<std::size_t>(id); }

}  // namespace

SystemLanguages systemLanguagesFromLocale() {
  // One locale stands for both the user's and the system's language here.
  const std::uint16_t id = QLocale::system().language() == QLocale::French ? 0x0C : 0x09;
  return {id, id};
}

MainWindow::MainWindow(core::SettingsStore& settingsStore, core::HelpViewer& help,
                       SystemLanguages languages, core::Prompter* prompter, QWidget* parent)
    : QMainWindow(parent), settings_(settingsStore), help_(help), languages_(languages) {
  if (prompter) {
    prompter_ = prompter;
  } else {
    ownPrompter_ = std::make_unique<QtPrompter>(
        this, [this] { return langOffset_; }, [this] { return helpPath_; }, help_);
    prompter_ = ownPrompter_.get();
  }
  setObjectName("IconEdit");
  setAcceptDrops(true);
  setWindowTitle("Vexilo");
  QFont small = font();
  small.setPixelSize(11);  // the compact face the fixed layout was drawn for
  setFont(small);

  auto* central = new QWidget(this);
  central->setFixedSize(kClientWidth, kPageHeight);
  setCentralWidget(central);
  pageMain_ = new QTabWidget(central);
  pageMain_->setObjectName("PageMain");
  pageMain_->setGeometry(0, 0, kClientWidth, kPageHeight);
  // Four captions in a window of fixed width: every tab stays in view, its caption shortened
  // when need be, rather than scrolling some out of sight.
  pageMain_->setUsesScrollButtons(false);
  pageMain_->setElideMode(Qt::ElideRight);

  auto* tabMac = new QWidget;
  tabMac->setObjectName("TabMac");
  buildBoardTab(tabMac);
  pageMain_->addTab(tabMac, "Iconaria");

  pagePB_ = addPagesTab("TabPB", "PagePB", "Pasteboard");
  buildImageTab(pagePB_, "TabPB16", "16*16", SlotId::PB16, kCreamColour);
  buildImageTab(pagePB_, "TabPB32", "32*32", SlotId::PB32, kCreamColour);
  buildImageTab(pagePB_, "TabPB48", "48*48", SlotId::PB48, kCreamColour);
  buildImageTab(pagePB_, "TabPB128", "128*128", SlotId::PB128, kCreamColour);

  pagePal_ = addPagesTab("TabPal", "PagePal", "Macintosh Palettes");
  buildImageTab(pagePal_, "TabPal16", "16 Colors", SlotId::ipal16, Qt::white);
  buildImageTab(pagePal_, "TabPalIcon", "Icon Palette", SlotId::ipalicon, Qt::white);
  buildImageTab(pagePal_, "TabPal256", "256 Colors", SlotId::ipal256, Qt::white);
  pagePal_->setCurrentIndex(2);

  pageLarge_ = addPagesTab("TabLarge", "PageLarge", "Large Sizes");
  buildImageTab(pageLarge_, "TabLarge256", "256*256", SlotId::ic256, Qt::white);
  buildImageTab(pageLarge_, "TabLarge512", "512*512", SlotId::ic512, Qt::white);
  buildImageTab(pageLarge_, "TabLarge1024", "1024*1024", SlotId::ic1024, Qt::white);
  pageMain_->setCurrentIndex(0);

  auto* bar = new QStatusBar(this);
  bar->setObjectName("IconBar");
  bar->setSizeGripEnabled(false);
  bar->setFixedHeight(kStatusHeight);
  statusPanel_ = new QLabel(bar);
  statusPanel_->setFixedWidth(150);
  bar->addWidget(statusPanel_);
  setStatusBar(bar);

  buildMenus();
  buildKeys();
  connect(pageMain_, &QTabWidget::currentChanged, this, &MainWindow::onPageMainChanged);
  connect(pagePal_, &QTabWidget::currentChanged, this, &MainWindow::onPagePalChanged);
  // Which pasteboard or large slot is in view decides what Cut and Paste act on.
  for (QTabWidget* pages : {pagePB_, pageLarge_})
    connect(pages, &QTabWidget::currentChanged, this, [this] { updateEditItems(); });

  setCommand("O", [this] {
    core::CommandContext ctx = context();
    if (const auto path = open::askFileToImport(ctx)) {
      pageMain_->setCurrentIndex(0);
      openIconFile(*path);
    }
  });
  // Commands that only need the board and the person at the screen.
  const std::pair<const char*, core::Outcome (*)(core::CommandContext&)> contextCommands[] = {
      {"Icns", mac::icnsClick},           {"DatF", mac::saveDataFork},
      {"ResF", mac::saveResourceFork},    {"F2", mac::saveBothForks},
      {"Ress", mac::saveSlotAsResource},  {"iFat", mac::saveCustomIcon},
  };
  for (const auto& [name, command] : contextCommands) {
    setCommand(name, [this, command] {
      core::CommandContext ctx = context();
      command(ctx);
    });
  }
  installEditCommands(*this);
  installHelpCommands(*this, help_);
  installWindowsCommands(*this);
  setCommand("CM", [this] { imageops::createMask(board_, popupSlot_); });
  setCommand("CMs", [this] { imageops::createAllMasks(board_); });
  setCommand("CAS", [this] { imageops::createAllSizes(board_, board_.selected()); });
  setCommand("Q", [this] { close(); });
  setCommand("Und", [this] { history_.undo(board_); });
  setCommand("Red", [this] { history_.redo(board_); });
  setCommand("EN", [this] { switchLanguage(core::kEnglish); });
  setCommand("FR", [this] { switchLanguage(core::kFrench); });
  for (int k = 0; k < core::RecentMenu::kItems; ++k)
    setCommand(QString("R1%1").arg(k + 1), [this, k] { reopen(k); });

  // Fixed size: the menu bar, the pages and the status bar, whatever the menus' captions.
  layout()->setSizeConstraint(QLayout::SetFixedSize);
}

MainWindow::~MainWindow() {
  // The widgets inside go after this part of the window has: their last signals (the focus
  // leaving a slot, tabs taken away) must not reach it.
  for (QObject* child : findChildren<QObject*>()) child->disconnect(this);
}

void MainWindow::buildBoardTab(QWidget* page) {
  auto* panMac = new QFrame(page);
  panMac->setObjectName("PanMac");
  panMac->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  paint(panMac, kCreamColour);
  auto* outer = new QVBoxLayout(page);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(panMac);

  // Four bands aligned to the bottom, from top to bottom 16, 32, 48 and 128.
  auto* bands = new QVBoxLayout(panMac);
  bands->setContentsMargins(0, 0, 0, 1);
  bands->setSpacing(0);
  bands->addStretch();
  static constexpr const char* kBandNames[] = {"Pan16", "Pan32", "Pan48", "Pan128"};
  static constexpr const char* kBandCaptions[] = {"16*16 - 16*12", "32*32", "48*48", "128*128"};
  static constexpr int kBandHeights[] = {70, 70, 70, 144};
  static constexpr int kCellY[] = {22, 16, 7, 3};
  std::array<QFrame*, 4> band{};
  std::array<QLabel*, 4> caption{};
  for (int b = 0; b < 4; ++b) {
    band[b] = new QFrame(panMac);
    band[b]->setObjectName(kBandNames[b]);
    band[b]->setFixedSize(326, kBandHeights[b]);
    band[b]->setFrameStyle(QFrame::Panel | QFrame::Raised);
    caption[b] = new QLabel(kBandCaptions[b], band[b]);
    caption[b]->setObjectName(QString(kBandNames[b]) + "Caption");
    caption[b]->setAlignment(Qt::AlignCenter);
    bands->addWidget(band[b], 0, Qt::AlignHCenter);
  }
  for (const Cell& cell : kCells) {
    const int image = core::controlSize(cell.slot).width;
    const int frameSize = image + 4 + (image == 128 ? 7 : 6);
    auto* frame = new QFrame(band[cell.band]);
    frame->setObjectName(cell.frameName);
    frame->setGeometry(cell.x, kCellY[cell.band], frameSize, frameSize);
    paint(frame, kCreamColour);
    auto* white = new QFrame(frame);
    white->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    white->setLineWidth(1);
    white->setGeometry(3, 3, image + 4, image + 4);
    paint(white, Qt::white);
    auto* view = new SlotView(board_, cell.slot, white);
    view->move(2, 2);
    views_[at(cell.slot)] = view;
    frames_[at(cell.slot)] = frame;
    connectView(view);
  }
  // Each band's caption sits in the gap between its left and right cells, in a face small
  // enough for the whole caption to show there.
  for (int b = 0; b < 4; ++b) {
    const int middle = band[b]->width() / 2;
    int left = 0, right = band[b]->width();
    for (const Cell& cell : kCells) {
      if (cell.band != b) continue;
      const QRect r = frames_[at(cell.slot)]->geometry();
      if (r.center().x() < middle)
        left = std::max(left, r.right() + 1);
      else
        right = std::min(right, r.left());
    }
    caption[b]->setGeometry(left, 0, right - left, kBandHeights[b]);
    QFont face = font();
    auto tooWide = [&] { return QFontMetrics(face).boundingRect(caption[b]->text()).width() > right - left - 2; };
    if (tooWide()) face.setStretch(QFont::Condensed);
    while (tooWide() && face.pixelSize() > 8) face.setPixelSize(face.pixelSize() - 1);
    caption[b]->setFont(face);
  }

  progress_ = new QProgressBar(page);
  progress_->setObjectName("Progress");
  progress_->setGeometry(148, 2, 25, 16);
  progress_->setRange(0, 100);
  progress_->hide();
}

QTabWidget* MainWindow::addPagesTab(const char* tabName, const char* pagesName, const char* caption) {
  auto* tab = new QWidget;
  tab->setObjectName(tabName);
  auto* pages = new QTabWidget(tab);
  pages->setObjectName(pagesName);
  (new QVBoxLayout(tab))->addWidget(pages);
  tab->layout()->setContentsMargins(0, 0, 0, 0);
  pageMain_->addTab(tab, caption);
  return pages;
}

void MainWindow::buildImageTab(QTabWidget* pages, const char* tabName, const char* caption,
                               SlotId id, const QColor& panelColour) {
  auto* sheet = new QWidget;
  sheet->setObjectName(tabName);
  auto* panel = new QFrame(sheet);
  paint(panel, panelColour);
  auto* sheetLayout = new QVBoxLayout(sheet);
  sheetLayout->setContentsMargins(1, 1, 1, 1);
  sheetLayout->addWidget(panel);
  auto* view = new SlotView(board_, id, panel);
  auto* panelLayout = new QVBoxLayout(panel);
  panelLayout->setContentsMargins(0, 0, 0, 0);
  panelLayout->addWidget(view, 0, Qt::AlignCenter);
  views_[at(id)] = view;
  frames_[at(id)] = sheet;  // the tab sheet marks the selection of these images
  connectView(view);
  pages->addTab(sheet, caption);
}

void MainWindow::connectView(SlotView* view) {
  connect(view, &SlotView::pressed, this, &MainWindow::selectSlot);
  connect(view, &SlotView::popupRequested, this, [this](SlotId slot, QPoint pos) {
    preparePopup(slot);
    popup_->popup(pos);
  });
  connect(view, &SlotView::arrowPressed, this, &MainWindow::moveSelection);
  connect(view, &SlotView::focusChanged, this, &MainWindow::showFocus);
}

QAction* MainWindow::addItem(QMenu* menu, const char* name) {
  auto* item = menu->addAction(QString());
  item->setObjectName(name);
  actions_[name] = item;
  const QString command = name;
  connect(item, &QAction::triggered, this, [this, command] { runCommand(command); });
  return item;
}

QMenu* MainWindow::addSubmenu(QMenu* menu, const char* name) {
  auto* sub = new QMenu(menu);
  sub->setObjectName(name);
  sub->menuAction()->setObjectName(name);
  actions_[name] = sub->menuAction();
  menu->addMenu(sub);
  return sub;
}

void MainWindow::buildMenus() {
  auto topMenu = [this](const char* name) {
    auto* m = new QMenu(this);
    m->setObjectName(name);
    m->menuAction()->setObjectName(name);
    actions_[name] = m->menuAction();
    menuBar()->addMenu(m);
    return m;
  };

  QMenu* file = topMenu("F1");
  addItem(file, "O")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
  QMenu* save = addSubmenu(file, "S");
  QMenu* mac = addSubmenu(save, "IcoF");
  addItem(mac, "DatF");
  addItem(mac, "ResF");
  addItem(mac, "F2");
  addItem(save, "Wic");
  file->addSeparator();
  addItem(file, "PrS");
  addItem(file, "Pr")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
  file->addSeparator();
  QMenu* reopen = addSubmenu(file, "Re1");
  for (int k = 1; k <= core::RecentMenu::kItems; ++k)
    addItem(reopen, QString("R1%1").arg(k).toLatin1().constData());
  file->addSeparator();
  addItem(file, "Q");
  connect(file, &QMenu::aboutToShow, this, &MainWindow::onFileMenu);

  QMenu* edit = topMenu("E");
  addItem(edit, "Und")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  addItem(edit, "Red")->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
  edit->addSeparator();
  addItem(edit, "X")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
  addItem(edit, "C")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
  addItem(edit, "V")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
  edit->addSeparator();
  addItem(edit, "CMs");
  addItem(edit, "CAS");
  edit->addSeparator();
  addItem(edit, "Eff")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
  connect(edit, &QMenu::aboutToShow, this, &MainWindow::onEditMenu);

  QMenu* options = topMenu("Opt");
  QMenu* language = addSubmenu(options, "L");
  addItem(language, "EN")->setCheckable(true);
  addItem(language, "FR")->setCheckable(true);
  connect(language, &QMenu::aboutToShow, this, &MainWindow::onLanguageMenu);
  options->menuAction()->setVisible(false);  // until the texts are applied

  QMenu* helpMenu = topMenu("Hlp");
  addItem(helpMenu, "HU")->setShortcut(QKeySequence(Qt::Key_F1));
  addItem(helpMenu, "HS");
  addItem(helpMenu, "HI");
  helpMenu->addSeparator();
  addItem(helpMenu, "WH");
  helpMenu->addSeparator();
  addItem(helpMenu, "Aprop");
  helpMenu->menuAction()->setVisible(false);

  popup_ = new QMenu(this);
  popup_->setObjectName("PopIcon");
  addItem(popup_, "PX");
  addItem(popup_, "PC");
  addItem(popup_, "PV");
  popup_->addSeparator();
  QMenu* depth = addSubmenu(popup_, "Prof");
  auto* radio = new QActionGroup(depth);
  for (const char* name : {"b32", "b8", "b4", "b1"}) {
    QAction* item = addItem(depth, name);
    item->setCheckable(true);
    radio->addAction(item);
  }
  radio->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
  connect(depth, &QMenu::aboutToShow, this, &MainWindow::onColourDepthMenu);
  QMenu* rotation = addSubmenu(popup_, "Rot");
  for (const char* name : {"R180", "R90D", "R90G", "RGD", "RHB"}) addItem(rotation, name);
  addItem(popup_, "CCol");
  QMenu* premultiplication = addSubmenu(popup_, "PreMult");
  addItem(premultiplication, "Mult");
  addItem(premultiplication, "Demult");
  popup_->addSeparator();
  QMenu* saveImage = addSubmenu(popup_, "IS");
  addItem(saveImage, "SBM");
  addItem(saveImage, "Jpg");
  addItem(saveImage, "Png");
  saveImage->addSeparator();
  addItem(saveImage, "Icns");
  addItem(saveImage, "Ress");
  addItem(saveImage, "iFat");
  saveImage->addSeparator();
  addItem(saveImage, "Ico");
  connect(saveImage, &QMenu::aboutToShow, this, &MainWindow::onSaveImageMenu);
  popup_->addSeparator();
  addItem(popup_, "CM");

  // The pop-up is a window of its own: its hints stop there unless passed on to this window.
  popup_->installEventFilter(this);
  for (QMenu* sub : popup_->findChildren<QMenu*>()) sub->installEventFilter(this);
}

void MainWindow::buildKeys() {
  auto key = [this](const char* name, QList<QKeySequence> keys, void (MainWindow::*run)()) {
    auto* item = new QAction(this);
    item->setObjectName(name);
    item->setShortcuts(keys);
    addAction(item);
    actions_[name] = item;
    connect(item, &QAction::triggered, this, run);
  };
  key("KeyMenuBar", {QKeySequence(Qt::Key_F10)}, &MainWindow::openMenuBar);
  key("KeySave", {QKeySequence(Qt::CTRL | Qt::Key_S)}, &MainWindow::openSaveMenu);
  key("KeyPopup", {QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)},
      &MainWindow::popupFromKeyboard);
}

void MainWindow::openMenuBar() { menuBar()->setActiveAction(action("F1")); }

void MainWindow::openSaveMenu() {
  // The File menu opens as a click would open it, then its Save submenu beside it.
  openMenuBar();
  QMenu* file = action("F1")->menu();
  if (file->isVisible() && action("S")->isEnabled()) file->setActiveAction(action("S"));
}

void MainWindow::popupFromKeyboard() {
  // The selected slot's pop-up, below its control's centre; when the selection lies on another
  // tab, that of the slot that has the focus, which becomes the selection.
  SlotView* view = views_[at(board_.selected())];
  if (!view || !view->isVisible()) {
    view = qobject_cast<SlotView*>(focusWidget());
    if (!view) return;
    selectSlot(view->slotId());
  }
  preparePopup(view->slotId());
  popup_->popup(view->mapToGlobal(view->rect().center()));
}

void MainWindow::moveSelection(SlotId from, int key) {
  // The neighbour in the key's direction on the board: the next cell of the same band to the
  // left or right, or the nearest cell of the band above or below.
  const Cell* here = nullptr;
  for (const Cell& cell : kCells)
    if (cell.slot == from) here = &cell;
  if (!here) return;  // the other tabs hold one slot each
  const int dx = key == Qt::Key_Left ? -1 : key == Qt::Key_Right ? 1 : 0;
  const int band = here->band + (key == Qt::Key_Up ? -1 : key == Qt::Key_Down ? 1 : 0);
  const int centre = frames_[at(from)]->geometry().center().x();
  const Cell* best = nullptr;
  int bestDistance = 0;
  for (const Cell& cell : kCells) {
    if (cell.band != band || cell.slot == from) continue;
    const int offset = frames_[at(cell.slot)]->geometry().center().x() - centre;
    if (dx * offset < 0 || (dx != 0 && offset == 0)) continue;
    const int distance = std::abs(offset);
    if (!best || distance < bestDistance) {
      best = &cell;
      bestDistance = distance;
    }
  }
  if (!best) return;
  selectSlot(best->slot);
  views_[at(best->slot)]->setFocus(Qt::TabFocusReason);
}

void MainWindow::showFocus(SlotId id, bool focused) {
  // The line goes round the cell of a board slot, round the image's panel on the other tabs.
  auto* frame = qobject_cast<QFrame*>(frames_[at(id)]);
  if (!frame) frame = qobject_cast<QFrame*>(views_[at(id)]->parentWidget());
  if (!frame) return;
  QPalette p = frame->palette();
  p.setColor(QPalette::WindowText, kFocusColour);
  frame->setPalette(p);
  frame->setFrameStyle(focused ? QFrame::Box | QFrame::Plain : QFrame::NoFrame);
  frame->setLineWidth(1);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  altAlone_ = event->key() == Qt::Key_Alt && !(event->modifiers() & ~Qt::AltModifier);
  QMainWindow::keyPressEvent(event);
}

void MainWindow::keyReleaseEvent(QKeyEvent* event) {
  // Alt pressed and let go alone opens the menu bar, where the style does not do it already.
  const bool styleDoes = style()->styleHint(QStyle::SH_MenuBar_AltKeyNavigation, nullptr, menuBar());
  if (event->key() == Qt::Key_Alt && altAlone_ && !styleDoes) openMenuBar();
  altAlone_ = false;
  QMainWindow::keyReleaseEvent(event);
}

QAction* MainWindow::action(const QString& name) const {
  auto it = actions_.find(name);
  return it == actions_.end() ? nullptr : it->second;
}

SlotView* MainWindow::slotView(SlotId id) const { return views_[at(id)]; }
QWidget* MainWindow::framePanel(SlotId id) const { return frames_[at(id)]; }
QStatusBar* MainWindow::iconBar() const { return statusBar(); }

void MainWindow::runCommand(const QString& name) {
  auto it = commands_.find(name);
  if (it != commands_.end()) {
    // Every command that changes the board is one step to take back; Undo and Redo move
    // through the steps themselves.
    const bool step = name != QLatin1String("Und") && name != QLatin1String("Red");
    if (step) history_.begin(board_);
    it->second();
    if (step) history_.commit(board_);
  }
  refresh();
}

void MainWindow::setCommand(const QString& name, std::function<void()> command) {
  commands_[name] = std::move(command);
}

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!started_) {
    started_ = true;
    startUp();
  }
}

void MainWindow::startUp() {
  if (const QScreen* screen = this->screen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
  settings_.chooseRoot();
  langOffset_ = core::defaultLanguage(languages_.user, languages_.system);
  langOffset_ = settings_.readLanguage(langOffset_);
  hintsInstalled_ = true;
  action("Q")->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
  mainRect_ = frameGeometry();
  recent_ = settings_.loadRecentFiles();
  showRecentMenu();
  timeZoneShift_ = core::timeZoneShift(static_cast<std::int64_t>(std::time(nullptr)));
  selectSlot(SlotId::ic128);
  views_[at(SlotId::ic128)]->setFocus(Qt::OtherFocusReason);
  board_.resetPasteboard();
  helpPath_ = core::buildHelpPath(QCoreApplication::applicationFilePath().toStdString(), langOffset_);
  applyLanguage();
  refresh();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  settings_.writeLanguage(langOffset_);
  event->accept();
}

void MainWindow::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  // A position on the screen's left or top edge is not taken (it is what a minimised or
  // half-placed window reports).
  const QRect frame = frameGeometry();
  if (frame.x() != 0 && frame.y() != 0) mainRect_ = frame;
}

bool MainWindow::event(QEvent* event) {
  if (event->type() == QEvent::StatusTip) {
    if (hintsInstalled_) displayHint(static_cast<QStatusTipEvent*>(event)->tip());
    return true;
  }
  return QMainWindow::event(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::StatusTip) {
    if (hintsInstalled_) displayHint(static_cast<QStatusTipEvent*>(event)->tip());
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::displayHint(const QString& hint) {
  if (hint.isEmpty()) {
    statusBar()->clearMessage();  // back to the panel
  } else if (hint.startsWith(QLatin1Char('.'))) {
    // One text across the whole bar, shortened with an ellipsis when it is longer.
    QStatusBar* bar = statusBar();
    const int room = bar->width() - 2 * bar->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) - 8;
    bar->showMessage(bar->fontMetrics().elidedText(hint.mid(1), Qt::ElideRight, room));
  }
  // Other hints are tool tips only.
}

void MainWindow::applyLanguage() {
  for (const Label& label : kLabels) {
    QAction* item = action(label.name);
    if (!item) continue;
    QString caption = text(label.caption, langOffset_);
    if (QString(label.name) == "S") caption += QStringLiteral("\tCtrl+S");
    item->setText(caption);
    item->setStatusTip(label.hint ? text(label.hint, langOffset_) : QString());
  }
  pageMain_->setTabText(0, text(6401, langOffset_));
  pageMain_->setTabText(1, text(6400, langOffset_));
  pageMain_->setTabText(2, text(6402, langOffset_));
  pageMain_->setTabText(3, text(6407, langOffset_));
  pagePal_->setTabText(0, text(6403, langOffset_));
  pagePal_->setTabText(1, text(6404, langOffset_));
  pagePal_->setTabText(2, text(6405, langOffset_));
  // Captions shortened to fit the window's width show whole as their tips.
  for (QTabWidget* pages : {pageMain_, pagePB_, pagePal_, pageLarge_})
    for (int k = 0; k < pages->count(); ++k) pages->setTabToolTip(k, pages->tabText(k));
  action("Opt")->setVisible(true);
  action("Hlp")->setVisible(true);
}

void MainWindow::switchLanguage(int offset) {
  if (offset == langOffset_) return;
  langOffset_ = offset;
  helpPath_ = core::buildHelpPath(QCoreApplication::applicationFilePath().toStdString(), langOffset_);
  applyLanguage();
}

void MainWindow::selectSlot(SlotId id) {
  paint(frames_[at(board_.selected())], kCreamColour);
  board_.select(id);
  paint(frames_[at(id)], kSelectedColour);
  if (started_) updateEditItems();
}

void MainWindow::showRecentMenu() {
  action("Re1")->setEnabled(recent_.reopenEnabled);
  for (int k = 0; k < core::RecentMenu::kItems; ++k) {
    QAction* item = action(QString("R1%1").arg(k + 1));
    // Menu texts take "&" as an accelerator mark: double it so that paths show as they are.
    item->setText(QString::fromStdString(recent_.labels[static_cast<std::size_t>(k)])
                      .replace(QLatin1Char('&'), QStringLiteral("&&")));
    item->setEnabled(recent_.enabled[static_cast<std::size_t>(k)]);
    item->setVisible(recent_.enabled[static_cast<std::size_t>(k)]);  // numbers without a file are left out
  }
}

void MainWindow::reopen(int item) {
  const auto path =
      core::Settings::pathFromRecentLabel(recent_.labels[static_cast<std::size_t>(item)]);
  if (path) openIconFile(*path);
}

void MainWindow::openIconFile(const std::string& path) {
  showPath(QString::fromStdString(path));
  // The file is read away from this thread; a reading that lasts shows the bar at the foot of
  // the board, moving to and fro, until the pictures come.
  auto reading = std::async(std::launch::async, [path] { return open::readIconFile(path); });
  QElapsedTimer clock;
  clock.start();
  bool shown = false;
  while (reading.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
    if (!shown && clock.elapsed() >= kProgressDelayMs) {
      progressSink_.begin(0);
      shown = true;
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
  if (shown) progressSink_.end();
  core::CommandContext ctx = context();
  history_.begin(board_);  // each file read is a step of its own
  core::applyFamily(ctx, reading.get());
  history_.commit(board_);
  settings_.addRecentFile(path, recent_);
  showRecentMenu();
  refresh();
}

void MainWindow::showPath(const QString& path) {
  statusPanel_->setText(statusPanel_->fontMetrics().elidedText(path, Qt::ElideMiddle, statusPanel_->width() - 4));
  statusPanel_->setToolTip(path);
}

void MainWindow::openIconFiles(const QStringList& paths) {
  for (const QString& path : paths) {
    pageMain_->setCurrentIndex(0);
    openIconFile(path.toStdString());
  }
}

namespace {

// The local files a drag carries; none when it carries anything else.
QStringList droppedFiles(const QMimeData* data) {
  QStringList files;
  if (!data || !data->hasUrls()) return files;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) files << url.toLocalFile();
  return files;
}

}  // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!droppedFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  const QStringList files = droppedFiles(event->mimeData());
  if (files.isEmpty()) return;
  event->acceptProposedAction();
  openIconFiles(files);
}

core::CommandContext MainWindow::context() {
  return core::CommandContext{board_, *prompter_, langOffset_, &settings_, &progressSink_, timeZoneShift_};
}

core::MainTab MainWindow::shownTab() const {
  switch (pageMain_->currentIndex()) {
    case 1: return core::MainTab::Pasteboard;
    case 2: return core::MainTab::Palettes;
    case 3: return core::MainTab::Large;
    default: return core::MainTab::Board;
  }
}

SlotId MainWindow::visiblePasteboard() const {
  return core::kPasteboards[static_cast<std::size_t>(std::max(0, pagePB_->currentIndex()))];
}

SlotId MainWindow::visibleLarge() const {
  return core::kLargeSlots[static_cast<std::size_t>(std::max(0, pageLarge_->currentIndex()))];
}

SlotId MainWindow::visiblePalette() const {
  return core::kPalettes[static_cast<std::size_t>(std::max(0, pagePal_->currentIndex()))];
}

core::MenuInput MainWindow::menuInput() const {
  const QMimeData* clipboard = QGuiApplication::clipboard()->mimeData();
  return {board_, shownTab(), visiblePasteboard(), clipboard && clipboard->hasImage()};
}

void MainWindow::applyStates(const core::ItemStates& states) {
  for (const core::ItemState& state : states)
    action(QString::fromLatin1(state.item.data(), static_cast<qsizetype>(state.item.size())))
        ->setEnabled(state.enabled);
}

void MainWindow::onFileMenu() { applyStates(core::fileMenuStates(menuInput())); }

void MainWindow::onEditMenu() { updateEditItems(); }

void MainWindow::onLanguageMenu() {
  action("EN")->setChecked(langOffset_ == core::kEnglish);
  action("FR")->setChecked(langOffset_ == core::kFrench);
}

void MainWindow::preparePopup(SlotId id) {
  popupSlot_ = id;
  applyStates(core::popupStates(menuInput(), id));
}

void MainWindow::onSaveImageMenu() {
  applyStates(core::saveImageMenuStates(menuInput(), popupSlot_));
}

void MainWindow::onColourDepthMenu() {
  auto it = commands_.find(QStringLiteral("Prof"));
  if (it != commands_.end()) it->second();
}

void MainWindow::onPageMainChanged(int) {
  if (shownTab() == core::MainTab::Palettes) drawVisiblePalette();
  applyStates(core::tabChangeStates(shownTab()));
  updateEditItems();
}

void MainWindow::onPagePalChanged(int) { drawVisiblePalette(); }

void MainWindow::drawVisiblePalette() {
  mac::drawPaletteOnce(board_, visiblePalette());
  refresh();
}

void MainWindow::WindowProgress::begin(int maximum) {
  // Across the foot of the board, just above the status bar.
  QProgressBar* bar = window_.progress_;
  QWidget* page = bar->parentWidget();
  bar->setGeometry(0, page->height() - 16, page->width(), 16);
  bar->setRange(0, maximum);
  bar->setValue(0);
  bar->show();
}

void MainWindow::WindowProgress::step() {
  window_.progress_->setValue(window_.progress_->value() + 1);
  window_.progress_->repaint();
}

void MainWindow::WindowProgress::end() { window_.progress_->hide(); }

void MainWindow::refresh() {
  for (SlotView* view : views_)
    if (view) view->update();
  updateEditItems();
}

void MainWindow::updateEditItems() {
  // The Edit items' shortcuts act without the menu opening: their states follow the board, the
  // selection and the tab at once.
  applyStates(core::editMenuStates(menuInput()));
  action("Und")->setEnabled(history_.canUndo());
  action("Red")->setEnabled(history_.canRedo());
}

}  // namespace vexilo::ui
