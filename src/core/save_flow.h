// The opening every save command shares: the save dialog, the overwrite question, the output.
#pragma once

#include <optional>
#include <string>

#include "core/command_context.h"

namespace vexilo::core {

// What a command that writes a file did, for whoever runs it (the window ignores it where there
// is nothing to show; the command-line tool makes its exit status of it).
enum class Outcome {
  Written,    // the file was written
  Cancelled,  // the person cancelled the dialog or declined to replace the file
  Refused,    // the command does not apply to the board or the slot; nothing was asked
  Failed,     // the file could not be written (message 1041 was shown)
};

// Shows the save dialog; when the chosen file exists, asks question 1051 and gives nothing on
// No. The path to write, or nothing when the command should stop.
std::optional<std::string> chooseSaveTarget(CommandContext& ctx, const FileDialogRequest& dialog);

// Writes the output as a whole (see replaceFileContents); when that fails, shows message 1041
// with the path.
Outcome writeOutput(CommandContext& ctx, const std::string& path, Bytes bytes);

}  // namespace vexilo::core
