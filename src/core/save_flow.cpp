#include "core/save_flow.h"

#include "core/file_io.h"

namespace vexilo::core {

std::optional<std::string> chooseSaveTarget(CommandContext& ctx, const FileDialogRequest& dialog) {
  std::optional<std::string> path = ctx.prompter.askSavePath(dialog);
  if (!path || path->empty()) return std::nullopt;
  if (fileExists(*path) && !askOverwrite(ctx.prompter, ctx.langOffset, *path)) return std::nullopt;
  return path;
}

Outcome writeOutput(CommandContext& ctx, const std::string& path, Bytes bytes) {
  if (replaceFileContents(path, bytes)) return Outcome::Written;
  showFileError(ctx.prompter, ctx.langOffset, path);
  return Outcome::Failed;
}

}  // namespace vexilo::core
