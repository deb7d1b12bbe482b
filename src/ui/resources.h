// The pictures compiled into the ui library (the help glyph, the program icon).
#pragma once

namespace vexilo::ui {

// Registers them once; a static library's resources are not registered by themselves.
void initResources();

}  // namespace vexilo::ui
