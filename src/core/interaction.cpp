#include "core/interaction.h"

#include "core/string_table.h"

namespace vexilo::core {

void showFileError(Prompter& prompter, int langOffset, const std::string& path) {
  prompter.showInfo(formatMessage(loadLocalString(1041, langOffset), path));
}

bool askOverwrite(Prompter& prompter, int langOffset, const std::string& path) {
  return prompter.askYesNo(formatMessage(loadLocalString(1051, langOffset), path));
}

FileDialogSpec dialogFromStrings(int langOffset, int titleId, int filterId, int extensionId,
                                 int initialNameId) {
  auto text = [langOffset](int id) { return id ? loadLocalString(id, langOffset) : std::string(); };
  FileDialogSpec spec;
  spec.title = text(titleId);
  spec.filter = text(filterId);
  spec.defaultExtension = text(extensionId);
  spec.initialName = text(initialNameId);
  return spec;
}

}  // namespace vexilo::core
