// The table in the window: paints the document's table and scrolls its body vertically
// when the window is too short.
#pragma once

#include <QWidget>

class QScrollBar;

namespace pelnor {

class CPelnorDoc;

class CViewSheet : public QWidget {
  Q_OBJECT

 public:
  explicit CViewSheet(CPelnorDoc& doc, QWidget* parent = nullptr);
  QScrollBar* scrollBar() const { return bar_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  void scrollTo(int position);

  CPelnorDoc& doc_;
  QScrollBar* bar_;
  QPoint scroll_{0, 0};
  QPoint overflow_{0, 0};
  bool overflowShown_ = false;
};

}  // namespace pelnor
