// Where the help file of the language in use lies: beside the program, named after it.
#pragma once

#include <filesystem>
#include <string>

namespace vexilo::core {

// The program's folder and base name with "e" (English) or "f" (French) added and the extension
// ".CHM" (/apps/tool becomes /apps/toolf.CHM in French); when no such file exists, the base
// name unchanged (/apps/tool.CHM); empty when that is missing too. Folders never count.
std::string buildHelpPath(const std::filesystem::path& program, int langOffset);

}  // namespace vexilo::core
