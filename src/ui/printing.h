// File > Print: the window below its menu on one portrait page, and File > Printer Setup.
#pragma once

#include <QImage>

class QPrinter;
class QWidget;

namespace vexilo::ui {

class MainWindow;

// Where the capture starts on the page, from the printable area's top-left, in device pixels.
inline constexpr int kPrintMargin = 200;

// The whole-number enlargement that fits a capture `captureWidth` wide on a printable width of
// `pageWidth` with the margin on both sides; 0 when it does not fit at all.
int printScale(int pageWidth, int captureWidth);

// The window's client area: the pages and the status bar, without the menu bar.
QImage captureClientArea(MainWindow& window);

// Prints the capture in portrait on one page of `printer` (an empty page when it does not fit).
void printWindow(MainWindow& window, QPrinter& printer);

// The page-setup dialog on `printer`; its choice stays with the printer for the next Print.
void setUpPrinter(QPrinter& printer, QWidget* owner);

}  // namespace vexilo::ui
