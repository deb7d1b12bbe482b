#include "ui/edit_commands.h"

#include <QAction>

#include "core/edit_commands.h"
#include "core/interaction.h"
#include "imageops/colour_depth.h"
#include "imageops/premultiply.h"
#include "imageops/rotation.h"
#include "ui/main_window.h"
#include "ui/qt_clipboard.h"

namespace vexilo::ui {

using core::PixelFormat;
using core::SlotId;

namespace {

// Copy from the Edit menu takes the image in view: the selected slot on the board tab, the
// visible pasteboard or palette image on the others.
SlotId copyTarget(MainWindow& w) {
  switch (w.shownTab()) {
    case core::MainTab::Pasteboard: return w.visiblePasteboard();
    case core::MainTab::Palettes: return w.visiblePalette();
    case core::MainTab::Board:
    case core::MainTab::Large: break;
  }
  return w.board().selected();
}

}  // namespace

void installEditCommands(MainWindow& window) {
  MainWindow* w = &window;
  auto board = [w]() -> core::IconSet& { return w->board(); };
  auto popup = [w] { return w->popupSlot(); };
  auto selected = [w] { return w->board().selected(); };

  // QtClipboard holds no state: each command takes a fresh one.
  w->setCommand("X", [=] {
    QtClipboard clipboard;
    core::cutSlot(board(), clipboard, selected());
  });
  w->setCommand("PX", [=] {
    QtClipboard clipboard;
    core::cutSlot(board(), clipboard, popup());
  });
  w->setCommand("C", [=] {
    QtClipboard clipboard;
    core::copySlot(board(), clipboard, copyTarget(*w));
  });
  w->setCommand("PC", [=] {
    QtClipboard clipboard;
    core::copySlot(board(), clipboard, popup());
  });
  w->setCommand("V", [=] { core::pasteSlot(board(), QtClipboard(), selected()); });
  w->setCommand("PV", [=] { core::pasteSlot(board(), QtClipboard(), popup()); });
  w->setCommand("Eff", [=] { core::wipeOut(board(), w->shownTab()); });

  using imageops::Turn;
  for (const auto& [name, how] :
       {std::pair{"R180", Turn::Half}, std::pair{"R90D", Turn::Right},
        std::pair{"R90G", Turn::Left}, std::pair{"RGD", Turn::FlipHorizontal},
        std::pair{"RHB", Turn::FlipVertical}}) {
    const Turn turn = how;
    w->setCommand(name, [=] { imageops::turnSlot(board(), popup(), turn); });
  }

  static constexpr std::pair<const char*, PixelFormat> kDepths[] = {
      {"b32", PixelFormat::Bits32}, {"b8", PixelFormat::Bits8},
      {"b4", PixelFormat::Bits4},   {"b1", PixelFormat::Bits1}};
  w->setCommand("Prof", [=] {
    const auto choice = imageops::depthMenuChoice(board(), popup());
    for (const auto& [name, format] : kDepths) w->action(name)->setChecked(choice == format);
  });
  for (const auto& [name, format] : kDepths) {
    const PixelFormat target = format;
    w->setCommand(name, [=] { imageops::convertSlot(board(), popup(), target); });
  }

  w->setCommand("CCol", [=] {
    const int count = imageops::countSlotColours(board(), popup());
    if (count == 0) return;
    core::CommandContext ctx = w->context();
    core::showMessage(ctx.prompter, ctx.langOffset, 6101, std::to_string(count));
  });
  w->setCommand("Mult", [=] { imageops::premultiplySlot(board(), popup()); });
  w->setCommand("Demult", [=] { imageops::unpremultiplySlot(board(), popup()); });
}

}  // namespace vexilo::ui
