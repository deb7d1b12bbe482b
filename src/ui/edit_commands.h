// The Edit menu and the picture commands of the pop-up menu: Cut, Copy, Paste, Wipe Out,
// Color Depth, Rotation, Color Count and Premultiplication.
#pragma once

namespace vexilo::ui {

class MainWindow;

// Registers the commands with the window. Calling it again replaces them by equal ones.
void installEditCommands(MainWindow& window);

}  // namespace vexilo::ui
