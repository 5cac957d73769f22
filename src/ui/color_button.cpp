#include "ui/color_button.h"

#include <QColorDialog>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace pelnor {

namespace {

constexpr int kCellSize = 22;
constexpr int kColumns = 4;
constexpr int kMargin = 4;

QColor qcolor(uint32_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }
uint32_t bgrOf(const QColor& c) {
  return static_cast<uint32_t>(c.red()) | (static_cast<uint32_t>(c.green()) << 8) |
         (static_cast<uint32_t>(c.blue()) << 16);
}

}  // namespace

ColorPopup::ColorPopup(ColorPalette& palette, QWidget* parent)
    : QWidget(parent, Qt::Popup), palette_(palette), other_(new QPushButton("その他...", this)) {
  setObjectName("id5100");
  const int rows = ColorPalette::kCells / kColumns;
  const int width = kColumns * kCellSize + 2 * kMargin;
  other_->setGeometry(kMargin, kMargin + rows * kCellSize + kMargin, width - 2 * kMargin, 24);
  setFixedSize(width, other_->geometry().bottom() + kMargin + 1);
  setFocusPolicy(Qt::StrongFocus);
  setAccessibleName("色の選択");
  connect(other_, &QPushButton::clicked, this, [this] {
    // The full chooser; when it is cancelled the popup stays.
    QColorDialog dialog(this);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted) return;
    const int cell = palette_.chooseOther(bgrOf(dialog.selectedColor()));
    finish(palette_.color(cell));
  });
}

QRect ColorPopup::cellRect(int cell) const {
  return QRect(kMargin + (cell % kColumns) * kCellSize, kMargin + (cell / kColumns) * kCellSize, kCellSize,
               kCellSize);
}

int64_t ColorPopup::choose(const QWidget& anchor) {
  // Under the button, moved back onto the screen where it would leave it.
  QPoint at = anchor.mapToGlobal(QPoint(0, anchor.height()));
  if (const QScreen* screen = anchor.screen()) {
    const QRect area = screen->availableGeometry();
    at.setY(std::min(at.y(), area.bottom() + 1 - height()));
    at.setX(std::min(at.x(), area.right() + 1 - width()));
  }
  move(at);
  chosen_ = -1;
  open_ = true;
  show();
  setFocus();
  QEventLoop loop;
  while (open_ && isVisible()) loop.processEvents(QEventLoop::WaitForMoreEvents);
  hide();
  return chosen_;
}

void ColorPopup::pickCell(int cell) { finish(palette_.choose(cell)); }

void ColorPopup::finish(int64_t color) {
  chosen_ = color;
  open_ = false;
  hide();
}

void ColorPopup::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().window());
  p.setPen(Qt::gray);
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  for (int cell = 0; cell < ColorPalette::kCells; ++cell) {
    const QRect r = cellRect(cell).adjusted(2, 2, -2, -2);
    p.fillRect(r, qcolor(palette_.color(cell)));
    p.setPen(Qt::black);
    p.drawRect(r);
  }
  if (hasFocus()) {
    p.setPen(QPen(palette().color(QPalette::Highlight), 2));
    p.drawRect(cellRect(current_).adjusted(1, 1, -1, -1));
  }
}

// Tab goes between the cells and "その他...", and stays inside the popup.
bool ColorPopup::focusNextPrevChild(bool) {
  if (other_->hasFocus()) {
    setFocus(Qt::TabFocusReason);
  } else {
    other_->setFocus(Qt::TabFocusReason);
  }
  update();
  return true;
}

void ColorPopup::keyPressEvent(QKeyEvent* event) {
  const int rows = ColorPalette::kCells / kColumns;
  int row = current_ / kColumns, column = current_ % kColumns;
  switch (event->key()) {
    case Qt::Key_Left: column = (column + kColumns - 1) % kColumns; break;
    case Qt::Key_Right: column = (column + 1) % kColumns; break;
    case Qt::Key_Up: row = (row + rows - 1) % rows; break;
    case Qt::Key_Down: row = (row + 1) % rows; break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space: pickCell(current_); return;
    case Qt::Key_Escape: finish(-1); return;
    default: QWidget::keyPressEvent(event); return;
  }
  current_ = row * kColumns + column;
  update();
}

void ColorPopup::mousePressEvent(QMouseEvent* event) {
  if (!rect().contains(event->position().toPoint())) {
    finish(-1);  // a click outside closes without a choice
    return;
  }
  for (int cell = 0; cell < ColorPalette::kCells; ++cell) {
    if (cellRect(cell).contains(event->position().toPoint())) {
      pickCell(cell);
      return;
    }
  }
}

ColorButton::ColorButton(QWidget* parent) : QPushButton(parent) {
  setMinimumSize(90, 26);
  connect(this, &QPushButton::clicked, this, [this] {
    ColorPopup popup(programPalette(), this);
    const int64_t chosen = popup.choose(*this);
    if (chosen >= 0) setColor(static_cast<uint32_t>(chosen));
  });
}

void ColorButton::setColor(uint32_t color) {
  color_ = color;
  setAccessibleDescription(qcolor(color).name());  // the swatch, for those who cannot see it
  update();
}

void ColorButton::paintEvent(QPaintEvent*) {
  QStylePainter p(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  option.text.clear();
  p.drawControl(QStyle::CE_PushButton, option);
  const QRect r = rect();
  const int separator = r.right() - 10;
  // The swatch, from 5 inside the left edge and 4 inside top and bottom to 15 inside the right.
  if (isEnabled()) {
    const QRect swatch(QPoint(r.left() + 5, r.top() + 4), QPoint(r.right() - 15, r.bottom() - 4));
    p.fillRect(swatch, qcolor(color_));
    p.setPen(Qt::black);
    p.drawRect(swatch);
  }
  p.setPen(palette().color(QPalette::Mid));
  p.drawLine(separator, r.top() + 4, separator, r.bottom() - 4);
  // A small arrow pointing down.
  p.setPen(Qt::NoPen);
  p.setBrush(isEnabled() ? QColor(Qt::black) : QColor(Qt::white));
  const int cx = separator + 5, cy = r.center().y();
  const QPoint arrow[] = {QPoint(cx - 3, cy - 1), QPoint(cx + 3, cy - 1), QPoint(cx, cy + 2)};
  p.drawPolygon(arrow, 3);
}

}  // namespace pelnor
