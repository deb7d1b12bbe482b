// The help viewer of the window program: where no compiled-help viewer exists, the help file is
// opened with the desktop's own handler for it.
#pragma once

#include "core/interaction.h"

namespace vexilo::ui {

class DesktopHelp : public core::HelpViewer {
 public:
  void showContext(const std::string& helpPath, int context) override;
  void showIndex(const std::string& helpPath) override;
  void showSearch(const std::string& helpPath, const std::string& query) override;
};

}  // namespace vexilo::ui
