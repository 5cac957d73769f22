// The graph in the window: the table's header block above the two charts, as the
// document built them.
#pragma once

#include <QWidget>

namespace pelnor {

class CPelnorDoc;

// White, and repainted whenever the displayed period changes (the graph and the report).
void prepareView(QWidget& view, const char* name, CPelnorDoc& doc);

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
