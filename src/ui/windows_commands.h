// The Windows save commands: File > Save > Windows Icon, and the pop-up's Icon File (Windows),
// Bitmap File and JPEG File.
#pragma once

namespace vexilo::ui {

class MainWindow;

// Registers Wic, Ico, SBM and Jpg with the window. Calling it again replaces them by equal ones.
void installWindowsCommands(MainWindow& window);

}  // namespace vexilo::ui
