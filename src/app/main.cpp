// The window program: vexilo [FILE]...
#include <QApplication>
#include <QIcon>

#include "ui/help_window.h"
#include "ui/main_window.h"
#include "ui/qsettings_store.h"
#include "ui/resources.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  vexilo::ui::initResources();
  QApplication::setApplicationName("Vexilo");
  QApplication::setOrganizationName("Korvane");
  QApplication::setWindowIcon(QIcon(":/vexilo/vexilo.png"));

  vexilo::ui::QSettingsStore settings;
  vexilo::ui::MainWindow* shown = nullptr;
  // The help window follows the window's language.
  vexilo::ui::QtHelpViewer help([&shown] { return shown ? shown->langOffset() : 0; });
  vexilo::ui::MainWindow window(settings, help);
  shown = &window;
  window.show();
  // Files named on the command line, as the file manager passes them: no options, only files.
  window.openIconFiles(QApplication::arguments().mid(1));
  return QApplication::exec();
}
