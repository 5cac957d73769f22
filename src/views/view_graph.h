// The graph in the window: the table's header block above the two charts.
#pragma once

#include <QWidget>

namespace pelnor {

class CPelnorDoc;

class CViewGraph : public QWidget {
  Q_OBJECT

 public:
  explicit CViewGraph(CPelnorDoc& doc, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  CPelnorDoc& doc_;
};

}  // namespace pelnor
