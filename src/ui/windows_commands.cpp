#include "ui/windows_commands.h"

#include "ui/main_window.h"
#include "win/bmp_jpeg.h"
#include "win/ico_writer.h"

namespace vexilo::ui {

void installWindowsCommands(MainWindow& window) {
  const auto install = [&window](const char* name, core::Outcome (*command)(core::CommandContext&)) {
    window.setCommand(name, [&window, command] {
      core::CommandContext ctx = window.context();
      command(ctx);
    });
  };
  install("Wic", win::wicClick);
  install("Ico", win::icoClick);
  install("SBM", win::sbmClick);
  install("Jpg", win::jpgClick);
  install("Png", win::pngClick);
}

}  // namespace vexilo::ui
