#include "core/interaction.h"

#include "core/string_table.h"

namespace vexilo::core {

MessageKind messageKind(int id) {
  switch (id) {
    case 1041:  // a file could not be opened or created
    case 6410:  // a file holds no resources
    case 6422:  // a file is in no format the program reads
      return MessageKind::Error;
    case 6100:  // the custom icon is not made: there is no 32x32 picture
    case 6406:  // an element was skipped; the rest of the file was read
      return MessageKind::Warning;
    default:
      return MessageKind::Information;
  }
}

void showMessage(Prompter& prompter, int langOffset, int id, std::string_view argument) {
  prompter.showInfo(messageText(id, langOffset, argument), messageKind(id));
}

void showFileError(Prompter& prompter, int langOffset, const std::string& path) {
  showMessage(prompter, langOffset, 1041, path);
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
