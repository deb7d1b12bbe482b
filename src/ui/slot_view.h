// One image control: shows a slot's picture from the board and reports clicks.
#pragma once

#include <QImage>
#include <QWidget>

#include "core/icon_set.h"

namespace vexilo::ui {

// The picture as the control shows it: white where there is none; a 32-bit picture with its
// colours taken as premultiplied by alpha over white, or opaque when all its alpha is 0.
QImage renderSlot(const core::Slot& slot, core::SlotSize size);

class SlotView : public QWidget {
  Q_OBJECT
 public:
  SlotView(const core::IconSet& board, core::SlotId id, QWidget* parent);
  core::SlotId slotId() const { return id_; }

 signals:
  void pressed(vexilo::core::SlotId id);
  void popupRequested(vexilo::core::SlotId id, QPoint globalPos);
  // An arrow key pressed while this control has the focus.
  void arrowPressed(vexilo::core::SlotId id, int key);
  void focusChanged(vexilo::core::SlotId id, bool focused);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  const core::IconSet& board_;
  core::SlotId id_;
};

}  // namespace vexilo::ui
