#include "ui/printing.h"

#include <QPageSetupDialog>
#include <QPainter>
#include <QPrinter>
#include <QStatusBar>

#include "ui/main_window.h"

namespace vexilo::ui {

int printScale(int pageWidth, int captureWidth) {
  if (captureWidth <= 0 || pageWidth <= 2 * kPrintMargin) return 0;
  return (pageWidth - 2 * kPrintMargin) / captureWidth;
}

QImage captureClientArea(MainWindow& window) {
  QRect area = window.centralWidget()->geometry();
  if (const QStatusBar* bar = window.statusBar()) area = area.united(bar->geometry());
  return window.grab(area).toImage();
}

void printWindow(MainWindow& window, QPrinter& printer) {
  const QImage capture = captureClientArea(window);
  printer.setPageOrientation(QPageLayout::Portrait);
  const int pageWidth = printer.pageRect(QPrinter::DevicePixel).toRect().width();
  // In the window's own pixels, whatever the screen's pixel ratio.
  const QSize size = capture.deviceIndependentSize().toSize();
  const int scale = printScale(pageWidth, size.width());
  QPainter painter;
  if (!painter.begin(&printer)) return;
  if (scale > 0) {
    const QRect target(kPrintMargin, kPrintMargin, scale * size.width(), scale * size.height());
    painter.drawImage(target, capture);
  }
  painter.end();
}

void setUpPrinter(QPrinter& printer, QWidget* owner) {
  QPageSetupDialog dialog(&printer, owner);
  dialog.exec();
}

}  // namespace vexilo::ui
