// A button that shows a colour and, pressed, offers the colour popup: 20 colour cells and
// "その他..." for the full colour chooser. The cells are chosen with the mouse or with the
// arrow keys and Enter; Escape closes the popup without a choice.
#pragma once

#include <QPushButton>
#include <QWidget>

#include "ui/color_palette.h"

namespace pelnor {

class ColorPopup : public QWidget {
  Q_OBJECT

 public:
  explicit ColorPopup(ColorPalette& palette, QWidget* parent = nullptr);
  // Shows the popup under anchor and waits; the chosen colour, or -1 when none was chosen.
  int64_t choose(const QWidget& anchor);
  // For tests: pick a cell as a click would.
  void pickCell(int cell);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool focusNextPrevChild(bool next) override;

 private:
  QRect cellRect(int cell) const;
  void finish(int64_t color);

  ColorPalette& palette_;
  QPushButton* other_;
  int64_t chosen_ = -1;
  bool open_ = false;
  int current_ = 0;  // the cell the keys are on
};

class ColorButton : public QPushButton {
  Q_OBJECT

 public:
  explicit ColorButton(QWidget* parent = nullptr);
  uint32_t color() const { return color_; }  // 0x00BBGGRR
  void setColor(uint32_t color);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  uint32_t color_ = 0;
};

}  // namespace pelnor
