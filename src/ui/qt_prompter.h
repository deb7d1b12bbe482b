// core::Prompter carried out with the program's own message boxes and Qt file dialogs.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <string>
#include <string_view>

#include "core/interaction.h"

namespace vexilo::ui {

// "Icon Files [*.ico]|*.ico|All Files [*.*]|*.*" to "Icon Files [*.ico] (*.ico);;All Files
// [*.*] (*)": description and patterns alternate, patterns are separated by ';', "*.*" means
// every file. Empty segments and a description without patterns are skipped.
QString toQtFilter(std::string_view filter);

class QtPrompter final : public core::Prompter {
 public:
  // langOffset and helpPath are asked at every call, so a change of language or help file
  // applies to the next box.
  QtPrompter(QWidget* owner, std::function<int()> langOffset,
             std::function<std::string()> helpPath, core::HelpViewer& help);

  void showInfo(const std::string& text, core::MessageKind kind = core::MessageKind::Information) override;
  bool askYesNo(const std::string& text) override;
  std::optional<std::string> askOpenPath(const core::FileDialogRequest& request) override;
  std::optional<std::string> askSavePath(const core::FileDialogRequest& request) override;

 private:
  QPointer<QWidget> owner_;
  std::function<int()> langOffset_;
  std::function<std::string()> helpPath_;
  core::HelpViewer& help_;
};

}  // namespace vexilo::ui
