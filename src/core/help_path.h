// Where the help collection of the language in use lies: beside the program, named after it, or
// where an installed program's shared data goes.
#pragma once

#include <filesystem>
#include <string>

namespace vexilo::core {

// The program's folder and base name with "e" (English) or "f" (French) added and the extension
// ".qhc" (/apps/tool becomes /apps/toolf.qhc in French); when no such file exists, the base name
// unchanged (/apps/tool.qhc). An installed program (/usr/bin/tool) finds the same two names in
// ../share/tool/ (/usr/share/tool/toolf.qhc) when none lies beside it. Empty when none of them
// exists. Folders never count.
std::string buildHelpPath(const std::filesystem::path& program, int langOffset);

}  // namespace vexilo::core
