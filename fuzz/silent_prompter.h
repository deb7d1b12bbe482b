// Nobody at the screen: messages are dropped, questions answered No, dialogs cancelled.
#pragma once

#include <optional>
#include <string>

#include "core/interaction.h"

class SilentPrompter : public vexilo::core::Prompter {
 public:
  void showInfo(const std::string&) override {}
  bool askYesNo(const std::string&) override { return false; }
  std::optional<std::string> askOpenPath(const vexilo::core::FileDialogRequest&) override {
    return std::nullopt;
  }
  std::optional<std::string> askSavePath(const vexilo::core::FileDialogRequest&) override {
    return std::nullopt;
  }
};
