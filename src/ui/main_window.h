// The one main window: the icon board, the pasteboard and the palettes on three tabs, the main
// menu, the pop-up menu of every image and the status bar. It holds no format logic: commands
// act on the board model and the window repaints every image from it afterwards.
#pragma once

#include <QMainWindow>
#include <QRect>
#include <QStringList>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "core/command_context.h"
#include "core/file_helpers.h"
#include "core/history.h"
#include "core/icon_set.h"
#include "core/interaction.h"
#include "core/menu_state.h"
#include "core/settings.h"

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QStatusBar;
class QTabWidget;

namespace vexilo::ui {

class SlotView;

// The system's language identifiers (primary language in the low 10 bits, French = 0x0C).
struct SystemLanguages {
  std::uint16_t user = 0x09;
  std::uint16_t system = 0x09;
};
SystemLanguages systemLanguagesFromLocale();

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  // `prompter` may be null: the window then shows its own message boxes and file dialogs.
  MainWindow(core::SettingsStore& settingsStore, core::HelpViewer& help,
             SystemLanguages languages = systemLanguagesFromLocale(),
             core::Prompter* prompter = nullptr, QWidget* parent = nullptr);
  ~MainWindow() override;

  core::IconSet& board() { return board_; }
  const core::BoardHistory& history() const { return history_; }
  int langOffset() const { return langOffset_; }
  const QRect& mainRect() const { return mainRect_; }
  const std::string& helpPath() const { return helpPath_; }
  std::int32_t timeZoneShift() const { return timeZoneShift_; }
  core::Prompter& prompter() { return *prompter_; }
  core::Settings& settings() { return settings_; }
  // What commands work with, in the language in use.
  core::CommandContext context();

  // A menu item or submenu by its name (F1, O, S, IcoF, DatF, ..., PX, Prof, b32, ...).
  QAction* action(const QString& name) const;
  QMenu* popupMenu() const { return popup_; }
  SlotView* slotView(core::SlotId id) const;
  QWidget* framePanel(core::SlotId id) const;
  QTabWidget* pageMain() const { return pageMain_; }
  QTabWidget* pagePasteboard() const { return pagePB_; }
  QTabWidget* pagePalettes() const { return pagePal_; }
  QTabWidget* pageLarge() const { return pageLarge_; }
  QStatusBar* iconBar() const;
  QLabel* statusPanel() const { return statusPanel_; }
  QProgressBar* progress() const { return progress_; }
  core::SlotId popupSlot() const { return popupSlot_; }
  // The main tab shown, and the pasteboard and palette image in view on theirs.
  core::MainTab shownTab() const;
  core::SlotId visiblePasteboard() const;
  core::SlotId visiblePalette() const;
  core::SlotId visibleLarge() const;
  // Drives the progress bar during long copies.
  core::ProgressSink& progressSink() { return progressSink_; }

  // Runs a menu command by its item name, then repaints; an item without one only repaints.
  void runCommand(const QString& name);
  // Registers what an item does, in place of what it did before.
  void setCommand(const QString& name, std::function<void()> command);

  void selectSlot(core::SlotId id);
  // Readies the pop-up menu for `id`, as opening it there does: the image its commands act on
  // and the states of its items.
  void preparePopup(core::SlotId id);
  // Reads a file onto the board (File > Import, Reopen): its path in the status bar, the
  // reader of its kind, the recent files.
  void openIconFile(const std::string& path);
  // Files named on the command line or dropped on the window, each read as File > Import
  // reads it, in order.
  void openIconFiles(const QStringList& paths);
  void switchLanguage(int offset);
  void applyLanguage();
  // Repaints every image control from the board.
  void refresh();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void buildBoardTab(QWidget* page);
  // A main tab holding a page of tabs, one image each; returns the page.
  QTabWidget* addPagesTab(const char* tabName, const char* pagesName, const char* caption);
  void buildImageTab(QTabWidget* pages, const char* tabName, const char* caption,
                     core::SlotId id, const QColor& panelColour);
  void buildMenus();
  QAction* addItem(QMenu* menu, const char* name);
  QMenu* addSubmenu(QMenu* menu, const char* name);
  void startUp();
  // Wires a slot's control to the selection, the pop-up, the arrow keys and the focus frame.
  void connectView(SlotView* view);
  // The keyboard's own commands: F10 and Alt for the menu bar, Ctrl+S for the Save submenu,
  // the Menu key and Shift+F10 for the pop-up.
  void buildKeys();
  void openMenuBar();
  void openSaveMenu();
  void popupFromKeyboard();
  void moveSelection(core::SlotId from, int key);
  void showFocus(core::SlotId id, bool focused);
  // Shows `path` in the status panel, shortened in the middle to fit; the whole as its tip.
  void showPath(const QString& path);
  void displayHint(const QString& hint);
  void showRecentMenu();
  void onFileMenu();
  void onEditMenu();
  void onLanguageMenu();
  void onSaveImageMenu();
  void onColourDepthMenu();
  void onPageMainChanged(int index);
  void onPagePalChanged(int index);
  void drawVisiblePalette();
  void reopen(int item);
  // What the enabling rules of the menus look at.
  core::MenuInput menuInput() const;
  void applyStates(const core::ItemStates& states);
  void updateEditItems();

  class WindowProgress : public core::ProgressSink {
   public:
    explicit WindowProgress(MainWindow& window) : window_(window) {}
    void begin(int maximum) override;
    void step() override;
    void end() override;

   private:
    MainWindow& window_;
  };

  core::IconSet board_;
  core::BoardHistory history_;
  WindowProgress progressSink_{*this};
  core::Settings settings_;
  core::HelpViewer& help_;
  SystemLanguages languages_;
  std::unique_ptr<core::Prompter> ownPrompter_;
  core::Prompter* prompter_ = nullptr;

  int langOffset_ = 0;
  std::string helpPath_;
  QRect mainRect_;
  std::int32_t timeZoneShift_ = 0;
  bool started_ = false;
  bool hintsInstalled_ = false;
  bool altAlone_ = false;  // Alt is down and no other key came since
  core::RecentMenu recent_;
  core::SlotId popupSlot_ = core::SlotId::ic128;

  QTabWidget* pageMain_ = nullptr;
  QTabWidget* pagePB_ = nullptr;
  QTabWidget* pagePal_ = nullptr;
  QTabWidget* pageLarge_ = nullptr;
  QLabel* statusPanel_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QMenu* popup_ = nullptr;
  std::map<QString, QAction*> actions_;
  std::map<QString, std::function<void()>> commands_;
  std::array<SlotView*, core::kSlotCount> views_{};
  std::array<QWidget*, core::kSlotCount> frames_{};
};

}  // namespace vexilo::ui
