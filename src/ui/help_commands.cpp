#include "ui/help_commands.h"

#include <QGuiApplication>
#include <QPrinter>
#include <QScreen>

#include "core/help.h"
#include "core/interaction.h"
#include "ui/main_window.h"
#include "ui/printing.h"

namespace vexilo::ui {
namespace {

// The printer the window keeps, a child of the window so that it lasts as long as the window.
class KeptPrinter : public QObject {
 public:
  explicit KeptPrinter(QObject* owner) : QObject(owner) {
    setObjectName(QStringLiteral("KeptPrinter"));
  }
  // In the printer's own resolution: the enlargement of the capture is counted in its pixels.
  QPrinter printer{QPrinter::HighResolution};
};

QPrinter& keptPrinter(MainWindow& window) {
  auto* kept = dynamic_cast<KeptPrinter*>(
      window.findChild<QObject*>(QStringLiteral("KeptPrinter"), Qt::FindDirectChildrenOnly));
  if (!kept) kept = new KeptPrinter(&window);
  return kept->printer;
}

QSize screenSize(const QWidget& window) {
  const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
  return screen ? screen->geometry().size() : QSize(0, 0);
}

}  // namespace

void installHelpCommands(MainWindow& window, core::HelpViewer& help, HelpHooks hooks) {
  MainWindow* w = &window;
  core::HelpViewer* viewer = &help;
  const UrlOpener desktop = hooks.openUrl ? hooks.openUrl : desktopUrlOpener();
  // When no browser or mail program takes the address, a message gives it, to copy.
  const UrlOpener openUrl = [w, desktop](const QUrl& url) {
    if (desktop(url)) return true;
    core::CommandContext ctx = w->context();
    core::showMessage(ctx.prompter, ctx.langOffset, 1061, url.toString().toStdString());
    return false;
  };
  QPrinter* printer = hooks.printer ? hooks.printer : &keptPrinter(window);

  w->setCommand("HU", [w, viewer] { core::showHelpTopics(*viewer, w->helpPath(), w->langOffset()); });
  w->setCommand("HS", [w, viewer] { core::showHelpSearch(*viewer, w->helpPath()); });
  w->setCommand("HI", [w, viewer] { core::showHelpIndex(*viewer, w->helpPath()); });
  w->setCommand("WH", [w, openUrl] {
    openUrl(QUrl(QString::fromStdString(core::supportPageUrl(w->langOffset()))));
  });
  w->setCommand("Aprop", [w, viewer, openUrl] {
    AboutBox box(w->langOffset(), w->helpPath(), *viewer, openUrl, w);
    box.run(w->mainRect(), screenSize(*w));
  });
  w->setCommand("Pr", [w, printer] { printWindow(*w, *printer); });
  w->setCommand("PrS", [w, printer] { setUpPrinter(*printer, w); });
}

}  // namespace vexilo::ui
