#include "ui/desktop_help.h"

#include <QDesktopServices>
#include <QUrl>

namespace vexilo::ui {

namespace {
void openHelpFile(const std::string& helpPath) {
  if (helpPath.empty()) return;  // no help file beside the program: nothing opens
  QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(helpPath)));
}
}  // namespace

void DesktopHelp::showContext(const std::string& helpPath, int) { openHelpFile(helpPath); }
void DesktopHelp::showIndex(const std::string& helpPath) { openHelpFile(helpPath); }
void DesktopHelp::showSearch(const std::string& helpPath, const std::string&) {
  openHelpFile(helpPath);
}

}  // namespace vexilo::ui
