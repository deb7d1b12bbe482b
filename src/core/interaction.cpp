#include "core/interaction.h"

#include "core/string_table.h"

namespace vexilo::core {

void showFileError(Prompter& prompter, int langOffset, const std::string& path) {
  prompter.showInfo(formatMessage(loadLocalString(1041, langOffset), path));
}

bool askOverwrite(Prompter& prompter, int langOffset, const std::string& path) {
  return prompter.askYesNo(formatMessage(loadLocalString(1051, langOffset), path));
}

FileDialogRequest dialogFromStrings(int langOffset, int titleId, int filterId, int extensionId,
                                 int initialNameId) {
  auto text = [langOffset](int id) { return id ? loadLocalString(id, langOffset) : std::string(); };
  FileDialogRequest request;
  request.title = text(titleId);
  request.filter = text(filterId);
  request.defaultExtension = text(extensionId);
  request.initialName = text(initialNameId);
  return request;
}

}  // namespace vexilo::core
