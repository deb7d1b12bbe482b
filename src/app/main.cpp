// The window program.
#include <QApplication>
#include <QIcon>

#include "ui/desktop_help.h"
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
  vexilo::ui::DesktopHelp help;
  vexilo::ui::MainWindow window(settings, help);
  window.show();
  return QApplication::exec();
}
