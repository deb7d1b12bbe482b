#include "core/interaction.h"

#include "core/string_table.h"

namespace vexilo::core {

void showFileError(Prompter& prompter, int langOffset, const std::string& path) {
  prompter.showInfo(formatMessage(loadLocalString(1041, langOffset), path));
}

bool askOverwrite(Prompter& prompter, int langOffset, const std::string& path) {
  return prompter.askYesNo(formatMessage(loadLocalString(1051, langOffset), path));
}

}  // namespace vexilo::core
