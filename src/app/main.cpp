// The window program.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Vexilo");
  QApplication::setOrganizationName("Korvane");
  QMainWindow window;
  window.setWindowTitle("Vexilo");
  window.setFixedSize(350, 409);
  window.show();
  return QApplication::exec();
}
