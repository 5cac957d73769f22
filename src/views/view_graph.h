// The graph and the report in the window: each paints what the document built.
// The graph: the table's header block above the two charts.
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

// The monthly report in the window.
class CViewReport : public QWidget {
  Q_OBJECT

 public:
  explicit CViewReport(CPelnorDoc& doc, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  CPelnorDoc& doc_;
};

}  // namespace pelnor
