// The opening every save command shares: the save dialog, the overwrite question, the output.
#pragma once

#include <optional>
#include <string>

#include "core/command_context.h"

namespace vexilo::core {

// Shows the save dialog; when the chosen file exists, asks question 1051 and gives nothing on
// No. The path to write, or nothing when the command should stop.
std::optional<std::string> chooseSaveTarget(CommandContext& ctx, const FileDialogRequest& dialog);

// Writes the output as a whole (see replaceFileContents); when that fails, shows message 1041
// with the path. Returns whether the file was written.
bool writeOutput(CommandContext& ctx, const std::string& path, Bytes bytes);

}  // namespace vexilo::core
