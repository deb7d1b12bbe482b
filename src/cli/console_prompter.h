// The person at the screen, played from the command line: every message goes to standard error
// on one line, the save dialog is answered with the file named on the command line, and the
// overwrite question with Yes only when replacing files was allowed.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "core/interaction.h"

namespace vexilo::cli {

class ConsolePrompter : public core::Prompter {
 public:
  // What happened since the last take().
  struct Record {
    int messages = 0;     // information boxes shown
    int savePaths = 0;    // save dialogs answered
    int refusals = 0;     // questions answered No
  };

  ConsolePrompter(std::ostream& err, int langOffset, bool allowReplace);

  // The answer of the save dialogs from now on; empty: they are cancelled.
  void setSavePath(std::string path) { savePath_ = std::move(path); }

  Record take();

  // A line of the tool's own on standard error.
  void note(const std::string& text);

  void showInfo(const std::string& text, core::MessageKind kind = core::MessageKind::Information) override;
  bool askYesNo(const std::string& text) override;
  std::optional<std::string> askOpenPath(const core::FileDialogRequest& request) override;
  std::optional<std::string> askSavePath(const core::FileDialogRequest& request) override;

 private:
  std::ostream& err_;
  int langOffset_;
  bool allowReplace_;
  std::string savePath_;
  Record record_;
};

}  // namespace vexilo::cli
