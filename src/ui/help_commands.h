// The Help menu (Help Topics, Help Search, Help Index, On-Line Support, About) and File > Print
// and Printer Setup.
#pragma once

#include <functional>

#include "core/interaction.h"
#include "ui/about_box.h"

class QPrinter;

namespace vexilo::ui {

class MainWindow;

// What these commands reach outside the window; tests put stand-ins here.
struct HelpHooks {
  // Opens web pages and mailto: links; empty: the desktop's handler.
  UrlOpener openUrl;
  // The printer Print and Printer Setup share; null: one the window keeps for the whole run.
  QPrinter* printer = nullptr;
};

// Registers HU, HS, HI, WH, Aprop, Pr and PrS with the window. `help` is the window's help
// viewer. Calling it again replaces them; a printer the window keeps stays the same one.
void installHelpCommands(MainWindow& window, core::HelpViewer& help, HelpHooks hooks = {});

}  // namespace vexilo::ui
