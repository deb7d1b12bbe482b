// The program's own small modal boxes: information, warning and error (one Close button) and
// question (Yes/No), each with a help button that opens the help viewer on the box's context and
// the style's icon for its kind.
#pragma once

#include <QDialog>

#include <string>

#include "core/interaction.h"

namespace vexilo::ui {

class MessageBox : public QDialog {
  Q_OBJECT

 public:
  enum class Kind { Info, Warning, Error, Question };

  // Texts are looked up now, in the language of langOffset. An empty helpPath makes the help
  // button do nothing.
  MessageBox(Kind kind, const std::string& text, int langOffset, std::string helpPath,
             core::HelpViewer& help, QWidget* owner = nullptr);

  // Shows the box modally; true exactly when it ended through Yes (only a Question has it).
  bool run();

  Kind kind() const { return kind_; }

 private:
  void showHelp();

  Kind kind_;
  int langOffset_;
  std::string helpPath_;
  core::HelpViewer& help_;
};

}  // namespace vexilo::ui
