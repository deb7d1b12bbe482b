// Takes the user guide's pictures of the real window: the board with an icon family on it, the
// 32*32 pasteboard (the family's largest set of pictures), the palettes and the large sizes of
// a modern icon. Run by scripts/screenshots under a virtual X server:
//   vexilo-screenshots OUTPUT_FOLDER ICNS_FILE MODERN_ICNS_FILE
#include <QApplication>
#include <QTabWidget>
#include <QTest>

#include <cstdio>
#include <filesystem>

#include "ui/help_window.h"
#include "ui/main_window.h"
#include "ui/qsettings_store.h"
#include "ui/resources.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 4) return std::fprintf(stderr, "usage: %s OUTPUT_FOLDER ICNS_FILE MODERN_ICNS_FILE\n", argv[0]), 2;
  vexilo::ui::initResources();
  vexilo::ui::QSettingsStore settings;
  vexilo::ui::QtHelpViewer help;
  vexilo::ui::MainWindow window(settings, help, {0x09, 0x09});
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return 1;
  window.openIconFile(argv[2]);
  window.openIconFile(argv[3]);  // its classic sizes come after the family's: the family's stay
  window.pagePasteboard()->setCurrentIndex(1);
  window.pageLarge()->setCurrentIndex(2);
  for (const auto& [tab, name] :
       {std::pair{0, "board.png"}, {1, "pasteboard.png"}, {2, "palettes.png"}, {3, "large.png"}}) {
    window.pageMain()->setCurrentIndex(tab);
    QTest::qWait(200);  // let every pending paint land
    const std::filesystem::path file = std::filesystem::path(argv[1]) / name;
    if (!window.grab().save(QString::fromStdString(file.string()), "PNG"))
      return std::fprintf(stderr, "cannot write %s\n", file.c_str()), 1;
  }
}
