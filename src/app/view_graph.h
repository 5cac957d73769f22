// The graph in the window: the table's header block above the two charts, as the
// document built them.
#pragma once

#include <QWidget>

namespace pelnor {

class CPelnorDoc;

// White, repainted whenever the displayed period changes, and told to screen readers by
// its name and a description of the period it shows.
void prepareView(QWidget& view, const char* objectName, const char* spokenName, CPelnorDoc& doc);

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
