// Takes the user guide's pictures of the real window: the board with an icon family on it, the
// pasteboard and the palettes. Run by scripts/screenshots under a virtual X server.
//   vexilo-screenshots OUTPUT_FOLDER ICNS_FILE
#include <QApplication>
#include <QTabWidget>
#include <QTest>

#include <cstdio>
#include <filesystem>

#include "ui/desktop_help.h"
#include "ui/edit_commands.h"
#include "ui/help_commands.h"
#include "ui/main_window.h"
#include "ui/qsettings_store.h"
#include "ui/windows_commands.h"
#include "ui/resources.h"

namespace {

bool saveWindow(vexilo::ui::MainWindow& window, const std::filesystem::path& file) {
  QTest::qWait(200);  // let every pending paint land
  if (window.grab().save(QString::fromStdString(file.string()), "PNG")) return true;
  std::fprintf(stderr, "cannot write %s\n", file.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER ICNS_FILE\n", argv[0]);
    return 2;
  }
  vexilo::ui::initResources();
  QApplication::setApplicationName("Vexilo");
  QApplication::setOrganizationName("Korvane");

  vexilo::ui::QSettingsStore settings;
  vexilo::ui::DesktopHelp help;
  vexilo::ui::MainWindow window(settings, help, {0x09, 0x09});
  vexilo::ui::installEditCommands(window);
  vexilo::ui::installWindowsCommands(window);
  vexilo::ui::installHelpCommands(window, help);
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return 1;
  window.openIconFile(argv[2]);

  const std::filesystem::path out = argv[1];
  window.pageMain()->setCurrentIndex(0);
  if (!saveWindow(window, out / "board.png")) return 1;
  window.pageMain()->setCurrentIndex(1);
  window.pagePasteboard()->setCurrentIndex(1);  // 32*32: the family's largest set of pictures
  if (!saveWindow(window, out / "pasteboard.png")) return 1;
  window.pageMain()->setCurrentIndex(2);
  if (!saveWindow(window, out / "palettes.png")) return 1;
  return 0;
}
