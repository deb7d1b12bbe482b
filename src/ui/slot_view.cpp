#include "ui/slot_view.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace vexilo::ui {

QImage renderSlot(const core::Slot& slot, core::SlotSize size) {
  QImage image(size.width, size.height, QImage::Format_RGB32);
  image.fill(Qt::white);
  if (!slot.picture) return image;
  const core::Bitmap& pic = *slot.picture;
  const bool blend = pic.format() == core::PixelFormat::Bits32 && !pic.alphaAllZero();
  const int w = std::min(pic.width(), size.width), h = std::min(pic.height(), size.height);
  for (int y = 0; y < h; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < w; ++x) {
      const core::Bgra c = pic.pixel(x, y);
      if (!blend) {
        line[x] = qRgb(c.red, c.green, c.blue);
        continue;
      }
      // Source over white with premultiplied colour: c + 255 * (1 - a / 255).
      const int rest = 255 - c.alpha;
      line[x] = qRgb(std::min(255, c.red + rest), std::min(255, c.green + rest),
                     std::min(255, c.blue + rest));
    }
  }
  return image;
}

namespace {

// The large slots are shown whole within a pasteboard's sheet, scaled down.
constexpr int kLargestShown = 320;

}  // namespace

SlotView::SlotView(const core::IconSet& board, core::SlotId id, QWidget* parent)
    : QWidget(parent), board_(board), id_(id) {
  const core::SlotSize size = core::controlSize(id);
  if (core::isLargeSlot(id))
    setFixedSize(kLargestShown, kLargestShown);
  else
    setFixedSize(size.width, size.height);
  setObjectName(QString::fromLatin1(core::slotName(id).data(),
                                    static_cast<int>(core::slotName(id).size())));
  setFocusPolicy(Qt::StrongFocus);  // reached by Tab and by a click
}

void SlotView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QImage image = renderSlot(board_.slot(id_), core::controlSize(id_));
  if (image.size() == size()) {
    painter.drawImage(0, 0, image);
    return;
  }
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(rect(), image);
}

void SlotView::mousePressEvent(QMouseEvent* event) {
  emit pressed(id_);  // any button selects
  QWidget::mousePressEvent(event);
}

void SlotView::contextMenuEvent(QContextMenuEvent* event) {
  emit popupRequested(id_, event->globalPos());
}

void SlotView::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (event->modifiers() & ~Qt::KeypadModifier) break;
      emit pressed(id_);
      return;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
      if (event->modifiers() & ~Qt::KeypadModifier) break;
      emit arrowPressed(id_, event->key());
      return;
    default:
      break;
  }
  QWidget::keyPressEvent(event);
}

void SlotView::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  emit focusChanged(id_, true);
}

void SlotView::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  emit focusChanged(id_, false);
}

}  // namespace vexilo::ui
