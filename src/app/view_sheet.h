// The table in the window: paints the document's table and scrolls its body vertically
// when the window is too short.
#pragma once

#include <QWidget>
#include <optional>

#include "data/date_time.h"
#include "data/period.h"

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
  // A new date or kind opens at the top, not at the last one's offset.
  void resetScrollOnNewPeriod();

  CPelnorDoc& doc_;
  QScrollBar* bar_;
  QPoint scroll_{0, 0};
  QPoint overflow_{0, 0};
  bool overflowShown_ = false;
  std::optional<Period> shownPeriod_;
  DateTime shownStart_;
};

}  // namespace pelnor
