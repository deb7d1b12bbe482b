// What the commands ask of the person at the screen, and of the help viewer. The window program
// carries these out with real dialogs; tests use scripted fakes that record every call.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vexilo::core {

// A file dialog as the commands describe it. The filter is in the program's own form:
// "Icon Files [*.ico]|*.ico|All Files [*.*]|*.*", description and patterns alternating.
struct FileDialogRequest {
  std::string title;
  std::string filter;
  std::string defaultExtension;  // without the dot; appended when the name typed has none
  std::string initialName;       // may be a pattern such as "*.ico"
  std::string initialDirectory;  // empty: wherever the dialog likes
};

// What a message box tells, shown by its icon: a failure (Error), a command that will not do
// what was asked (Warning), anything else (Information).
enum class MessageKind { Information, Warning, Error };

class Prompter {
 public:
  virtual ~Prompter() = default;
  // The information box with one Close button.
  virtual void showInfo(const std::string& text, MessageKind kind = MessageKind::Information) = 0;
  // The question box; true for Yes.
  virtual bool askYesNo(const std::string& text) = 0;
  // An existing file to open, or nothing on cancel.
  virtual std::optional<std::string> askOpenPath(const FileDialogRequest& request) = 0;
  // A file to write, or nothing on cancel. Never asks about overwriting: commands ask that
  // themselves with askOverwrite.
  virtual std::optional<std::string> askSavePath(const FileDialogRequest& request) = 0;
};

// A dialog described by string-table texts in the language in use (0: none).
FileDialogRequest dialogFromStrings(int langOffset, int titleId, int filterId, int extensionId,
                                 int initialNameId);

// The kind of string-table message `id` (without the language offset).
MessageKind messageKind(int id);
// Message `id` in the language of langOffset, its "%s" filled with `argument`, in the box of its
// kind.
void showMessage(Prompter& prompter, int langOffset, int id, std::string_view argument = {});

// Message 1041 about a file that could not be opened or created.
void showFileError(Prompter& prompter, int langOffset, const std::string& path);
// Question 1051: may the existing file be replaced?
bool askOverwrite(Prompter& prompter, int langOffset, const std::string& path);

// The help viewer. Context numbers already include the language offset.
class HelpViewer {
 public:
  virtual ~HelpViewer() = default;
  virtual void showContext(const std::string& helpPath, int context) = 0;
  virtual void showIndex(const std::string& helpPath) = 0;
  virtual void showSearch(const std::string& helpPath, const std::string& query) = 0;
};

}  // namespace vexilo::core
